// Takes a resource out of a Linux program file: the section's entry becomes
// an unused one, so the resource is no longer found, and where nothing the
// program loads lies behind the section's bytes (objcopy puts an added
// section there) those bytes are cut out and what follows moves up.
#include <algorithm>

#include "platform/platform.h"
#include "platform/posix/elf_file.h"

namespace qi::platform {
namespace {

struct Field {
    size_t at, width;
};

// Where the fields this needs stand, in the 32-bit and the 64-bit layout.
struct ElfFields {
    Field tableOffset, segmentsOffset, segmentEntrySize, segmentCount;  // in the header
    Field sectionOffset;                                                // in a section entry
    Field segmentOffset, segmentFileSize;                               // in a segment entry
};
constexpr ElfFields kNarrow{{32, 4}, {28, 4}, {42, 2}, {44, 2}, {16, 4}, {4, 4}, {16, 4}};
constexpr ElfFields kWide{{40, 8}, {32, 8}, {54, 2}, {56, 2}, {24, 8}, {8, 8}, {32, 8}};

uint64_t Load(const std::vector<uint8_t>& bytes, size_t base, Field field) {
    return posix::LoadLittle(bytes, base + field.at, field.width);
}

// The end of the last byte the program's segments take from the file.
uint64_t SegmentsEnd(posix::ElfFile& file, const posix::ElfSectionTable& table, const ElfFields& fields) {
    uint64_t entrySize = Load(table.header, 0, fields.segmentEntrySize);
    uint64_t count = Load(table.header, 0, fields.segmentCount);
    if (count == 0) return 0;
    if (entrySize < fields.segmentFileSize.at + fields.segmentFileSize.width) file.Damaged("segment entries are too small");
    std::vector<uint8_t> segments = file.Bytes(Load(table.header, 0, fields.segmentsOffset), count * entrySize);
    uint64_t end = 0;
    for (uint64_t i = 0; i < count; ++i) {
        end = std::max(end, Load(segments, i * entrySize, fields.segmentOffset) +
                                Load(segments, i * entrySize, fields.segmentFileSize));
    }
    return end;
}

// Moves the bytes behind the section up by as much of its size as keeps
// the alignment of every section that moves (at least 8, the table's).
void CutOut(posix::ElfFile& file, posix::ElfSectionTable& table, const posix::ElfSection& removed,
            const ElfFields& fields) {
    const uint64_t behind = removed.offset + removed.size;
    uint64_t align = 8;
    for (uint64_t i = 1; i < table.count; ++i) {
        posix::ElfSection section = table.At(i);
        if (section.offset >= behind && section.type != posix::kElfNoBits) align = std::max(align, section.align);
    }
    const uint64_t shift = removed.size - removed.size % align;
    if (shift == 0) return;
    for (uint64_t i = 1; i < table.count; ++i) {
        posix::ElfSection section = table.At(i);
        if (section.offset >= behind && section.type != posix::kElfNoBits) {
            posix::StoreLittle(table.entries, i * table.entrySize + fields.sectionOffset.at,
                               fields.sectionOffset.width, section.offset - shift);
        }
    }
    if (table.tableOffset >= behind) table.tableOffset -= shift;
    posix::StoreLittle(table.header, fields.tableOffset.at, fields.tableOffset.width, table.tableOffset);
    constexpr uint64_t kChunk = 1 << 20;
    for (uint64_t from = removed.offset + shift; from < file.Size(); from += kChunk) {
        file.Write(from - shift, file.Bytes(from, std::min(kChunk, file.Size() - from)));
    }
    file.Truncate(file.Size() - shift);
}

}  // namespace

bool RemoveModuleResource(const std::string& moduleFile, const std::string& name, const std::string& type) {
    auto file = posix::OpenElfFile(moduleFile, true);
    if (!file) return false;
    auto table = posix::ReadSectionTable(*file);
    if (!table) return false;
    auto index = table->Find(posix::ResourceSectionName(name, type));
    if (!index) return false;
    const ElfFields& fields = table->wide ? kWide : kNarrow;
    const posix::ElfSection removed = table->At(*index);
    if (removed.type != posix::kElfNoBits && removed.size > 0 && SegmentsEnd(*file, *table, fields) <= removed.offset) {
        CutOut(*file, *table, removed, fields);
    }
    std::fill_n(table->entries.begin() + static_cast<ptrdiff_t>(*index * table->entrySize), table->entrySize, 0);
    file->Write(table->tableOffset, table->entries);
    file->Write(0, table->header);
    return true;
}

}  // namespace qi::platform
