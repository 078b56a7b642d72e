#pragma once
// Where a game's save data may lie besides its installation folder: a
// folder named after the game in each user's local application data.
#include <string>
#include <vector>

namespace qi {

// Whether a name in the install folder is the player's save data
// ("save.dat"): an installation or update never writes over it, and only
// the save-data box of the uninstallation deletes it.
bool IsSaveData(const std::string& name);
// The title with each of \ / : , ; * ? " < > | replaced by "_".
std::string SafeTitle(const std::string& title);
// The drive of the system folder, such as "C:".
std::string SystemFolderDrive();
// Appends to list each user's local application-data folder + safe title +
// "\" that exists, from the machine's list of user profiles; returns the
// list's count. Nothing on Windows 95, 98 and Me or for an empty title.
int FindUserSaveFolders(const std::string& title, std::vector<std::string>& list);

}  // namespace qi
