// Folders: creation with all parents, removal, listing, free space and
// short names.
#include <windows.h>

#include "base/path_helpers.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/path_text.h"

namespace qi::platform {
namespace {

bool CreateOneFolder(const std::string& path) {
    return DirectoryExists(path) || CreateDirectoryW(win32::Wide(path).c_str(), nullptr) || DirectoryExists(path);
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
    return CreateDirectoryW(win32::Wide(folder).c_str(), nullptr) != FALSE;
}

bool RemoveFolder(const std::string& path) { return RemoveDirectoryW(win32::Wide(path).c_str()) != FALSE; }

// Names without a code page 932 form are left out, as the caller could not
// name them again; leftOut receives them in UTF-8.
std::vector<DirectoryEntry> ListDirectory(const std::string& folder, std::vector<std::string>* leftOut) {
    std::vector<DirectoryEntry> entries;
    if (folder.empty()) return entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(win32::Wide(AddBackslash(folder) + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (auto cp932 = win32::Cp932(name)) {
            uint32_t attributes = found.dwFileAttributes;
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) attributes &= ~kAttrDirectory;
            entries.push_back({*cp932, attributes});
        } else if (leftOut) {
            leftOut->push_back(win32::Utf8(name));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

std::optional<int64_t> FreeDiskSpace(const std::string& path) {
    std::string folder = path;
    while (!folder.empty() && !DirectoryExists(folder)) folder = win32::ParentFolder(folder);
    ULARGE_INTEGER available;
    if (folder.empty() ||
        !GetDiskFreeSpaceExW(win32::Wide(AddBackslash(folder)).c_str(), &available, nullptr, nullptr)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(available.QuadPart);
}

std::string ShortPathName(const std::string& path) {
    const std::wstring wide = win32::Wide(path);
    std::wstring shortName =
        win32::WideFromApi([&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(wide.c_str(), buffer, size); });
    return shortName.empty() ? path : win32::Cp932(shortName).value_or(path);
}

}  // namespace qi::platform
