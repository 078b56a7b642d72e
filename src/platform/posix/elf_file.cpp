#include "platform/posix/elf_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/cp932.h"
#include "platform/error.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/sys_error.h"

namespace qi::platform::posix {
namespace {

constexpr uint16_t kExtendedIndex = 0xFFFF;  // SHN_XINDEX

bool SameNameIgnoringCase(const std::vector<uint8_t>& names, uint32_t at, const std::string& wanted) {
    if (at >= names.size() || names.size() - at <= wanted.size()) return false;  // room for the name and its end
    std::string name(reinterpret_cast<const char*>(names.data()) + at, wanted.size());
    return names[at + wanted.size()] == 0 && SameText(name, wanted);
}

}  // namespace

ElfFile::~ElfFile() { close(fd_); }

std::unique_ptr<ElfFile> OpenElfFile(const std::string& moduleFile, bool forWriting) {
    std::string native = MapToHost(moduleFile).path;
    int fd = open(native.c_str(), forWriting ? O_RDWR | O_NOFOLLOW | O_CLOEXEC : O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<ElfFile>(fd, moduleFile, static_cast<uint64_t>(info.st_size));
}

std::vector<uint8_t> ElfFile::Bytes(uint64_t offset, uint64_t count) {
    if (offset > size_ || count > size_ - offset) Damaged("a table or section lies beyond the end");
    std::vector<uint8_t> bytes(count);
    for (uint64_t done = 0; done < count;) {
        ssize_t got = pread(fd_, bytes.data() + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) RaiseSystemError(name_, "read failed", errno);
        if (got == 0) Damaged("the file ended early");
        done += static_cast<uint64_t>(got);
    }
    return bytes;
}

void ElfFile::Write(uint64_t offset, const std::vector<uint8_t>& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        ssize_t put = pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) RaiseSystemError(name_, "write failed", errno);
        done += static_cast<size_t>(put);
    }
    size_ = std::max<uint64_t>(size_, offset + bytes.size());
}

void ElfFile::Truncate(uint64_t size) {
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0) RaiseSystemError(name_, "write failed", errno);
    size_ = size;
}

void ElfFile::Damaged(const char* what) const { throw Error(name_ + ": damaged program file: " + what); }

uint64_t LoadLittle(const std::vector<uint8_t>& bytes, size_t at, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;) value = value << 8 | bytes.at(at + i);
    return value;
}

void StoreLittle(std::vector<uint8_t>& bytes, size_t at, size_t width, uint64_t value) {
    for (size_t i = 0; i < width; ++i, value >>= 8) bytes.at(at + i) = static_cast<uint8_t>(value);
}

namespace {

ElfSection ParseSection(const std::vector<uint8_t>& table, size_t at, bool wide) {
    auto field = [&](size_t offset, size_t width) { return LoadLittle(table, at + offset, width); };
    if (wide) {
        return {uint32_t(field(0, 4)), uint32_t(field(4, 4)), field(24, 8), field(32, 8), uint32_t(field(40, 4)),
                field(48, 8)};
    }
    return {uint32_t(field(0, 4)), uint32_t(field(4, 4)), field(16, 4), field(20, 4), uint32_t(field(24, 4)),
            field(32, 4)};
}

}  // namespace

ElfSection ElfSectionTable::At(uint64_t index) const { return ParseSection(entries, index * entrySize, wide); }

std::optional<uint64_t> ElfSectionTable::Find(const std::string& name) const {
    for (uint64_t index = 1; index < count; ++index) {
        if (SameNameIgnoringCase(names, At(index).name, name)) return index;
    }
    return std::nullopt;
}

std::optional<ElfSectionTable> ReadSectionTable(ElfFile& file) {
    const uint64_t fileSize = file.Size();
    if (fileSize < 52) return std::nullopt;
    std::vector<uint8_t> header = file.Bytes(0, std::min<uint64_t>(fileSize, 64));
    bool elf = std::memcmp(header.data(), "\x7F" "ELF", 4) == 0 && (header[4] == 1 || header[4] == 2);
    if (!elf || header[5] != 1) return std::nullopt;
    ElfSectionTable table{header[4] == 2, header, 0, 0, 0, {}, {}};
    if (table.wide && header.size() < 64) file.Damaged("the header is cut off");
    table.tableOffset = table.wide ? LoadLittle(header, 40, 8) : LoadLittle(header, 32, 4);
    size_t at = table.wide ? 58 : 46;
    table.entrySize = LoadLittle(header, at, 2);
    table.count = LoadLittle(header, at + 2, 2);
    uint64_t namesIndex = LoadLittle(header, at + 4, 2);
    if (table.tableOffset == 0) return std::nullopt;
    if (table.entrySize < (table.wide ? 64u : 40u)) file.Damaged("section entries are too small");
    if (table.count == 0 || namesIndex == kExtendedIndex) {
        // Many sections: the real numbers stand in section 0.
        ElfSection first = ParseSection(file.Bytes(table.tableOffset, table.entrySize), 0, table.wide);
        if (table.count == 0) table.count = first.size;
        if (namesIndex == kExtendedIndex) namesIndex = first.link;
    }
    if (table.tableOffset > fileSize || table.count > (fileSize - table.tableOffset) / table.entrySize) {
        file.Damaged("the section table is larger than the file");
    }
    if (namesIndex == 0) return std::nullopt;  // sections without names
    if (namesIndex >= table.count) file.Damaged("the section-name table is missing");
    table.entries = file.Bytes(table.tableOffset, table.count * table.entrySize);
    ElfSection names = table.At(namesIndex);
    table.names = file.Bytes(names.offset, names.size);
    return table;
}

}  // namespace qi::platform::posix
