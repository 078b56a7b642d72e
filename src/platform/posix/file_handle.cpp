// Files with Windows sharing, emulated with advisory flock locks taken
// without waiting: an opener that lets everybody read and write takes no
// lock, a reader that lets others read takes a shared lock, every other
// opener an exclusive one. Readers that deny writing (the archive readers)
// thus coexist, while a writer that denies writing, or a creator, conflicts
// with them as on Windows. Only openers through this layer take part.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/error.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/open_file.h"
#include "platform/posix/sys_error.h"

namespace qi::platform::posix {
namespace {

static_assert(sizeof(off_t) == 8, "files beyond 2 GiB need 64-bit file offsets");

constexpr int64_t kChunk = 1 << 30;  // the most one read or write call moves

int OpenFlags(Access access, Creation creation) {
    int flags = O_CLOEXEC | (access == Access::Read ? O_RDONLY : access == Access::Write ? O_WRONLY : O_RDWR);
    if (creation == Creation::CreateAlways) flags |= O_CREAT;
    if (creation == Creation::CreateNew) flags |= O_CREAT | O_EXCL;
    // Nothing is written through a link planted where a file is expected.
    if (access != Access::Read) flags |= O_NOFOLLOW;
    return flags;
}

// The flock operation standing for access and share; 0 for no lock.
int LockFor(Access access, Share share) {
    if (share == Share::ReadWrite) return 0;
    if (access == Access::Read && share == Share::Read) return LOCK_SH;
    return LOCK_EX;
}

}  // namespace

HostFile::HostFile(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

HostFile::~HostFile() { close(fd_); }

// Reads and writes go to the position kept here (pread, pwrite): moving it
// costs no call, and a run of entries read one after another from an archive
// never seeks.
int64_t HostFile::Read(void* buffer, int64_t count) {
    auto* bytes = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        ssize_t got = pread(fd_, bytes + done, static_cast<size_t>(std::min(count - done, kChunk)), position_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) RaiseSystemError(name_, "read failed", errno);
        if (got == 0) break;
        done += got;
        position_ += got;
    }
    return done;
}

int64_t HostFile::Write(const void* buffer, int64_t count) {
    const auto* bytes = static_cast<const char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        ssize_t put = pwrite(fd_, bytes + done, static_cast<size_t>(std::min(count - done, kChunk)), position_);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) RaiseSystemError(name_, "write failed", errno);
        done += put;
        position_ += put;
    }
    return done;
}

int64_t HostFile::Seek(int64_t position) {
    if (position < 0) RaiseSystemError(name_, "seek failed", EINVAL);
    return position_ = position;
}

int64_t HostFile::Position() { return position_; }

void HostFile::HoldStatus(const struct stat& info) { held_ = Status{info.st_size, info.st_mtim.tv_sec}; }

int64_t HostFile::Size() {
    if (held_) return held_->size;
    struct stat info;
    if (fstat(fd_, &info) != 0) RaiseSystemError(name_, "size unknown", errno);
    return info.st_size;
}

std::optional<uint32_t> HostFile::DosTime() {
    if (held_) return DosTimeOfHost(held_->modified);
    struct stat info;
    return fstat(fd_, &info) == 0 ? DosTimeOfHost(info.st_mtim.tv_sec) : std::nullopt;
}

void HostFile::Truncate() {
    if (ftruncate(fd_, position_) != 0) RaiseSystemError(name_, "truncate failed", errno);
}

// Write-through openers are not opened synchronously (far too slow on
// Linux); their data reaches the disk here instead.
void HostFile::Flush() {
    if (fdatasync(fd_) != 0 && errno != EINVAL) RaiseSystemError(name_, "flush failed", errno);
}

int HostDescriptor(File& file) { return static_cast<HostFile&>(file).Descriptor(); }

bool IsReadOnlyFile(const std::string& native) {
    struct stat info;
    return stat(native.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && !(info.st_mode & S_IWUSR);
}

std::unique_ptr<File> OpenHostFile(const std::string& native, const std::string& windowsPath, Access access,
                                   Share share, Creation creation) {
    // A new file's creation fails on any name that is taken.
    if (access != Access::Read && creation != Creation::CreateNew && IsReadOnlyFile(native)) {
        RaiseSystemError(windowsPath, "cannot open the file", EACCES);
    }
    int fd = -1, error = 0;
    auto openFile = [&] {
        fd = open(native.c_str(), OpenFlags(access, creation), 0666);
        error = errno;
        return fd >= 0;
    };
    if (creation == Creation::OpenExisting) {
        openFile();
    } else {
        ChangeNoted(openFile, "", native);
    }
    if (fd < 0 && error == ELOOP && access != Access::Read) {
        throw Error(windowsPath + ": a link stands at this name; nothing is written through it");
    }
    if (fd < 0) RaiseSystemError(windowsPath, "cannot open the file", error);
    auto file = std::make_unique<HostFile>(fd, windowsPath);  // closes fd on every way out
    int lock = LockFor(access, share);
    if (lock && flock(fd, lock | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) throw Error(windowsPath + ": the file is in use by another opener (sharing violation)");
        RaiseSystemError(windowsPath, "cannot lock the file", errno);
    }
    struct stat info;
    if (access == Access::Read && fstat(fd, &info) == 0) {
        // A folder opens only for reading.
        if (S_ISDIR(info.st_mode)) RaiseSystemError(windowsPath, "cannot open the file", EISDIR);
        // A reader's lock keeps every writer of this layer out.
        if (lock) file->HoldStatus(info);
    }
    // Truncated only now: a creator that loses to another opener leaves the
    // file alone. An empty file is left as it is (ext4 makes the closing of
    // a file truncated to nothing wait until its new data is written out).
    if (creation == Creation::CreateAlways && (fstat(fd, &info) != 0 || info.st_size != 0) && ftruncate(fd, 0) != 0) {
        RaiseSystemError(windowsPath, "cannot truncate the file", errno);
    }
    return file;
}

}  // namespace qi::platform::posix

namespace qi::platform {

std::unique_ptr<File> OpenFile(const std::string& path, Access access, Share share, Disposition disposition,
                               bool /*writeThrough: see Flush*/) {
    auto creation = disposition == Disposition::CreateAlways ? posix::Creation::CreateAlways
                    : disposition == Disposition::CreateNew  ? posix::Creation::CreateNew
                                                             : posix::Creation::OpenExisting;
    return posix::OpenHostFile(posix::MapToHost(path).path, path, access, share, creation);
}

}  // namespace qi::platform
