// The shell's file operation carried out on the file system directly: copy,
// move, delete and rename of files and whole folders, without questions and
// without a progress window. A last step "*" or "*.*" stands for every entry
// of its folder (only the files with FOF_FILESONLY).
#include <vector>

#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/platform.h"

namespace qi::platform {
namespace {

constexpr unsigned kMove = 1, kCopy = 2, kDelete = 3, kRename = 4;
constexpr unsigned kMultiDestFiles = 0x1, kFilesOnly = 0x80;

std::vector<std::string> SplitNames(const std::string& list) {
    std::vector<std::string> names;
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find('\0', start);
        if (end == std::string::npos) end = list.size();
        if (end == start) break;  // the double NUL
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool IsWildcard(const std::string& path) {
    std::string last = ExtractFileName(path);
    return last == "*" || last == "*.*";
}

std::vector<std::string> Expand(const std::string& name, bool filesOnly) {
    if (!IsWildcard(name)) return {name};
    std::string folder = ExtractFilePath(name);
    std::vector<std::string> found;
    for (const auto& entry : ListDirectory(folder)) {
        if (filesOnly && (entry.attributes & kAttrDirectory)) continue;
        found.push_back(folder + entry.name);
    }
    return found;
}

void DeleteTree(const std::string& path) {
    if (!IsLink(path) && DirectoryExists(path)) {
        for (const auto& entry : ListDirectory(path)) DeleteTree(path + "\\" + entry.name);
        RemoveFolder(path);
    } else {
        SetAttributes(path, kAttrNormal);
        RemoveFile(path);
    }
}

// True when everything was copied.
bool CopyTree(const std::string& source, const std::string& dest) {
    if (!DirectoryExists(source)) return CopyFileTo(source, dest, false);
    bool copied = CreateFolders(dest) || DirectoryExists(dest);
    for (const auto& entry : ListDirectory(source)) {
        copied = CopyTree(source + "\\" + entry.name, dest + "\\" + entry.name) && copied;
    }
    return copied;
}

}  // namespace

bool ShellFileOperation(unsigned operation, const std::string& from, const std::string& to, unsigned flags,
                        const std::string&) {
    std::vector<std::string> sources;
    for (const auto& name : SplitNames(from)) {
        for (auto& path : Expand(name, (flags & kFilesOnly) != 0)) sources.push_back(std::move(path));
    }
    std::vector<std::string> dests = SplitNames(to);
    if (operation == kDelete) {
        for (const auto& source : sources) DeleteTree(source);
    } else if (operation == kRename) {
        // A name that cannot be given is left as it is; nothing is lost.
        if (!sources.empty() && !dests.empty()) static_cast<void>(RenameFile(sources[0], dests[0]));
    } else if ((operation == kCopy || operation == kMove) && !dests.empty()) {
        bool intoFolder = sources.size() > 1 || DirectoryExists(dests[0]) || IsWildcard(SplitNames(from)[0]);
        for (size_t i = 0; i < sources.size(); ++i) {
            std::string dest;
            if ((flags & kMultiDestFiles) && i < dests.size()) {
                dest = dests[i];
            } else if (intoFolder) {
                CreateFolders(dests[0]);
                std::string folder = dests[0];
                if (LastDelimiter("\\:", folder) != folder.size() - 1) folder += '\\';
                dest = folder + ExtractFileName(sources[i]);
            } else {
                dest = dests[0];
            }
            if (operation == kMove && RenameFile(sources[i], dest)) continue;
            // A move deletes only what it could copy completely.
            if (CopyTree(sources[i], dest) && operation == kMove) DeleteTree(sources[i]);
        }
    }
    return false;
}

}  // namespace qi::platform
