#pragma once
// Text at the program's edge. The core works in code page 932; on Linux the
// command line and the terminal are UTF-8, and an absolute Linux path
// stands for the Windows path it maps to.
#include <string>

namespace qi {

// A command-line word or typed line in the core's code page.
std::string CoreText(const std::string& word);
// Core text as the terminal shows it (unchanged when it cannot be converted).
std::string ShownText(const std::string& text);

}  // namespace qi
