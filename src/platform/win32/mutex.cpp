// Named mutexes that tell running programs of the same game apart.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {
namespace {

class Win32Mutex final : public NamedMutex {
public:
    explicit Win32Mutex(HANDLE handle) : handle_(handle) {}
    ~Win32Mutex() override {
        ReleaseMutex(handle_);
        CloseHandle(handle_);
    }
    Win32Mutex(const Win32Mutex&) = delete;
    Win32Mutex& operator=(const Win32Mutex&) = delete;

private:
    HANDLE handle_;
};

}  // namespace

bool MutexExists(const std::string& name) {
    HANDLE handle = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, win32::Wide(name).c_str());
    if (!handle) return false;
    CloseHandle(handle);
    return true;
}

std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string& name) {
    HANDLE handle = CreateMutexW(nullptr, FALSE, win32::Wide(name).c_str());
    DWORD error = GetLastError();
    if (!handle) return nullptr;
    auto mutex = std::make_unique<Win32Mutex>(handle);
    if (error == ERROR_ALREADY_EXISTS) return nullptr;  // someone else holds it: let ours go again
    return mutex;
}

}  // namespace qi::platform
