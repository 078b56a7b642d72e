// Standard input, a byte at a time, and whether it has something to read.
#include <windows.h>

#include "platform/platform.h"

namespace qi::platform {

bool ReadInputLine(std::string& line) {
    line.clear();
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
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
