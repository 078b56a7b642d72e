// The shell and the process: administrator test, opening documents, pauses.
#include <windows.h>
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/windows_version.h"
#include "platform/win32/wide_text.h"

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
    const std::wstring wideFile = win32::Wide(file), wideArguments = win32::Wide(arguments),
                       wideFolder = win32::Wide(folder);
    HINSTANCE result =
        ShellExecuteW(nullptr, L"open", wideFile.c_str(), arguments.empty() ? nullptr : wideArguments.c_str(),
                      folder.empty() ? nullptr : wideFolder.c_str(), SW_SHOW);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

int ReplaceProgram(const std::string& file, const std::string& arguments) { return ShellOpen(file, arguments, ""); }

void SleepMs(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace qi::platform

namespace qi::platform {

// Characters the command line holds without a code page 932 form raise
// qi::Error naming them: such an argument could name no file of the game.
std::optional<std::string> RawCommandLine() {
    const std::wstring line = GetCommandLineW();
    if (auto text = win32::Cp932(line)) return text;
    throw Error("the command line holds characters that code page 932 cannot write: " + win32::Utf8(line));
}

bool StderrIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace qi::platform
