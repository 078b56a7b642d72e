// Windows-only: lines typed on a console. The program needs a console of
// its own to run this: the Windows tests start it once more on a terminal
// (tests/CMakeLists.txt); without one the case is skipped.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qi::platform {
namespace {

// Keys typed into the console's input, as a person at the keyboard types.
void Type(HANDLE console, const std::wstring& keys) {
    for (wchar_t c : keys) {
        INPUT_RECORD record{};
        record.EventType = KEY_EVENT;
        record.Event.KeyEvent.bKeyDown = TRUE;
        record.Event.KeyEvent.wRepeatCount = 1;
        record.Event.KeyEvent.uChar.UnicodeChar = c;
        if (c == L'\r') record.Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
        DWORD written = 0;
        WriteConsoleInputW(console, &record, 1, &written);
    }
}

TEST(Win32Console, JapaneseTypedOnAConsoleOfAnyCodePageArrivesInCodePage932) {
    HANDLE console = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode)) GTEST_SKIP() << "standard input is no console";
    SetConsoleCP(437);
    Type(console, L"\u661f\u306e\u4e18\r" L"\r" L"caf\u00e9\r");
    std::string line;
    ASSERT_TRUE(ReadInputLine(line));
    EXPECT_EQ(line, "\x90\xaf\x82\xcc\x8b\x75");  // the title typed in Japanese
    ASSERT_TRUE(ReadInputLine(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(ReadInputLine(line));
    EXPECT_EQ(line, "caf?");  // no code page 932 form
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
