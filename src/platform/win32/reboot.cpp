// Deletion of a file when Windows starts the next time.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_version.h"

namespace qi::platform {

bool DeleteOnReboot(const std::string& path) {
    if (!win32::IsWindows9x()) {
        return MoveFileExW(win32::Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    }
    // Windows 9x, which has no W calls, reads the "rename" section of wininit.ini at start-up; a
    // target of NUL deletes the file, which must be given by its short name.
    std::string settings = WindowsFolder() + "\\wininit.ini";
    std::string shortName = ShortPathName(path);
    return WritePrivateProfileStringA("rename", "NUL", shortName.c_str(), settings.c_str()) != FALSE;
}

// Windows itself carries out the deletions scheduled above when it starts.
void RunPendingDeletions() {}

}  // namespace qi::platform
