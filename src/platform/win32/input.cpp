// Standard input, a byte at a time, and whether it has something to read.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {
namespace {

constexpr wchar_t kEndOfInput = 0x1A;  // Ctrl+Z, then Enter

// A console hands over typed lines in UTF-16 whatever its code page, so
// Japanese can be typed on any Windows. One character at a time: the rest
// of the line stays for a program this one hands over to. A character
// without a code page 932 form becomes "?".
bool ReadConsoleLine(HANDLE input, std::string& line) {
    std::wstring typed;
    bool ended = false;  // by Enter
    for (;;) {
        wchar_t c;
        DWORD got = 0;
        if (!ReadConsoleW(input, &c, 1, &got, nullptr) || got == 0) break;
        if (c == L'\n') {
            ended = true;
            break;
        }
        if (c != L'\r') typed += c;
    }
    if (!typed.empty() && typed[0] == kEndOfInput) return false;
    if (!ended && typed.empty()) return false;
    line = win32::Cp932Shown(typed);
    return true;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

bool ReadInputLine(std::string& line) {
    line.clear();
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (IsConsole(input)) return ReadConsoleLine(input, line);
    for (;;) {
        char c;
        DWORD got = 0;
        if (!ReadFile(input, &c, 1, &got, nullptr) || got == 0) return !line.empty();
        if (c == '\n') return true;
        line += c;
    }
}

bool InputWaiting() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    switch (GetFileType(input)) {
        case FILE_TYPE_PIPE: {
            DWORD available = 0;
            // A closed pipe has ended: reading it does not wait either.
            if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) return true;
            return available > 0;
        }
        case FILE_TYPE_CHAR: {
            // A console: a line is there once Enter was pressed.
            INPUT_RECORD records[64];
            DWORD count = 0;
            if (!PeekConsoleInputA(input, records, 64, &count)) return false;
            for (DWORD i = 0; i < count; ++i) {
                const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
                if (records[i].EventType == KEY_EVENT && key.bKeyDown && key.uChar.AsciiChar == '\r') return true;
            }
            return false;
        }
        default: return true;
    }
}

}  // namespace qi::platform
