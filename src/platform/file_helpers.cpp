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

}  // namespace

void ListFiles(const std::string& folder, const ListFilesOptions& options, std::vector<std::string>& list) {
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
        if (options.recurse && isFolder) {
            ListFilesOptions inner = options;
            inner.delimiterOnFolders = true;
            inner.clearList = false;
            ListFiles(full, inner, list);
        }
    }
}

}  // namespace qi
