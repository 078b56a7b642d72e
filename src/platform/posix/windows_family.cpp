// Linux stands in for the Windows NT family: user profiles, all users'
// menus and the like are laid out as there.
#include "platform/platform.h"

namespace qi::platform {

bool IsWindowsNT() { return true; }

}  // namespace qi::platform
