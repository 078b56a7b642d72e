#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>

namespace qi::platform::posix {

// The Windows attributes of a host entry with the given name and status.
uint32_t AttributesFromStat(const struct stat& info, std::string_view name);

// The packed DOS date and time (local time) of a host time.
std::optional<uint32_t> DosTimeOfHost(time_t seconds);

// The host time of a packed DOS date and time (local time); nullopt when
// the fields are out of range.
std::optional<time_t> HostTimeOfDos(uint32_t dosTime);

}  // namespace qi::platform::posix
