#pragma once
// Path and number texts of code page 932 strings, for every layer.
#include <cstdint>
#include <string>

namespace qi {

// The text with "\" appended unless it already ends in a path delimiter.
std::string AddBackslash(const std::string& text);
// Cuts one trailing delimiter, then the last delimiter and all after it.
void ParentKeyPath(std::string& path);
// "1234567" -> "1,234,567".
std::string FormatThousands(int64_t value);
// The part after the last delimiter or drive colon.
std::string ExtractFileName(const std::string& path);
// The part up to and including the last delimiter or drive colon.
std::string ExtractFilePath(const std::string& path);
// From the last "." of the file name on, dot included; empty when none.
std::string ExtractFileExt(const std::string& path);

}  // namespace qi
