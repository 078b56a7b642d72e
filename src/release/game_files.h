#pragma once
// The files of a game folder and where each goes: a plain file of one of
// the install components, or an entry of the data archive.
#include <cstdint>
#include <string>
#include <vector>

#include "release/project.h"

namespace qi {

enum class Component { Program, Data, Sound, Movie };

struct GameFile {
    std::string Name;  // relative to the game folder, "\" between steps
    int64_t Size = 0;
    Component Part = Component::Program;
    // A data-archive entry installed as a file of its own (downloads).
    bool Loose = false;
};

// Every file of the game folder, by name bytes. Raises ReleaseError for a
// name code page 932 cannot hold, two names that differ only in case, a
// name the release writes itself, a missing exe or readme, and a pattern
// that matches no file.
std::vector<GameFile> ScanGame(const ReleaseProject& project);

}  // namespace qi
