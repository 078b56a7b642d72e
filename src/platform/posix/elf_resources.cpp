// Resources of a program file. A Linux program carries a resource as an ELF
// section named ".rsrc.<TYPE>.<NAME>", added to the built program with
//   objcopy --add-section .rsrc.BINTYPE.DUMMY=archive.dat program
// Type and name compare ignoring ASCII case, as resource names do on Windows.
// A file that cannot be opened or is not a little-endian ELF file has no
// resources, and a damaged one raises qi::Error.
#include "platform/platform.h"
#include "platform/posix/elf_file.h"

namespace qi::platform {

std::optional<std::vector<uint8_t>> LoadModuleResource(const std::string& moduleFile, const std::string& name,
                                                       const std::string& type) {
    auto file = posix::OpenElfFile(moduleFile, false);
    if (!file) return std::nullopt;
    auto table = posix::ReadSectionTable(*file);
    if (!table) return std::nullopt;
    auto index = table->Find(posix::ResourceSectionName(name, type));
    if (!index) return std::nullopt;
    posix::ElfSection section = table->At(*index);
    if (section.type == posix::kElfNoBits) return std::vector<uint8_t>{};
    return file->Bytes(section.offset, section.size);
}

}  // namespace qi::platform
