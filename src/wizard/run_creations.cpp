#include "wizard/run_creations.h"

#include <algorithm>
#include <utility>

#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"

namespace qi {

RunCreations::RunCreations(const TQuorInstallSet& settings, std::string folder, bool enabled)
    : settings_(settings),
      folder_(std::move(folder)),
      enabled_(enabled),
      recordedBefore_(settings.InstalledFiles.size()) {}

void RunCreations::BeforeWrite(const std::string& relative) {
    if (!enabled_) return;
    const std::string path = folder_ + relative;
    if (platform::FileExists(path) || platform::IsLink(path)) Keep(relative);
}

void RunCreations::Keep(const std::string& relative) {
    if (enabled_) existed_.insert(relative);
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
    if (enabled_ && path.compare(0, folder_.size(), folder_) == 0) owned_.push_back(path.substr(folder_.size()));
}

bool RunCreations::Remove(const std::string& relative) {
    if (PassesThroughLink(folder_, relative)) return false;
    const std::string path = folder_ + relative;
    if (!platform::FileExists(path)) return false;
    ClearReadOnly(path);
    return platform::RemoveFile(path);
}

int RunCreations::TakeBack() {
    if (!enabled_) return 0;
    int removed = 0;
    const auto& recorded = settings_.InstalledFiles;
    for (size_t i = recordedBefore_; i < recorded.size(); ++i) {
        if (!existed_.contains(recorded[i]) && Remove(recorded[i])) ++removed;
    }
    for (const auto& name : owned_) {
        if (Remove(name)) ++removed;
    }
    // A folder's path is longer than its parent's: the deepest go first.
    std::sort(folders_.begin(), folders_.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const auto& folder : folders_) platform::RemoveFolder(folder);
    owned_.clear();
    folders_.clear();
    return removed;
}

}  // namespace qi
