#pragma once
// A release from a project: discs or a download, written into a work
// folder that becomes the output folder only when everything is there.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "release/project.h"
#include "release/signing.h"

namespace qi {

struct ReleaseOptions {
    std::string Out;         // the output folder (a path of this system); must not exist
    bool DryRun = false;     // plan and report, write nothing
    bool Iso = false;        // a disc image beside each disc folder
    std::string UpdateFrom;  // an earlier release's output folder: also write an update
    int Jobs = 1;
    SigningKeys Signing;  // signs the Windows programs when enabled
    // Game files and their bytes handled so far, of the totals.
    std::function<void(int files, int totalFiles, int64_t bytes, int64_t totalBytes)> OnProgress;
};

// One line of the summary table per output.
struct ReleaseRow {
    std::string Output;
    int64_t Files = 0;       // plain files, or loose entries of a program
    int64_t Entries = 0;     // archive entries
    int64_t Compressed = 0;  // of them stored as zlib streams
    int64_t Bytes = 0;
    int64_t Free = -1;       // capacity left on a disc; -1 where none applies
};

struct ReleaseReport {
    std::vector<ReleaseRow> Rows;
    std::vector<std::string> Notes;  // UTF-8 lines after the table
};

ReleaseReport MakeRelease(const ReleaseProject& project, const ReleaseOptions& options);

}  // namespace qi
