// Named mutexes as lock files in the runtime folder, held with flock: the
// kernel releases the lock of a holder that crashes. The files stay behind
// (empty); removing them while another process may be opening them would let
// two holders lock two different files of the same name.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/roots.h"

namespace qi::platform {
namespace {

constexpr size_t kMaxFileName = 200;

// A safe file name for any mutex name: behind the prefix "mutex-" letters,
// digits, "-", "_" and "." stay and every other byte ("/" included) becomes
// %HH. Names are case-sensitive, as on Windows. Overlong names end in a hash
// of the whole name.
std::string FileNameOf(const std::string& name) {
    std::string escaped = "mutex-";
    for (unsigned char byte : name) {
        bool alphanumeric = (byte >= '0' && byte <= '9') || ((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z');
        if (alphanumeric || byte == '-' || byte == '_' || byte == '.') {
            escaped += static_cast<char>(byte);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            escaped += hex;
        }
    }
    if (escaped.size() <= kMaxFileName) return escaped;
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char byte : name) hash = (hash ^ byte) * 1099511628211ull;
    char tail[20];
    std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(hash));
    return escaped.substr(0, kMaxFileName - 17) + tail;
}

std::string LockFileOf(const std::string& name) { return posix::RuntimeFolder() + "/" + FileNameOf(name); }

class LockFileMutex : public NamedMutex {
public:
    explicit LockFileMutex(int fd) : fd_(fd) {}
    ~LockFileMutex() override { close(fd_); }

private:
    int fd_;
};

bool TryLock(int fd, int operation) {
    while (flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace

// The test takes a shared lock, so that two tests at once do not see each
// other as holders.
bool MutexExists(const std::string& name) {
    int fd;
    try {
        fd = open(LockFileOf(name).c_str(), O_RDONLY | O_CLOEXEC);
    } catch (const Error&) {
        return false;
    }
    if (fd < 0) return false;
    bool held = !TryLock(fd, LOCK_SH);
    close(fd);
    return held;
}

// A test of MutexExists holds its shared lock only for an instant; a few
// short retries keep it from making a creation fail.
std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string& name) {
    int fd;
    try {
        fd = open(LockFileOf(name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    } catch (const Error&) {
        return nullptr;
    }
    if (fd < 0) return nullptr;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (TryLock(fd, LOCK_EX)) return std::make_unique<LockFileMutex>(fd);
        usleep(2000);
    }
    close(fd);
    return nullptr;
}

}  // namespace qi::platform
