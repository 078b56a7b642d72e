#pragma once
// Linux program files for tests.
#include <string>

namespace qi::test {

// A 64-bit relocatable ELF file with one section of the given name and data.
std::string ElfWithSection(const std::string& name, const std::string& data);

}  // namespace qi::test
