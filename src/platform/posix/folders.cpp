// Folder creation, removal and listing, free space and short names.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/native_fs.h"

namespace qi::platform {
namespace {

uint32_t EntryAttributes(int folder, const char* name) {
    struct stat info;
    if (fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(info.st_mode)) return kAttrArchive;
    return posix::AttributesFromStat(info, name);
}

// The code page 932 form of a host name; nullopt when it has none.
std::optional<std::string> WindowsName(const std::string& hostName) {
    if (!posix::IsWindowsName(hostName)) return std::nullopt;
    try {
        return Cp932FromUtf8(hostName);
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace

// Never creates the drive root itself: on a drive that does not exist the
// folders are not made up.
bool CreateFolders(const std::string& path) {
    try {
        auto host = posix::MapToHost(path);
        return posix::IsDirectory(host.root) && posix::MakeFolders(host.path, host.root.size());
    } catch (const Error&) {
        return false;
    }
}

bool CreateNewFolder(const std::string& path) {
    auto native = posix::HostPathIfValid(path);
    return native && posix::ChangeNoted([&] { return mkdir(native->c_str(), 0755) == 0; }, "", *native);
}

bool RemoveFolder(const std::string& path) {
    auto native = posix::HostPathIfValid(path);
    return native && posix::ChangeNoted([&] { return rmdir(native->c_str()) == 0; }, *native, "");
}

// Names without a code page 932 form (or holding a "\") are left out: the
// caller could not name them again, and a "\" would read as a delimiter.
std::vector<DirectoryEntry> ListDirectory(const std::string& folder, std::vector<std::string>* leftOut) {
    std::vector<DirectoryEntry> entries;
    auto native = posix::HostPathIfValid(folder);
    DIR* dir = native ? opendir(native->c_str()) : nullptr;
    if (!dir) return entries;
    while (const dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (auto windowsName = WindowsName(name)) {
            entries.push_back({*windowsName, EntryAttributes(dirfd(dir), entry->d_name)});
        } else if (leftOut) {
            leftOut->push_back(name);
        }
    }
    closedir(dir);
    return entries;
}

// A folder still to be created counts as part of its nearest existing
// parent on the same drive.
std::optional<int64_t> FreeDiskSpace(const std::string& path) {
    std::optional<posix::HostPath> host;
    try {
        host = posix::MapToHost(path);
    } catch (const Error&) {
        return std::nullopt;
    }
    std::string folder = host->path;
    while (!posix::IsDirectory(folder) && folder.size() > host->root.size()) folder = posix::ParentOf(folder);
    struct statvfs info;
    if (!posix::IsDirectory(folder) || statvfs(folder.c_str(), &info) != 0) return std::nullopt;
    return static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
}

// Host file systems have no short names; the long name serves.
std::string ShortPathName(const std::string& path) { return path; }

}  // namespace qi::platform
