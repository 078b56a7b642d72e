// Which family of Windows the program runs on.
#include "platform/platform.h"
#include "platform/win32/windows_version.h"

namespace qi::platform {

bool IsWindowsNT() { return !win32::IsWindows9x(); }

}  // namespace qi::platform
