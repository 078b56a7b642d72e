#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <string_view>

namespace qi::platform::posix {

// The Windows attributes of a host entry with the given name and status.
uint32_t AttributesFromStat(const struct stat& info, std::string_view name);

}  // namespace qi::platform::posix
