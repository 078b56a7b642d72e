#pragma once
// Byte-level helpers for code page 932 text.
#include <string>
#include <string_view>
#include <vector>

namespace qi::platform::posix {

// True for the first byte of a double-byte character.
inline bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Lower-cases the ASCII letters that stand as single-byte characters; the
// second byte of a double-byte character is left alone (it may look like a
// letter). Used for case-insensitive comparison of names.
std::string FoldCase(std::string_view text);

// Splits at single-byte "\" delimiters; empty parts are dropped.
std::vector<std::string> SplitAtDelimiters(std::string_view text);

}  // namespace qi::platform::posix
