#pragma once
// Writes the folders of a disc set: disc1, disc2, ... each with the setup
// program as install.exe, its settings, its data archive and its plain
// files; disc 1 also with autorun.inf.
#include <string>
#include <vector>

#include "release/disc_plan.h"
#include "release/release_content.h"

namespace qi {

struct DiscSummary {
    std::string Folder;  // "disc1"
    int64_t PlainFiles = 0, Entries = 0, Compressed = 0;
    int64_t Bytes = 0;      // of the folder's files
    int64_t Free = 0;       // capacity left
};

// The fixed bytes of every disc besides the game's files.
int64_t DiscFixedBytes(const ReleaseContent& content);

// out ends in "\".
std::vector<DiscSummary> WriteDiscs(ReleaseContent& content, const std::vector<DiscLoad>& plan, const std::string& out);

}  // namespace qi
