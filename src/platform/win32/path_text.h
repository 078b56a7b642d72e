#pragma once
// Path delimiters in code page 932 byte strings. A delimiter is a "\" byte
// standing as a single-byte character: the second byte of a double-byte
// character can be 0x5C too and never counts.
#include <cstddef>
#include <string>
#include <vector>

namespace qi::platform::win32 {

// Offsets of the delimiters of path, in order.
std::vector<size_t> DelimiterOffsets(const std::string& path);
// Length of the part of path that names a volume: "C:\" 3, "\\server\share\" up
// to its delimiter, a leading "\" 1, a relative path 0.
size_t RootLength(const std::string& path);
bool EndsWithDelimiter(const std::string& path);
// The folder holding path, with its trailing delimiter ("C:\a\b\" -> "C:\a\");
// empty when path names a volume or has no folder part.
std::string ParentFolder(const std::string& path);

}  // namespace qi::platform::win32
