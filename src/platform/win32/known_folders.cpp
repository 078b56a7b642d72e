// Folders the system names: temporary, Windows, system, the shell's special
// folders and the running program's own file.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/path_helpers.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {

std::string TempFolder() {
    return AddBackslash(
        win32::Cp932Name(win32::WideFromApi([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); })));
}

std::string WindowsFolder() {
    return win32::Cp932Name(
        win32::WideFromApi([](wchar_t* buffer, DWORD size) { return GetWindowsDirectoryW(buffer, size); }));
}

std::string SystemFolder() {
    return win32::Cp932Name(
        win32::WideFromApi([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); }));
}

std::string SpecialFolder(int csidl) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items))) return {};
    wchar_t path[MAX_PATH];
    bool found = SHGetPathFromIDListW(items, path) != FALSE;
    CoTaskMemFree(items);
    return found ? win32::Cp932Name(path) : "";
}

std::string ModuleFileName() {
    // GetModuleFileNameW answers with the buffer size when the name was cut.
    return win32::Cp932Name(win32::WideFromApi([](wchar_t* buffer, DWORD size) {
        DWORD length = GetModuleFileNameW(nullptr, buffer, size);
        return length == size ? size * 2 : length;
    }));
}

}  // namespace qi::platform
