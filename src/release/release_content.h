#pragma once
// What every kind of release is made of: the project, the game's files,
// the title image and the setup program, and how far the work has got.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "release/game_files.h"
#include "release/project.h"
#include "release/signing.h"
#include "settings/install_set.h"

namespace qi {

// An entry whose content the release makes itself (settings, title image,
// the uninstaller).
struct MadeEntry {
    std::string Name;
    std::string Bytes;
    uint32_t FileTime = 0;
    bool Loose = false;
};

struct ReleaseContent {
    ReleaseContent(const ReleaseProject& project, std::vector<GameFile> files)
        : Project(project), Files(std::move(files)) {}

    const ReleaseProject& Project;
    std::vector<GameFile> Files;
    MadeEntry Title;             // empty name: no title image
    std::string AutorunIcon;     // icon file bytes for disc 1; empty for none
    std::string SetupProgram;    // the setup program's own part, in the work folder
    // The same as it is shipped on its own (install.exe): signed when the
    // release signs.
    std::string PlainProgram;
    SigningKeys Signing;
    bool WindowsSetup = true;    // a Windows program ("MZ"), not a Linux one
    // Told the game files and their bytes written so far.
    std::function<void(int files, int64_t bytes)> OnProgress;
    int DoneFiles = 0;
    int64_t DoneBytes = 0;
    int Jobs = 1;

    void Advance(int64_t bytes) {
        ++DoneFiles;
        DoneBytes += bytes;
        if (OnProgress) OnProgress(DoneFiles, DoneBytes);
    }
    // The time the release gives the files it makes: that of the newest
    // game file, so that the same files give the same release.
    uint32_t ReleaseTime() const;
    // The project's settings with the release's own defaults.
    TQuorInstallSet BaseSettings() const;
};

// What a data archive was made of.
struct ArchiveResult {
    int64_t DataBytes = 0;   // stored bytes of the entries merged into game.dat
    int64_t Entries = 0;
    int64_t Compressed = 0;  // entries stored as zlib streams
};

// Writes a data archive of the made entries, then of the game files listed
// (by index) as found below basePath, each loose when its Loose flag says
// so or, with allButDataLoose, when it is not a data file.
ArchiveResult WriteDataArchive(ReleaseContent& content, const std::vector<MadeEntry>& made,
                               const std::vector<size_t>& files, bool allButDataLoose, const std::string& path,
                               const std::string& basePath);

// The size of a component on one disc.
int64_t& ComponentSize(TQuorInstallSet& settings, Component part, int disc);
// Each component's total: the sum of its per-disc sizes.
void SetComponentTotals(TQuorInstallSet& settings);

// The data archive's directory bytes that entries of these names add.
int64_t DirectoryBytes(const std::vector<std::string>& names, bool first);

}  // namespace qi
