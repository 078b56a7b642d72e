#pragma once
// The files a finished release installs, as an update compares them: name,
// size, content checksum and time.
#include <cstdint>
#include <map>
#include <string>

namespace qi {

struct ReleasedFile {
    std::string Name;  // as released (the map's key is upper case)
    int64_t Size = 0;
    uint32_t Crc = 0;       // CRC-32 of the content
    uint32_t FileTime = 0;  // packed DOS date and time
};

using ReleasedFiles = std::map<std::string, ReleasedFile>;

// Reads an earlier release's output folder (ending in "\"): its discs'
// plain files and archive entries, or its download's entries. The settings
// and the setup program are left out. Raises ReleaseError when the folder
// holds neither.
ReleasedFiles ReadRelease(const std::string& folder);

// CRC-32 of a file's content.
uint32_t FileCrc32(const std::string& path);

}  // namespace qi
