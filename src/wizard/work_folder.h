#pragma once
// Folders of the temporary folder that a run works in, and their removal.
#include <string>

namespace qi {

// Creates a fresh folder below parent (the temporary folder when empty):
// stem\, else the first of stem2\, stem3\, ... that no other program took
// first. The folder with a trailing delimiter; raises an error when none
// can be made.
std::string CreateWorkFolder(const std::string& stem, const std::string& parent = "");

// Every file of the folder, then each sub-folder depth first, then the
// folder itself; failures are ignored.
void DeleteFolderTree(const std::string& folder);

}  // namespace qi
