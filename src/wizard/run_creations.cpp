#include "wizard/run_creations.h"

#include <algorithm>
#include <utility>

#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"

namespace qi {

RunCreations::RunCreations(std::string folder, bool enabled) : folder_(std::move(folder)), enabled_(enabled) {}

void RunCreations::BeforeWrite(const std::string& relative) {
    if (!enabled_) return;
    const std::string path = folder_ + relative;
    BeforeWrite(relative, platform::FileExists(path) || platform::IsLink(path));
}

void RunCreations::BeforeWrite(const std::string& relative, bool taken) {
    if (enabled_ && !taken) files_.append(relative).push_back('\0');
}

void RunCreations::BeforeCreateFolders(const std::string& path) {
    if (!enabled_) return;
    // Up from the folder to the first one that is there; a drive root always is.
    for (std::string folder = AddBackslash(path); folder.size() > 3 && !platform::DirectoryExists(folder);) {
        folders_.push_back(folder);
        ParentKeyPath(folder);
        folder = AddBackslash(folder);
    }
}

void RunCreations::Own(const std::string& path) {
    if (enabled_ && path.compare(0, folder_.size(), folder_) == 0) {
        files_.append(path, folder_.size()).push_back('\0');
    }
}

bool RunCreations::Remove(const std::string& relative) {
    if (PassesThroughLink(folder_, relative)) return false;
    const std::string path = folder_ + relative;
    if (!platform::FileExists(path)) return false;
    ClearReadOnly(path);
    return platform::RemoveFile(path);
}

int RunCreations::TakeBack() {
    int removed = 0;
    for (size_t start = 0; start < files_.size();) {
        const size_t end = files_.find('\0', start);
        if (Remove(files_.substr(start, end - start))) ++removed;
        start = end + 1;
    }
    // A folder's path is longer than its parent's: the deepest go first.
    std::sort(folders_.begin(), folders_.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const auto& folder : folders_) platform::RemoveFolder(folder);
    files_.clear();
    folders_.clear();
    return removed;
}

}  // namespace qi
