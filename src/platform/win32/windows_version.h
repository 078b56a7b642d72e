#pragma once
#include <windows.h>

namespace qi::platform::win32 {

// Windows 95, 98 and Me report themselves with the high bit of GetVersion set.
inline bool IsWindows9x() { return (GetVersion() & 0x80000000u) != 0; }

}  // namespace qi::platform::win32
