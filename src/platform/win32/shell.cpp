// The shell and the process: administrator test, opening documents, pauses.
#include <windows.h>
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/windows_version.h"

namespace qi::platform {

bool IsUserAdmin() {
    if (win32::IsWindows9x()) return true;  // no user rights there
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (!shell) return false;
    // The shell exports its administrator test under ordinal 680.
    using AdminTest = BOOL(WINAPI*)();
    FARPROC export680 = GetProcAddress(shell, MAKEINTRESOURCEA(680));
    bool admin = export680 && reinterpret_cast<AdminTest>(reinterpret_cast<void (*)()>(export680))() != FALSE;
    FreeLibrary(shell);
    return admin;
}

int ShellOpen(const std::string& file, const std::string& arguments, const std::string& folder) {
    HINSTANCE result =
        ShellExecuteA(nullptr, "open", file.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
                      folder.empty() ? nullptr : folder.c_str(), SW_SHOW);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

int ReplaceProgram(const std::string& file, const std::string& arguments) { return ShellOpen(file, arguments, ""); }

void SleepMs(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace qi::platform

namespace qi::platform {

std::optional<std::string> RawCommandLine() { return std::string(GetCommandLineA()); }

bool StderrIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace qi::platform
