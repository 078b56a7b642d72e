#pragma once
// File helpers built on the platform's file interface, the same in every
// build.
#include <cstdint>
#include <string>
#include <vector>

namespace qi {

// Clears the read-only attribute of the file, when it has one, so that it
// can be replaced or deleted; the other attributes stay.
void ClearReadOnly(const std::string& path);

// The deepest folder level the walks below enter: no Windows path (260
// characters) holds more levels, and a disc deeper than that is not walked
// to its bottom.
constexpr int kMaxFolderDepth = 128;

// Appends the full paths of the matching entries of folder to list.
// mask: attribute bits that select an entry (the folder bit selects
// folders); includePlain: also entries that carry none of the six bits;
// extension: "" or ".exe" and the like, compared ignoring case; recurse
// goes down kMaxFolderDepth levels at most.
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

namespace qi {

// Whether a relative name below folder (ending in "\") passes through a
// link: one of its folders is a link, which would lead a write or a
// delete out of the folder.
bool PassesThroughLink(const std::string& folder, const std::string& relative);

// Relative names ("sub\name") of every file in and below root (a folder
// ending in "\"), down to kMaxFolderDepth levels. Names that code page 932
// cannot hold are left out; unwritable, when given, receives them
// (relative, UTF-8).
std::vector<std::string> FilesBelow(const std::string& root, std::vector<std::string>* unwritable = nullptr);

}  // namespace qi
