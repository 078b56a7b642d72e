#pragma once
// An update between two releases: the setup program with an appended
// update archive that carries only what changed or is new.
#include <string>
#include <vector>

#include "release/release_content.h"
#include "release/release_files.h"

namespace qi {

struct UpdateDifference {
    std::vector<size_t> Changed, Added;  // indexes into the game's files
    int64_t Unchanged = 0, ChangedBytes = 0, AddedBytes = 0, UnchangedBytes = 0;
    bool TitleChanged = false;
    std::vector<std::string> Deleted;  // released before, gone now (UTF-8)
};

// Compares the game's files with an earlier release by size and CRC-32.
UpdateDifference CompareWithRelease(const ReleaseContent& content, const ReleasedFiles& old);

struct UpdateSummary {
    std::string File;  // "update.exe", or "update" for a Linux setup program
    ArchiveResult Archive;
    int64_t LooseEntries = 0;
    int64_t Bytes = 0;
};

// Writes the update into out (ending in "\"); work is a folder for copies.
// Changed files are stamped newer than the earlier release's, so that an
// installation replaces them whatever times the build gave them.
UpdateSummary WriteUpdate(ReleaseContent& content, const UpdateDifference& difference, const ReleasedFiles& old,
                          const std::string& out, const std::string& work);

}  // namespace qi
