// The program's boundary with its caller: standard output, the arguments,
// and host paths, which are UTF-8 as on Linux.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {
namespace {

UINT consoleOutputCodePage = 0;

void RestoreConsoleCodePage() { SetConsoleOutputCP(consoleOutputCodePage); }

bool IsConsole(DWORD standardHandle) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(standardHandle), &mode) != 0;
}

}  // namespace

void SetBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

std::string NativePath(const std::string& path) { return Utf8FromCp932(path); }

std::string FromNativePath(const std::string& nativePath) { return Cp932FromUtf8(nativePath); }

std::vector<std::string> Utf8Arguments(int, char**) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; words && i < count; ++i) arguments.push_back(win32::Utf8(words[i]));
    LocalFree(words);
    return arguments;
}

void ShowUtf8OnConsole() {
    if (consoleOutputCodePage != 0 || !(IsConsole(STD_OUTPUT_HANDLE) || IsConsole(STD_ERROR_HANDLE))) return;
    consoleOutputCodePage = GetConsoleOutputCP();
    if (SetConsoleOutputCP(CP_UTF8)) std::atexit(RestoreConsoleCodePage);
}

}  // namespace qi::platform
