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

// Appends an archive of the made entries and the listed game files to a
// copy of the setup program at exe (program, sound and movie files and
// the loose patterns' files as loose entries).
ArchiveResult WriteCarryingProgram(ReleaseContent& content, const std::vector<MadeEntry>& made,
                                   const std::vector<size_t>& files, const std::string& exe);

// out ends in "\".
DownloadSummary WriteDownload(ReleaseContent& content, const std::string& out);

}  // namespace qi
