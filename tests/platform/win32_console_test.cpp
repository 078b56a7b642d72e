// Windows-only: lines typed on a console.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qi::platform {
namespace {

// A console of the test's own, with keys typed into its input.
class TypedConsole {
public:
    TypedConsole() {
        FreeConsole();
        allocated_ = AllocConsole() != 0;
        input_ = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
        saved_ = GetStdHandle(STD_INPUT_HANDLE);
        SetStdHandle(STD_INPUT_HANDLE, input_);
    }
    ~TypedConsole() {
        SetStdHandle(STD_INPUT_HANDLE, saved_);
        CloseHandle(input_);
        FreeConsole();
    }
    bool Ready() const { return allocated_ && input_ != INVALID_HANDLE_VALUE; }
    void Type(const std::wstring& keys) {
        for (wchar_t c : keys) {
            INPUT_RECORD record{};
            record.EventType = KEY_EVENT;
            record.Event.KeyEvent.bKeyDown = TRUE;
            record.Event.KeyEvent.wRepeatCount = 1;
            record.Event.KeyEvent.uChar.UnicodeChar = c;
            if (c == L'\r') record.Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
            DWORD written = 0;
            WriteConsoleInputW(input_, &record, 1, &written);
        }
    }

private:
    bool allocated_ = false;
    HANDLE input_ = INVALID_HANDLE_VALUE;
    HANDLE saved_ = nullptr;
};

TEST(Win32Console, JapaneseTypedOnAConsoleOfAnyCodePageArrivesInCodePage932) {
    TypedConsole console;
    if (!console.Ready()) GTEST_SKIP() << "no console could be made";
    SetConsoleCP(437);
    console.Type(L"\u661f\u306e\u4e18\r" L"\r" L"caf\u00e9\r");
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
