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
    uint32_t Time = 0;  // last written, packed DOS date and time
    Component Part = Component::Program;
    // A data-archive entry installed as a file of its own (downloads).
    bool Loose = false;
};

// The names a release writes at the top of a disc or install folder:
// install.exe, install.dat, autorun.inf, autorun.ico, game.dat, game.ext and the data
// archive's further volumes game.001, game.002, ...
bool IsReleaseFileName(const std::string& name);

// Every file of the game folder, by name bytes. Raises ReleaseError for a
// name code page 932 cannot hold, two names that differ only in case, a
// name the release writes itself, a missing exe or readme, and a pattern
// that matches no file.
std::vector<GameFile> ScanGame(const ReleaseProject& project);

}  // namespace qi
