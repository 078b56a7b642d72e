#pragma once
// Test-side writer of archive directories in every version, independent of
// the reader: entries with their bytes, the directory scrambled as the
// format says, and raw hooks for damaged directories.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/random.h"
#include "archive/vrfiles.h"

namespace qi::test {

struct TestEntry {
    std::string name;
    std::string content;  // what extraction must give
    bool stored = true;   // false: the entry holds zlib bytes of content
    int32_t fileTime = 0;
    uint32_t checksum = 0;
    uint8_t loose = 0;
};

inline std::string Le32(int32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
    return bytes;
}

inline std::string Le64(int64_t value) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(static_cast<uint64_t>(value) >> (8 * i));
    return bytes;
}

inline std::string Zlib(const std::string& content, int level = 1) {
    uLongf size = compressBound(content.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(content.data()),
              content.size(), level);
    out.resize(size);
    return out;
}

inline uint32_t Crc(const std::string& bytes) {
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

// The bytes an entry occupies in the archive.
inline std::string Payload(const TestEntry& e, int version) {
    return e.stored && version >= 101 ? e.content : Zlib(e.content);
}

// A directory whose offsets are given as they go into the file (before
// scrambling); offsets.size() must be names.size() + 1 unless a test
// damages it on purpose.
inline std::string RawDirectory(int version, bool magic, int32_t count, const std::vector<std::string>& names,
                                const std::vector<int64_t>& offsets, const std::vector<TestEntry>& attributes = {}) {
    std::string out;
    if (magic) out += "vf" + Le32(version);
    out += Le32(count);
    TQsRandom nameKey(ArchiveSeed);
    for (const auto& name : names) {
        out += Le32(static_cast<int32_t>(name.size()));
        for (char c : name) out += version >= 100 ? static_cast<char>(nameKey.Mask8(static_cast<uint8_t>(c))) : c;
    }
    TQsRandom offsetKey(ArchiveSeed);
    for (int64_t offset : offsets) {
        if (version >= 101) {
            out += Le64(offsetKey.Mask64(offset));
        } else {
            int32_t value = static_cast<int32_t>(offset);
            out += Le32(version >= 100 ? offsetKey.Mask32(value) : value);
        }
    }
    if (version >= 101) {
        for (const auto& e : attributes) out += static_cast<char>(e.stored ? 1 : 0);
        for (const auto& e : attributes) out += Le32(e.fileTime);
        for (const auto& e : attributes) out += Le32(static_cast<int32_t>(e.checksum));
        if (version >= 102) {
            for (const auto& e : attributes) out += static_cast<char>(e.loose);
        }
    }
    return out;
}

inline std::vector<std::string> Names(const std::vector<TestEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
}

// A complete archive: the directory, then the entries' bytes in order.
// Offsets count from the directory's start; dataBase is added to them (for
// side-car directories, whose offsets are positions in another file).
inline std::string Directory(const std::vector<TestEntry>& entries, int version, int64_t firstOffset,
                             bool magic = true) {
    std::vector<int64_t> offsets{firstOffset};
    for (const auto& e : entries) offsets.push_back(offsets.back() + static_cast<int64_t>(Payload(e, version).size()));
    return RawDirectory(version, magic, static_cast<int32_t>(entries.size()), Names(entries), offsets, entries);
}

inline std::string Data(const std::vector<TestEntry>& entries, int version) {
    std::string data;
    for (const auto& e : entries) data += Payload(e, version);
    return data;
}

inline std::string Archive(const std::vector<TestEntry>& entries, int version, bool magic = true) {
    // The directory's length does not depend on the offset values.
    int64_t directorySize = static_cast<int64_t>(Directory(entries, version, 0, magic).size());
    return Directory(entries, version, directorySize, magic) + Data(entries, version);
}

// An executable image with the archive appended and the 6-byte trailer.
inline std::string ExecutableWith(const std::string& programImage, const std::string& archive) {
    return programImage + archive + Le32(static_cast<int32_t>(programImage.size())) + "qr";
}

// The content of an entry as the extraction delivers it.
inline std::string Extract(TVrFileCollection& archive, const std::string& name) {
    TMemoryStream memory;
    archive.ExtractToStream(memory, name);
    return std::string(memory.Bytes().begin(), memory.Bytes().end());
}

}  // namespace qi::test
