#include "platform/file_helpers.h"

#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/platform.h"

namespace qi {

void ClearReadOnly(const std::string& path) {
    uint32_t attributes = platform::GetAttributes(path);
    if (attributes == platform::kInvalidAttributes || !(attributes & platform::kAttrReadOnly)) return;
    attributes &= ~platform::kAttrReadOnly;
    platform::SetAttributes(path, attributes == 0 ? platform::kAttrNormal : attributes);
}

namespace {

constexpr uint32_t kSixAttributeBits = platform::kAttrReadOnly | platform::kAttrHidden | platform::kAttrSystem |
                                       platform::kAttrVolume | platform::kAttrDirectory | platform::kAttrArchive;

bool Matches(uint32_t attributes, const ListFilesOptions& options) {
    if (attributes & platform::kAttrDirectory) return (options.mask & platform::kAttrDirectory) != 0;
    return (options.mask & attributes) != 0 || ((attributes & kSixAttributeBits) == 0 && options.includePlain);
}

void ListFilesAt(const std::string& folder, const ListFilesOptions& options, std::vector<std::string>& list,
                 int depth) {
    std::string base = AddBackslash(folder);
    if (options.clearList) list.clear();
    for (const auto& entry : platform::ListDirectory(base)) {
        std::string full = base + entry.name;
        uint32_t attributes = entry.attributes;
        if (options.clearAttributes) {
            attributes &= ~(platform::kAttrReadOnly | platform::kAttrHidden);
            platform::SetAttributes(full, attributes == 0 ? platform::kAttrNormal : attributes);
        }
        bool isFolder = (attributes & platform::kAttrDirectory) != 0;
        if (isFolder && options.delimiterOnFolders) full += "\\";
        if (Matches(attributes, options)) {
            if (isFolder || options.extension.empty() || SameText(ExtractFileExt(entry.name), options.extension)) {
                list.push_back(full);
            }
        }
        if (options.recurse && isFolder && depth < kMaxFolderDepth) {
            ListFilesOptions inner = options;
            inner.delimiterOnFolders = true;
            inner.clearList = false;
            ListFilesAt(full, inner, list, depth + 1);
        }
    }
}

}  // namespace

void ListFiles(const std::string& folder, const ListFilesOptions& options, std::vector<std::string>& list) {
    ListFilesAt(folder, options, list, 0);
}

}  // namespace qi

namespace qi {

namespace {

void CollectFilesBelow(const std::string& root, const std::string& relative, std::vector<std::string>& names,
                       std::vector<std::string>* unwritable, int depth) {
    std::vector<std::string> leftOut;
    for (const auto& entry : platform::ListDirectory(root + relative, unwritable ? &leftOut : nullptr)) {
        const std::string name = relative + entry.name;
        if (entry.attributes & platform::kAttrDirectory) {
            if (depth < kMaxFolderDepth) CollectFilesBelow(root, name + "\\", names, unwritable, depth + 1);
        } else {
            names.push_back(name);
        }
    }
    if (!unwritable) return;
    const std::string prefix = platform::Utf8FromCp932(relative);
    for (const std::string& name : leftOut) unwritable->push_back(prefix + name);
}

}  // namespace

bool PassesThroughLink(const std::string& folder, const std::string& relative) {
    for (size_t step = relative.find('\\'); step != std::string::npos; step = relative.find('\\', step + 1)) {
        if (platform::IsLink(folder + relative.substr(0, step))) return true;
    }
    return false;
}

std::vector<std::string> FilesBelow(const std::string& root, std::vector<std::string>* unwritable) {
    std::vector<std::string> names;
    CollectFilesBelow(root, "", names, unwritable, 0);
    return names;
}

}  // namespace qi
