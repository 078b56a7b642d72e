#include "wizard/work_folder.h"

#include "base/path_helpers.h"
#include "platform/error.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"

namespace qi {

std::string CreateWorkFolder(const std::string& stem, const std::string& parent) {
    const std::string temp = AddBackslash(parent.empty() ? platform::TempFolder() : parent);
    constexpr int kTries = 1000;
    for (int n = 1; n <= kTries; ++n) {
        const std::string folder = temp + stem + (n == 1 ? "" : std::to_string(n)) + "\\";
        if (platform::CreateNewFolder(folder)) return folder;
    }
    throw Error("作業用フォルダが作成できません");
}

void DeleteFolderTree(const std::string& folder) {
    const std::string base = AddBackslash(folder);
    for (const auto& entry : platform::ListDirectory(base)) {
        const std::string path = base + entry.name;
        if (entry.attributes & platform::kAttrDirectory) {
            DeleteFolderTree(path);
        } else {
            ClearReadOnly(path);
            platform::RemoveFile(path);
        }
    }
    platform::RemoveFolder(base);
}

}  // namespace qi
