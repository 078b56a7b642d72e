// The folders the system asks for by purpose, laid out on drive C: as Wine
// lays them out. The temporary folder is C:\windows\temp: all of drive C:
// belongs to the user, so it is as private as a per-user temporary folder.
// The Programs menu is the desktop's applications folder, where shortcuts
// become menu entries.
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/native_fs.h"
#include "platform/posix/roots.h"
#include "platform/posix/sys_error.h"

namespace qi::platform {
namespace {

constexpr int kCsidlDesktop = 0x00;

std::string UserFolder() { return "C:\\users\\" + Cp932FromUtf8(posix::UserName()); }

std::string ProgramsMenu() {
    std::string native = posix::ApplicationsFolder();
    posix::MakeFolders(native);
    return FromNativePath(native);
}

std::string SpecialFolderPath(int csidl) {
    switch (csidl) {
        case kCsidlPrograms:
        case kCsidlCommonPrograms: return ProgramsMenu();
        case kCsidlDesktop:
        case kCsidlDesktopDirectory: return UserFolder() + "\\Desktop";
        case kCsidlPersonal: return UserFolder() + "\\Documents";
        case kCsidlStartMenu: return UserFolder() + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
        case kCsidlAppData: return UserFolder() + "\\AppData\\Roaming";
        case kCsidlLocalAppData: return UserFolder() + "\\AppData\\Local";
        case kCsidlCommonDesktopDirectory: return "C:\\users\\Public\\Desktop";
        case kCsidlProgramFiles: return "C:\\Program Files";
        default: return {};
    }
}

}  // namespace

std::string TempFolder() {
    CreateFolders("C:\\windows\\temp");
    return "C:\\windows\\temp\\";
}

std::string WindowsFolder() { return "C:\\windows"; }

std::string SystemFolder() { return "C:\\windows\\system32"; }

// The folder is created when missing, as the shell does for its folders.
std::string SpecialFolder(int csidl) {
    std::string folder = SpecialFolderPath(csidl);
    if (!folder.empty()) CreateFolders(folder);
    return folder;
}

std::string ModuleFileName() {
    std::string target(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) == target.size()) {
        posix::RaiseSystemError("/proc/self/exe", "cannot read the program's path", length < 0 ? errno : ENAMETOOLONG);
    }
    target.resize(static_cast<size_t>(length));
    return FromNativePath(target);
}

}  // namespace qi::platform
