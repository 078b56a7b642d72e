// Each user's save folder of a game, found through the profile list of the
// machine and each profile's shell folders.
#include "wizard/save_folders.h"

#include <cstring>
#include <utility>

#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/platform.h"

namespace qi {

namespace {

using platform::RootKey;

const std::string kProfileList = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const std::string kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const std::string kSystemDriveVariable = "%SystemDrive%";
const std::string kUserProfileVariable = "%USERPROFILE%";

// A value that is missing or not a string counts as empty.
std::string ReadText(platform::RegistryKey& key, const std::string& name) {
    try {
        return key.ReadString(name).value_or("");
    } catch (const Error&) {
        return {};
    }
}

std::string WithoutTrailingDelimiter(const std::string& folder) {
    return !folder.empty() && IsPathDelimiter(folder, folder.size() - 1) ? folder.substr(0, folder.size() - 1)
                                                                          : folder;
}

}  // namespace

bool IsSaveData(const std::string& name) { return SameText(name, "save.dat"); }

std::string SafeTitle(const std::string& title) {
    std::string safe = title;
    for (size_t i = 0; i < safe.size(); i += CharLength(safe, i)) {
        if (CharLength(safe, i) == 1 && safe[i] != '\0' && std::strchr("\\/:,;*?\"<>|", safe[i])) safe[i] = '_';
    }
    return safe;
}

std::string SystemFolderDrive() { return platform::SystemFolder().substr(0, 2); }

int FindUserSaveFolders(const std::string& title, std::vector<std::string>& list) {
    if (!platform::IsWindowsNT() || title.empty()) return 0;
    const std::string safe = SafeTitle(title);

    std::vector<std::string> users;
    {
        auto profiles = platform::OpenRegistryKey(RootKey::LocalMachine, kProfileList, false);
        if (!profiles) return 0;
        users = profiles->SubKeyNames();
    }
    // (profile folder, user's key name) of each profile that exists.
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& user : users) {
        auto profile = platform::OpenRegistryKey(RootKey::LocalMachine, kProfileList + "\\" + user, false);
        if (!profile) continue;
        std::string folder = ReadText(*profile, "ProfileImagePath");
        if (folder.empty()) continue;
        if (folder.compare(0, kSystemDriveVariable.size(), kSystemDriveVariable) == 0) {
            folder = SystemFolderDrive() + folder.substr(kSystemDriveVariable.size());
        }
        if (platform::DirectoryExists(folder)) found.emplace_back(WithoutTrailingDelimiter(folder), user);
    }

    for (const auto& [profileFolder, user] : found) {
        auto shellFolders = platform::OpenRegistryKey(RootKey::Users, user + "\\" + kShellFolders, false);
        if (!shellFolders) shellFolders = platform::OpenRegistryKey(RootKey::Users, ".Default\\" + kShellFolders, false);
        if (!shellFolders) continue;
        // Only a folder given relative to the profile belongs to that user.
        std::string local = ReadText(*shellFolders, "Local AppData");
        if (local.compare(0, kUserProfileVariable.size(), kUserProfileVariable) != 0) continue;
        std::string folder =
            AddBackslash(profileFolder + local.substr(kUserProfileVariable.size())) + safe + "\\";
        if (platform::DirectoryExists(folder)) list.push_back(folder);
    }
    return static_cast<int>(list.size());
}

}  // namespace qi
