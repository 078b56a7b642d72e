// New files written without a name (O_TMPFILE) and linked in under their
// name once complete: no partial file is ever seen at the name, a killed
// program leaves none, and the folder takes one new entry instead of a
// temporary name and a rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/platform.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/native_fs.h"
#include "platform/posix/open_file.h"

namespace qi::platform {
namespace {

bool ProcMounted() {
    static const bool mounted = access("/proc/self/fd", X_OK) == 0;
    return mounted;
}

// Links the file of fd in at name. Kernels before 6.10 link a descriptor
// itself (AT_EMPTY_PATH) only for a program with CAP_DAC_READ_SEARCH and
// say ENOENT to others; then the descriptor's link in /proc is linked.
bool LinkDescriptor(int fd, const std::string& name) {
    static std::atomic<bool> descriptorRefused{false};
    if (!descriptorRefused) {
        if (linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != ENOENT) return false;
    }
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
    descriptorRefused = true;
    return true;
}

// A file without a name yet, and the host path its Windows path mapped to
// when it was made.
class UnnamedFile final : public posix::HostFile {
public:
    UnnamedFile(int fd, const std::string& path, std::string hostName)
        : HostFile(fd, path), path_(path), hostName_(std::move(hostName)) {}
    const std::string& Path() const { return path_; }
    const std::string& HostName() const { return hostName_; }

private:
    std::string path_;
    std::string hostName_;
};

}  // namespace

std::unique_ptr<File> CreateUnnamedFile(const std::string& path) {
    if (!ProcMounted()) return nullptr;
    auto host = posix::MapIfValid(path);
    if (!host || host->exists) return nullptr;
    int fd = open(posix::ParentOf(host->path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    return fd < 0 ? nullptr : std::make_unique<UnnamedFile>(fd, path, host->path);
}

bool NameUnnamedFile(File& file, const std::string& path, uint32_t dosTime) {
    auto& unnamed = dynamic_cast<UnnamedFile&>(file);
    const int fd = unnamed.Descriptor();
    if (dosTime != 0) {
        auto seconds = posix::HostTimeOfDos(dosTime);
        const timespec times[2] = {{0, UTIME_OMIT}, {seconds.value_or(0), 0}};
        if (seconds && futimens(fd, times) != 0) return false;
    }
    // linkat never replaces: a name taken meanwhile fails with EEXIST.
    const std::string& name = unnamed.HostName();
    return path == unnamed.Path() &&
           posix::ChangeNoted([&] { return LinkDescriptor(fd, name); }, "", name);
}

}  // namespace qi::platform
