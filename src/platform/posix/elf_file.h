#pragma once
// An ELF program file's section table, read with every offset and size
// checked against the file's size. A file that is not a little-endian ELF
// file has no table; a damaged one raises qi::Error naming the file.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qi::platform::posix {

struct ElfSection {
    uint32_t name;  // offset in the section-name table
    uint32_t type;
    uint64_t offset, size;
    uint32_t link;
    uint64_t align;
};

constexpr uint32_t kElfNoBits = 8;  // SHT_NOBITS: occupies no bytes of the file

// An open file (the reader closes it) of a known size.
class ElfFile {
public:
    ElfFile(int fd, std::string name, uint64_t size) : fd_(fd), name_(std::move(name)), size_(size) {}
    ~ElfFile();
    ElfFile(const ElfFile&) = delete;
    ElfFile& operator=(const ElfFile&) = delete;

    // Reads count bytes at offset, which must lie inside the file.
    std::vector<uint8_t> Bytes(uint64_t offset, uint64_t count);
    void Write(uint64_t offset, const std::vector<uint8_t>& bytes);
    void Truncate(uint64_t size);
    uint64_t Size() const { return size_; }
    [[noreturn]] void Damaged(const char* what) const;

private:
    int fd_;
    std::string name_;
    uint64_t size_;
};

uint64_t LoadLittle(const std::vector<uint8_t>& bytes, size_t at, size_t width);
void StoreLittle(std::vector<uint8_t>& bytes, size_t at, size_t width, uint64_t value);

// The header's numbers and the section table as the file holds it.
struct ElfSectionTable {
    bool wide;  // 64-bit
    std::vector<uint8_t> header;
    uint64_t tableOffset, entrySize, count;
    std::vector<uint8_t> entries;
    std::vector<uint8_t> names;  // the section-name table

    ElfSection At(uint64_t index) const;
    // The first section of that name (ASCII case ignored), never section 0.
    std::optional<uint64_t> Find(const std::string& name) const;
};

// The program file (a Windows path), opened for writing only when it is no
// link; nullptr when it cannot be opened or is no regular file.
std::unique_ptr<ElfFile> OpenElfFile(const std::string& moduleFile, bool forWriting);

// A resource is carried as a section named ".rsrc.<TYPE>.<NAME>".
inline std::string ResourceSectionName(const std::string& name, const std::string& type) {
    return ".rsrc." + type + "." + name;
}

// nullopt for a file that is no little-endian ELF file or has no named
// sections.
std::optional<ElfSectionTable> ReadSectionTable(ElfFile& file);

}  // namespace qi::platform::posix
