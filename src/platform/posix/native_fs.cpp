#include "platform/posix/native_fs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/error.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/sys_error.h"

namespace qi::platform::posix {

bool NameExists(const std::string& native) {
    struct stat info;
    return lstat(native.c_str(), &info) == 0;
}

std::optional<struct stat> LinkStatus(const std::string& native) {
    struct stat info;
    if (lstat(native.c_str(), &info) != 0) return std::nullopt;
    return info;
}

bool IsDirectory(const std::string& native) {
    struct stat info;
    return stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

// True when the folder was made or is there already.
bool MakeFolder(const std::string& native) {
    int error = 0;
    const bool made = ChangeNoted([&] { return mkdir(native.c_str(), 0777) == 0 || (error = errno, false); }, "", native);
    return made || error == EEXIST;
}

}  // namespace

bool MakeFolders(const std::string& native, size_t keepLength) {
    for (size_t slash = native.find('/', keepLength + 1); slash != std::string::npos;
         slash = native.find('/', slash + 1)) {
        std::string level = native.substr(0, slash);
        if (!MakeFolder(level)) return false;
    }
    if (!MakeFolder(native)) return false;
    return IsDirectory(native);
}

std::string CurrentDirectory() {
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) RaiseSystemError("current directory", "cannot be determined", errno);
    std::string result(cwd);
    free(cwd);
    return result;
}

std::string ParentOf(const std::string& native) {
    size_t slash = native.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : native.substr(0, slash);
}

}  // namespace qi::platform::posix
