// Resources of a program file. A Linux program carries a resource as an ELF
// section named ".rsrc.<TYPE>.<NAME>", added to the built program with
//   objcopy --add-section .rsrc.BINTYPE.DUMMY=archive.dat program
// Type and name compare ignoring ASCII case, as resource names do on Windows.
// The section table of the file is read with every offset and size checked
// against the file's size: a file that cannot be opened or is not a
// little-endian ELF file has no resources, and a damaged one raises qi::Error.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/cp932.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/sys_error.h"

namespace qi::platform {
namespace {

struct Section {
    uint32_t name;  // offset in the section-name table
    uint32_t type;
    uint64_t offset, size;
    uint32_t link;
};

constexpr uint32_t kNoBits = 8;              // SHT_NOBITS: occupies no bytes of the file
constexpr uint16_t kExtendedIndex = 0xFFFF;  // SHN_XINDEX

class ElfReader {
public:
    ElfReader(int fd, std::string name, uint64_t size) : fd_(fd), name_(std::move(name)), size_(size) {}
    ~ElfReader() { close(fd_); }
    ElfReader(const ElfReader&) = delete;
    ElfReader& operator=(const ElfReader&) = delete;

    // Reads count bytes at offset, which must lie inside the file.
    std::vector<uint8_t> Bytes(uint64_t offset, uint64_t count) {
        if (offset > size_ || count > size_ - offset) Damaged("a table or section lies beyond the end");
        std::vector<uint8_t> bytes(count);
        for (uint64_t done = 0; done < count;) {
            ssize_t got = pread(fd_, bytes.data() + done, count - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) posix::RaiseSystemError(name_, "read failed", errno);
            if (got == 0) Damaged("the file ended early");
            done += static_cast<uint64_t>(got);
        }
        return bytes;
    }

    [[noreturn]] void Damaged(const char* what) { throw Error(name_ + ": damaged program file: " + what); }

private:
    int fd_;
    std::string name_;
    uint64_t size_;
};

uint64_t Little(const std::vector<uint8_t>& bytes, size_t at, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;) value = value << 8 | bytes.at(at + i);
    return value;
}

struct Layout {
    bool wide;  // 64-bit
    uint64_t tableOffset;
    uint64_t entrySize, count, namesIndex;
};

Section ParseSection(const std::vector<uint8_t>& table, size_t at, bool wide) {
    if (wide) {
        return {uint32_t(Little(table, at, 4)), uint32_t(Little(table, at + 4, 4)), Little(table, at + 24, 8),
                Little(table, at + 32, 8), uint32_t(Little(table, at + 40, 4))};
    }
    return {uint32_t(Little(table, at, 4)), uint32_t(Little(table, at + 4, 4)), Little(table, at + 16, 4),
            Little(table, at + 20, 4), uint32_t(Little(table, at + 24, 4))};
}

// The section table's place; nullopt for a file that is no little-endian ELF
// file or has no sections.
std::optional<Layout> ReadLayout(ElfReader& file, uint64_t fileSize) {
    if (fileSize < 52) return std::nullopt;
    std::vector<uint8_t> header = file.Bytes(0, std::min<uint64_t>(fileSize, 64));
    bool elf = std::memcmp(header.data(), "\x7F" "ELF", 4) == 0 && (header[4] == 1 || header[4] == 2);
    if (!elf || header[5] != 1) return std::nullopt;
    Layout layout{header[4] == 2, 0, 0, 0, 0};
    if (layout.wide && header.size() < 64) file.Damaged("the header is cut off");
    layout.tableOffset = layout.wide ? Little(header, 40, 8) : Little(header, 32, 4);
    size_t at = layout.wide ? 58 : 46;
    layout.entrySize = Little(header, at, 2);
    layout.count = Little(header, at + 2, 2);
    layout.namesIndex = Little(header, at + 4, 2);
    if (layout.tableOffset == 0) return std::nullopt;
    if (layout.entrySize < (layout.wide ? 64u : 40u)) file.Damaged("section entries are too small");
    if (layout.count == 0 || layout.namesIndex == kExtendedIndex) {
        // Many sections: the real numbers stand in section 0.
        Section first = ParseSection(file.Bytes(layout.tableOffset, layout.entrySize), 0, layout.wide);
        if (layout.count == 0) layout.count = first.size;
        if (layout.namesIndex == kExtendedIndex) layout.namesIndex = first.link;
    }
    if (layout.tableOffset > fileSize || layout.count > (fileSize - layout.tableOffset) / layout.entrySize) {
        file.Damaged("the section table is larger than the file");
    }
    if (layout.namesIndex == 0) return std::nullopt;  // sections without names
    if (layout.namesIndex >= layout.count) file.Damaged("the section-name table is missing");
    return layout;
}

bool SameNameIgnoringCase(const std::vector<uint8_t>& names, uint32_t at, const std::string& wanted) {
    if (at >= names.size() || names.size() - at <= wanted.size()) return false;  // room for the name and its end
    std::string name(reinterpret_cast<const char*>(names.data()) + at, wanted.size());
    return names[at + wanted.size()] == 0 && SameText(name, wanted);
}

std::optional<std::vector<uint8_t>> FindSection(ElfReader& file, uint64_t fileSize, const std::string& wanted) {
    auto layout = ReadLayout(file, fileSize);
    if (!layout) return std::nullopt;
    std::vector<uint8_t> table = file.Bytes(layout->tableOffset, layout->count * layout->entrySize);
    auto section = [&](uint64_t index) { return ParseSection(table, index * layout->entrySize, layout->wide); };
    Section namesSection = section(layout->namesIndex);
    std::vector<uint8_t> names = file.Bytes(namesSection.offset, namesSection.size);
    for (uint64_t index = 1; index < layout->count; ++index) {
        Section candidate = section(index);
        if (!SameNameIgnoringCase(names, candidate.name, wanted)) continue;
        if (candidate.type == kNoBits) return std::vector<uint8_t>{};
        return file.Bytes(candidate.offset, candidate.size);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<uint8_t>> LoadModuleResource(const std::string& moduleFile, const std::string& name,
                                                       const std::string& type) {
    std::string native = posix::MapToHost(moduleFile).path;
    int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info;
    uint64_t size = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
    ElfReader file(fd, moduleFile, size);  // closes fd
    return FindSection(file, size, ".rsrc." + type + "." + name);
}

}  // namespace qi::platform
