#pragma once
// Name patterns of the command-line tools: "*" any run of bytes (folder
// delimiters included, so "cg\*" takes a whole folder), "?" one byte,
// letters compared ignoring case as the archive's names are.
#include <string>

namespace qi {

bool WildcardMatch(const std::string& pattern, const std::string& text);

}  // namespace qi
