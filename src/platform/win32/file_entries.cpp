// Single directory entries: existence, removal, copy, rename, attributes
// and last-write time.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/dos_time.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

NameKind KindOfName(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win32::Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return NameKind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return NameKind::Link;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? NameKind::Folder : NameKind::File;
}

// A junction or a link to a folder goes as a folder does, which removes
// the link alone.
bool RemoveFile(const std::string& path) {
    const std::wstring wide = win32::Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return RemoveDirectoryW(wide.c_str()) != FALSE;
    }
    return DeleteFileW(wide.c_str()) != FALSE;
}

bool CopyFileTo(const std::string& source, const std::string& dest, bool failIfExists) {
    if (IsLink(dest) && (failIfExists || !RemoveFile(dest))) return false;
    return CopyFileW(win32::Wide(source).c_str(), win32::Wide(dest).c_str(), failIfExists) != FALSE;
}

bool RenameFile(const std::string& source, const std::string& dest) {
    return MoveFileExW(win32::Wide(source).c_str(), win32::Wide(dest).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

uint32_t GetAttributes(const std::string& path) { return GetFileAttributesW(win32::Wide(path).c_str()); }

// Set through a handle on the entry itself (a link is opened, not followed),
// so that a link put in the file's place is never changed through.
bool SetAttributes(const std::string& path, uint32_t attributes) {
    HANDLE handle = CreateFileW(win32::Wide(path).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION now;
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = attributes & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    const bool done = GetFileInformationByHandle(handle, &now) && !(now.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                      SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
    CloseHandle(handle);
    return done;
}

std::optional<uint32_t> GetFileDosTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win32::Wide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return win32::DosTimeOf(data.ftLastWriteTime);
}

std::optional<int64_t> GetFileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win32::Wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool SetFileDosTime(const std::string& path, uint32_t dosTime) {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dosTime >> 16), static_cast<WORD>(dosTime), &local) ||
        !LocalFileTimeToFileTime(&local, &utc)) {
        return false;
    }
    HANDLE handle = CreateFileW(win32::Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool done = SetFileTime(handle, nullptr, nullptr, &utc) != FALSE;
    CloseHandle(handle);
    return done;
}

}  // namespace qi::platform
