#pragma once
// Writes a single-file download: the setup program with one appended
// archive that carries the settings and the whole game.
#include <string>

#include "release/release_content.h"

namespace qi {

struct DownloadSummary {
    std::string File;  // "setup.exe", or "setup" for a Linux setup program
    int64_t Entries = 0, LooseEntries = 0, Compressed = 0;
    int64_t Bytes = 0;
};

// The program's name in a release: base + ".exe" for a Windows program.
std::string ProgramName(const ReleaseContent& content, const std::string& base);

// The settings a carrying program brings for the listed game files (and
// the title image, when it goes along), besides programBytes of its own:
// one medium, everything carried, program, sound and movie files written
// out as files of their own and data entries merged into game.dat.
TQuorInstallSet CarriedSettings(const ReleaseContent& content, const std::vector<size_t>& files, bool title,
                                int64_t programBytes);
std::string SettingsBytes(const TQuorInstallSet& settings);

// Appends an archive of the made entries and the listed game files (found
// below basePath) to a copy of the setup program at exe; program, sound and
// movie files and the loose patterns' files go as loose entries.
ArchiveResult WriteCarryingProgram(ReleaseContent& content, const std::vector<MadeEntry>& made,
                                   const std::vector<size_t>& files, const std::string& exe,
                                   const std::string& basePath);

// out ends in "\".
DownloadSummary WriteDownload(ReleaseContent& content, const std::string& out);

}  // namespace qi
