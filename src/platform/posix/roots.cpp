#include "platform/posix/roots.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/error.h"
#include "platform/posix/native_fs.h"
#include "platform/posix/sys_error.h"

namespace qi::platform::posix {
namespace {

// An environment variable holding a folder, made absolute; empty when unset.
std::string FolderFromEnvironment(const char* name) {
    const char* value = getenv(name);
    if (!value || !*value) return {};
    std::string folder = value;
    if (folder[0] != '/') folder = CurrentDirectory() + "/" + folder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string HomeFolder() {
    std::string home = FolderFromEnvironment("HOME");
    if (!home.empty()) return home;
    const passwd* entry = getpwuid(getuid());
    if (entry && entry->pw_dir && *entry->pw_dir) return entry->pw_dir;
    throw Error("the home folder of the user is unknown");
}

std::string DataHome() {
    std::string data = FolderFromEnvironment("XDG_DATA_HOME");
    return data.empty() ? HomeFolder() + "/.local/share" : data;
}

std::string Sandbox() { return FolderFromEnvironment("QINSTALL_ROOT"); }

// The folders a fresh drive C: holds, as Wine creates them.
void CreateDriveLayout(const std::string& root) {
    const std::string user = "/users/" + UserName();
    for (const char* folder : {"/Program Files", "/windows/system32", "/windows/temp"}) {
        MakeFolders(root + folder);
    }
    for (const char* folder : {"/AppData/Roaming", "/AppData/Local", "/Desktop", "/Documents"}) {
        MakeFolders(root + user + folder);
    }
    MakeFolders(root + "/users/Public/Desktop");
}

std::string Canonical(const std::string& native) {
    char* resolved = realpath(native.c_str(), nullptr);
    if (!resolved) RaiseSystemError(native, "cannot be resolved", errno);
    std::string result(resolved);
    free(resolved);
    return result;
}

}  // namespace

std::string UserName() {
    const passwd* entry = getpwuid(getuid());
    if (entry && entry->pw_name && *entry->pw_name) return entry->pw_name;
    const char* user = getenv("USER");
    return user && *user && !strchr(user, '/') ? user : "user";
}

std::string PrefixFolder() {
    std::string folder = Sandbox();
    if (folder.empty()) folder = FolderFromEnvironment("WINEPREFIX");
    return folder.empty() ? DataHome() + "/qinstall" : folder;
}

std::string StateFolder() {
    std::string folder = Sandbox();
    if (folder.empty()) folder = DataHome() + "/qinstall";
    if (!MakeFolders(folder)) RaiseSystemError(folder, "cannot create the state folder", errno);
    return folder;
}

std::string DriveCRoot() {
    static std::mutex guard;
    static std::string configured, canonical;
    std::string root = PrefixFolder() + "/drive_c";
    std::lock_guard lock(guard);
    if (root != configured || !IsDirectory(canonical)) {
        if (!MakeFolders(root)) RaiseSystemError(root, "cannot create drive C:", errno);
        CreateDriveLayout(root);
        configured = root;
        canonical = Canonical(root);
    }
    return canonical;
}

std::string ApplicationsFolder() {
    std::string sandbox = Sandbox();
    return (sandbox.empty() ? DataHome() : sandbox) + "/applications";
}

std::string RuntimeFolder() {
    std::string folder = Sandbox();
    if (!folder.empty()) {
        folder += "/run";
    } else if (std::string runtime = FolderFromEnvironment("XDG_RUNTIME_DIR"); !runtime.empty()) {
        folder = runtime + "/qinstall";
    } else {
        folder = "/tmp/qinstall-" + std::to_string(getuid());
    }
    MakeFolders(ParentOf(folder));
    mkdir(folder.c_str(), 0700);  // an existing one is checked below
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 022) != 0) {
        throw Error(folder + ": not a private folder of the user, named mutexes are unavailable");
    }
    return folder;
}

}  // namespace qi::platform::posix
