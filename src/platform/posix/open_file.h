#pragma once
// Opening files with Windows sharing rules, shared by OpenFile and the copy.
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace qi::platform::posix {

enum class Creation { OpenExisting, CreateAlways, CreateNew };

// Opens the host file native; windowsPath names it in errors. Raises qi::Error
// when it cannot be opened or another opener's sharing forbids it.
std::unique_ptr<File> OpenHostFile(const std::string& native, const std::string& windowsPath, Access access,
                                   Share share, Creation creation);

// Windows refuses to write to or delete a file with the read-only attribute,
// also for administrators; the attribute is the missing owner write bit.
bool IsReadOnlyFile(const std::string& native);

// A file over an open descriptor, which it closes; name (its Windows path)
// names it in errors.
class HostFile : public File {
public:
    HostFile(int fd, std::string name);
    ~HostFile() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t position) override;
    int64_t Position() override;
    int64_t Size() override;
    void Truncate() override;
    void Flush() override;
    std::optional<uint32_t> DosTime() override;
    int Descriptor() const { return fd_; }
    // The size and write time of a file that no opener may write while it
    // is open: answered from info instead of asking again.
    void HoldStatus(const struct stat& info);

private:
    struct Status {
        int64_t size;
        int64_t modified;
    };
    int fd_;
    std::string name_;
    int64_t position_ = 0;  // the descriptor's own offset is never used
    std::optional<Status> held_;
};

// The descriptor of a file that this layer opened.
int HostDescriptor(File& file);

}  // namespace qi::platform::posix
