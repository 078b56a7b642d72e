// Folders the system names: temporary, Windows, system, the shell's special
// folders and the running program's own file.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/path_helpers.h"
#include "platform/platform.h"
#include "platform/win32/api_text.h"

namespace qi::platform {

std::string TempFolder() {
    return AddBackslash(win32::TextFromApi([](char* buffer, DWORD size) { return GetTempPathA(size, buffer); }));
}

std::string WindowsFolder() {
    return win32::TextFromApi([](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); });
}

std::string SystemFolder() {
    return win32::TextFromApi([](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); });
}

std::string SpecialFolder(int csidl) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items))) return {};
    char path[MAX_PATH];
    bool found = SHGetPathFromIDListA(items, path) != FALSE;
    CoTaskMemFree(items);
    return found ? path : "";
}

std::string ModuleFileName() {
    // GetModuleFileNameA answers with the buffer size when the name was cut.
    return win32::TextFromApi([](char* buffer, DWORD size) {
        DWORD length = GetModuleFileNameA(nullptr, buffer, size);
        return length == size ? size * 2 : length;
    });
}

}  // namespace qi::platform
