// Folders: creation with all parents, removal, listing, free space and
// short names.
#include <windows.h>

#include "base/path_helpers.h"
#include "platform/platform.h"
#include "platform/win32/path_text.h"

namespace qi::platform {
namespace {

bool CreateOneFolder(const std::string& path) {
    return DirectoryExists(path) || CreateDirectoryA(path.c_str(), nullptr) || DirectoryExists(path);
}

}  // namespace

bool CreateFolders(const std::string& path) {
    size_t root = win32::RootLength(path);
    for (size_t offset : win32::DelimiterOffsets(path)) {
        if (offset >= root && !CreateOneFolder(path.substr(0, offset))) return false;
    }
    return win32::EndsWithDelimiter(path) ? DirectoryExists(path) : CreateOneFolder(path);
}

bool CreateNewFolder(const std::string& path) {
    std::string folder = path;
    if (win32::EndsWithDelimiter(folder)) folder.pop_back();
    return CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
}

bool RemoveFolder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != FALSE; }

std::vector<DirectoryEntry> ListDirectory(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    if (folder.empty()) return entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((AddBackslash(folder) + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") entries.push_back({name, found.dwFileAttributes});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

std::optional<int64_t> FreeDiskSpace(const std::string& path) {
    std::string folder = path;
    while (!folder.empty() && !DirectoryExists(folder)) folder = win32::ParentFolder(folder);
    ULARGE_INTEGER available;
    if (folder.empty() ||
        !GetDiskFreeSpaceExA(AddBackslash(folder).c_str(), &available, nullptr, nullptr)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(available.QuadPart);
}

std::string ShortPathName(const std::string& path) {
    DWORD needed = GetShortPathNameA(path.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::string shortName(needed, '\0');
    DWORD length = GetShortPathNameA(path.c_str(), shortName.data(), needed);
    if (length == 0 || length >= needed) return path;
    shortName.resize(length);
    return shortName;
}

}  // namespace qi::platform
