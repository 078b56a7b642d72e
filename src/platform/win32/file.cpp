// Files opened with CreateFileW: 64-bit positions and sizes, transfers split
// into pieces that one ReadFile or WriteFile call can carry.
#include <windows.h>

#include <algorithm>

#include "platform/platform.h"
#include "platform/win32/dos_time.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/system_error.h"

namespace qi::platform {
namespace {

constexpr int64_t kMaxPiece = 0x40000000;  // bytes per ReadFile/WriteFile call

DWORD DesiredAccess(Access access) {
    switch (access) {
        case Access::Read: return GENERIC_READ;
        case Access::Write: return GENERIC_WRITE;
        case Access::ReadWrite: return GENERIC_READ | GENERIC_WRITE;
    }
    return 0;
}

DWORD ShareMode(Share share) {
    switch (share) {
        case Share::None: return 0;
        case Share::Read: return FILE_SHARE_READ;
        case Share::Write: return FILE_SHARE_WRITE;
        case Share::ReadWrite: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    return 0;
}

class Win32File final : public File {
public:
    Win32File(HANDLE handle, std::string path, Access access)
        : handle_(handle), path_(std::move(path)), access_(access) {}
    ~Win32File() override { CloseHandle(handle_); }
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;

    int64_t Read(void* buffer, int64_t count) override {
        auto* bytes = static_cast<char*>(buffer);
        int64_t total = 0;
        while (total < count) {
            DWORD piece = static_cast<DWORD>(std::min(count - total, kMaxPiece));
            DWORD got = 0;
            if (!ReadFile(handle_, bytes + total, piece, &got, nullptr)) Fail();
            total += got;
            if (got < piece) break;  // end of the file
        }
        return total;
    }

    int64_t Write(const void* buffer, int64_t count) override {
        const auto* bytes = static_cast<const char*>(buffer);
        int64_t total = 0;
        while (total < count) {
            DWORD piece = static_cast<DWORD>(std::min(count - total, kMaxPiece));
            DWORD put = 0;
            if (!WriteFile(handle_, bytes + total, piece, &put, nullptr)) Fail();
            total += put;
            if (put < piece) break;
        }
        return total;
    }

    int64_t Seek(int64_t position) override { return MovePointer(position, FILE_BEGIN); }
    int64_t Position() override { return MovePointer(0, FILE_CURRENT); }

    int64_t Size() override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(handle_, &size)) Fail();
        return size.QuadPart;
    }

    void Truncate() override {
        if (!SetEndOfFile(handle_)) Fail();
    }

    void Flush() override {
        if (access_ == Access::Read) return;  // nothing was written
        if (!FlushFileBuffers(handle_)) Fail();
    }

    std::optional<uint32_t> DosTime() override {
        FILETIME written;
        if (!GetFileTime(handle_, nullptr, nullptr, &written)) return std::nullopt;
        return win32::DosTimeOf(written);
    }

private:
    int64_t MovePointer(int64_t distance, DWORD method) {
        LARGE_INTEGER move, now;
        move.QuadPart = distance;
        if (!SetFilePointerEx(handle_, move, &now, method)) Fail();
        return now.QuadPart;
    }

    [[noreturn]] void Fail() { win32::RaiseSystemError(path_, GetLastError()); }

    HANDLE handle_;
    std::string path_;
    Access access_;
};

}  // namespace

std::unique_ptr<File> OpenFile(const std::string& path, Access access, Share share, Disposition disposition,
                               bool writeThrough) {
    if (access != Access::Read && IsLink(path)) {
        throw Error(path + ": a link stands at this name; nothing is written through it");
    }
    DWORD creation = disposition == Disposition::CreateAlways ? CREATE_ALWAYS
                     : disposition == Disposition::CreateNew  ? CREATE_NEW
                                                              : OPEN_EXISTING;
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (writeThrough ? FILE_FLAG_WRITE_THROUGH : 0);
    HANDLE handle =
        CreateFileW(win32::Wide(path).c_str(), DesiredAccess(access), ShareMode(share), nullptr, creation, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) win32::RaiseSystemError(path, GetLastError());
    return std::make_unique<Win32File>(handle, path, access);
}

// Windows has no copy between two open files: the caller copies through
// its buffer in large reads.
int64_t KernelCopy(File&, File&, int64_t) { return 0; }

// Windows keeps no unnamed files: new files are written under a temporary
// name and renamed.
std::unique_ptr<File> CreateUnnamedFile(const std::string&) { return nullptr; }
bool NameUnnamedFile(File&, const std::string&, uint32_t) { return false; }

}  // namespace qi::platform
