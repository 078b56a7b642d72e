#pragma once
// Text at the program's edge. The core works in code page 932. What the
// program shows is UTF-8 on both systems (a Windows console is switched to
// UTF-8 while it runs). On Linux the command line and typed lines are UTF-8
// too, and an absolute Linux path stands for the Windows path it maps to;
// on Windows they arrive in code page 932 already.
#include <string>

namespace qi {

// A command-line word or typed line in the core's code page.
std::string CoreText(const std::string& word);
// Core text as the terminal shows it (unchanged when it cannot be converted).
std::string ShownText(const std::string& text);
// ShownText made harmless for a terminal: control characters other than
// line breaks and tabs are shown as ^X (and C1 controls as "?"), so that a
// title or a licence text cannot send the terminal commands (clear the
// screen, write the clipboard). A line break may be "\r\n" or "\n".
std::string TerminalText(const std::string& text);

}  // namespace qi
