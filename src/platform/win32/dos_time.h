#pragma once
// Write times in the packed DOS form the archives and install settings keep.
#include <windows.h>

#include <cstdint>
#include <optional>

namespace qi::platform::win32 {

// The packed DOS date and time (local time) of a file time (UTC).
inline std::optional<uint32_t> DosTimeOf(const FILETIME& utc) {
    FILETIME local;
    WORD date, time;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return std::nullopt;
    return static_cast<uint32_t>(date) << 16 | time;
}

}  // namespace qi::platform::win32
