#include "platform/posix/state_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/native_fs.h"
#include "platform/posix/sys_error.h"

namespace qi::platform::posix {
namespace {

void WriteAll(int fd, const std::string& content, const std::string& name) {
    size_t done = 0;
    while (done < content.size()) {
        ssize_t put = write(fd, content.data() + done, content.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) RaiseSystemError(name, "write failed", errno);
        done += static_cast<size_t>(put);
    }
}

// Makes the rename itself durable.
void SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

StateFileLock::StateFileLock(const std::string& file) {
    std::string name = file + ".lock";
    fd_ = open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) RaiseSystemError(name, "cannot open the lock file", errno);
    while (flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            int error = errno;
            close(fd_);
            RaiseSystemError(name, "cannot lock", error);
        }
    }
}

StateFileLock::~StateFileLock() { close(fd_); }

std::optional<std::string> ReadStateFile(const std::string& file) {
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return std::nullopt;
    if (fd < 0) RaiseSystemError(file, "cannot open", errno);
    std::string content;
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            int error = errno;
            close(fd);
            RaiseSystemError(file, "read failed", error);
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return content;
}

void ReplaceStateFile(const std::string& file, const std::string& content) {
    // A new file of this change: a stale one (or a link put at its name) goes
    // first, the link itself.
    std::string temporary = file + ".new";
    unlink(temporary.c_str());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) RaiseSystemError(temporary, "cannot create", errno);
    try {
        WriteAll(fd, content, temporary);
        if (fsync(fd) != 0) RaiseSystemError(temporary, "cannot flush", errno);
    } catch (...) {
        close(fd);
        unlink(temporary.c_str());
        throw;
    }
    close(fd);
    if (rename(temporary.c_str(), file.c_str()) != 0) {
        int error = errno;
        unlink(temporary.c_str());
        RaiseSystemError(file, "cannot replace", error);
    }
    SyncFolder(ParentOf(file));
}

}  // namespace qi::platform::posix
