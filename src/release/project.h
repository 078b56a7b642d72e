#pragma once
// A game maker's release project: a short TOML file naming the game folder,
// the install settings that differ from their defaults and the medium.
#include <string>
#include <vector>

#include "release/medium.h"
#include "settings/install_set.h"

namespace qi {

struct ReleaseProject {
    std::string ProjectFile;   // as given
    std::string GameFolder;    // ends in "\"
    std::string SetupProgram;  // the setup program to ship
    std::string TitleImage;    // a picture or layered image file; empty for none
    std::string Icon;          // a picture for the disc's autorun.inf; empty for none
    Medium Target;
    // Patterns (backslashes, code page 932) of the files that go into the
    // data archive; empty: every file but the program, readme, sound and
    // movie files.
    std::vector<std::string> ArchivePatterns;
    // Patterns of the archive files installed as separate files.
    std::vector<std::string> LoosePatterns;
    // Title, ExeFile, ReadmeFile, the texts and every [settings] value.
    TQuorInstallSet Settings;
};

// Reads the project file (a path of this system). Paths in it are relative
// to its folder; defaultSetup is the setup program used when it names none.
// Raises ReleaseError naming the file, line and key for a syntax fault, an
// unknown key, a value of the wrong kind, text code page 932 cannot hold or
// a missing required key.
ReleaseProject LoadProject(const std::string& projectFile, const std::string& defaultSetup);

}  // namespace qi
