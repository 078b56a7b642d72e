#pragma once
// Small path and text helpers shared by the start-up code and the wizard.
#include <cstdint>
#include <string>
#include <vector>

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

// Appends the full paths of the matching entries of folder to list.
// mask: attribute bits that select an entry (the folder bit selects
// folders); includePlain: also entries that carry none of the six bits;
// extension: "" or ".exe" and the like, compared ignoring case.
struct ListFilesOptions {
    uint16_t mask = 47;
    bool includePlain = true;
    std::string extension;
    bool clearAttributes = false;
    bool delimiterOnFolders = false;
    bool recurse = false;
    bool clearList = false;
};
void ListFiles(const std::string& folder, const ListFilesOptions& options, std::vector<std::string>& list);

}  // namespace qi
