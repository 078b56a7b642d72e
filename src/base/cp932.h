#pragma once
// Text as byte strings in code page 932 (Shift-JIS). A byte in 0x81-0x9F or
// 0xE0-0xFC starts a double-byte character whose second byte may be any
// value, "\" (0x5C) included, so delimiter searches walk by characters.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qi {

constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Length in bytes of the character that starts at text[index] (1 or 2).
size_t CharLength(const std::string& text, size_t index);

// True when text[index] is a "\" standing as a single-byte character.
bool IsPathDelimiter(const std::string& text, size_t index);

// The parts between single-byte "\" delimiters; empty parts are dropped.
std::vector<std::string> SplitAtDelimiters(std::string_view text);

// Index of the last single-byte character that occurs in delimiters, or npos.
size_t LastDelimiter(const std::string& delimiters, const std::string& text);

// Single-byte letters folded, double-byte characters left alone.
std::string UpperCase(const std::string& text);
std::string LowerCase(const std::string& text);
// Comparison ignoring the case of single-byte letters: <0, 0 or >0.
int CompareText(const std::string& a, const std::string& b);
// UpperCase(a) == UpperCase(b), and a hash of UpperCase(text), both without
// making the upper-cased copies (for indexes of names).
bool SameText(std::string_view a, std::string_view b);
size_t HashIgnoringCase(std::string_view text);

}  // namespace qi
