#include "support/elf_builder.h"

#include <cstdint>

namespace qi::test {
namespace {

void Put(std::string& bytes, size_t at, uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

std::string ElfWithSection(const std::string& name, const std::string& data) {
    std::string bytes(64, '\0');
    const uint64_t dataOffset = bytes.size();
    bytes += data;
    const uint64_t namesOffset = bytes.size();
    const std::string names = std::string(1, '\0') + name + '\0' + ".shstrtab" + '\0';
    bytes += names;
    bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
    const size_t table = bytes.size();
    bytes.resize(table + 3 * 64, '\0');
    auto section = [&](size_t index, uint32_t nameAt, uint32_t type, uint64_t offset, uint64_t size) {
        size_t at = table + index * 64;
        Put(bytes, at, nameAt, 4);
        Put(bytes, at + 4, type, 4);
        Put(bytes, at + 24, offset, 8);
        Put(bytes, at + 32, size, 8);
    };
    section(1, 1, 1, dataOffset, data.size());
    section(2, static_cast<uint32_t>(name.size() + 2), 3, namesOffset, names.size());
    bytes.replace(0, 7, std::string("\x7F" "ELF") + '\x02' + '\x01' + '\x01');
    Put(bytes, 16, 1, 2);
    Put(bytes, 18, 62, 2);
    Put(bytes, 20, 1, 4);
    Put(bytes, 40, table, 8);
    Put(bytes, 52, 64, 2);
    Put(bytes, 58, 64, 2);
    Put(bytes, 60, 3, 2);
    Put(bytes, 62, 2, 2);
    return bytes;
}

}  // namespace qi::test
