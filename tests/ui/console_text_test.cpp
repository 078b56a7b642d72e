#include <gtest/gtest.h>

#include "ui/console_text.h"

namespace qi {
namespace {

// Titles and licence texts come from a disc or a download: what they hold
// must not command the terminal.
TEST(TerminalText, ControlCharactersAreShownNotSent) {
    EXPECT_EQ(TerminalText("line one\r\nline two\n\tend"), "line one\nline two\n\tend");
    EXPECT_EQ(TerminalText("a\x1b]52;c;ZXZpbA==\x07z"), "a^[]52;c;ZXZpbA==^Gz");  // a clipboard write
    EXPECT_EQ(TerminalText("\x1b[2J\x1b[H"), "^[[2J^[[H");                        // a screen clear
    EXPECT_EQ(TerminalText("over\rwrite\x7f"), "over^Mwrite^?");
    EXPECT_EQ(TerminalText("\x80"), "?");          // U+0080, a C1 control
    EXPECT_EQ(TerminalText("\x9b" "2J\xff"), "?2J?");  // not code page 932: no raw byte goes out
}

}  // namespace
}  // namespace qi
