#pragma once
// Code page 932 texts written as readable UTF-8 into the program's own text
// files. Escapes: \\, \n, \r, \t, a backslash before the text's terminator
// ("\"" or "\]"), and \xHH for a byte that has no faithful UTF-8 form and
// for other control bytes. Every text reads back to the very same bytes.
#include <string>
#include <string_view>

namespace qi::platform::posix {

std::string EscapeText(const std::string& cp932, char terminator);

// Reads an escaped text from line at pos up to the unescaped terminator and
// moves pos past the terminator. Raises qi::Error when the terminator is
// missing or the text is malformed.
std::string UnescapeText(std::string_view line, size_t& pos, char terminator);

}  // namespace qi::platform::posix
