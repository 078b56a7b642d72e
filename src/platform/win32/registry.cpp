// Registry keys. Only HKEY_CURRENT_USER is ever created, written or deleted;
// HKEY_LOCAL_MACHINE and HKEY_USERS are opened for reading.
#include <windows.h>

#include <functional>

#include "platform/platform.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {
namespace {

HKEY RootHandle(RootKey root) {
    switch (root) {
        case RootKey::CurrentUser: return HKEY_CURRENT_USER;
        case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RootKey::Users: return HKEY_USERS;
    }
    return HKEY_CURRENT_USER;
}

// Names from RegEnumKeyExW or RegEnumValueW: enumerate(index, buffer, size)
// with size in and out; the buffer grows while the answer is ERROR_MORE_DATA.
std::vector<std::wstring> EnumerateNames(const std::function<LONG(DWORD, wchar_t*, DWORD*)>& enumerate) {
    std::vector<std::wstring> names;
    std::wstring buffer(256, L'\0');
    for (DWORD index = 0;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        LONG result = enumerate(index, buffer.data(), &size);
        if (result == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
        } else if (result == ERROR_SUCCESS) {
            names.emplace_back(buffer.data(), size);
            ++index;
        } else {
            return names;
        }
    }
}

std::vector<std::string> Cp932Names(const std::vector<std::wstring>& wideNames) {
    std::vector<std::string> names;
    for (const auto& wide : wideNames) {
        if (auto name = win32::Cp932(wide)) names.push_back(*name);
    }
    return names;
}

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    std::optional<std::string> ReadString(const std::string& name) override {
        const std::wstring wideName = win32::Wide(name);
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG result = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size);
        if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (result != ERROR_SUCCESS) win32::RaiseSystemError("registry value \"" + name + "\"", result);
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            throw Error("registry value \"" + name + "\" has an invalid data type");
        }
        std::wstring data;
        do {
            data.resize(size / sizeof(wchar_t) + 1);
            size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
            result = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &size);
        } while (result == ERROR_MORE_DATA);
        if (result != ERROR_SUCCESS) win32::RaiseSystemError("registry value \"" + name + "\"", result);
        data.resize(size / sizeof(wchar_t));
        auto value = win32::Cp932(data.substr(0, data.find(L'\0')));  // without the terminator, when one is stored
        if (!value) throw Error("registry value \"" + name + "\" cannot be written in code page 932");
        return value;
    }

    void WriteString(const std::string& name, const std::string& value) override {
        const std::wstring wide = win32::Wide(value);
        LONG result = RegSetValueExW(key_, win32::Wide(name).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(wide.c_str()),
                                     static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
        if (result != ERROR_SUCCESS) win32::RaiseSystemError("registry value \"" + name + "\"", result);
    }

    bool DeleteValue(const std::string& name) override {
        return RegDeleteValueW(key_, win32::Wide(name).c_str()) == ERROR_SUCCESS;
    }

    // Names without a code page 932 form are left out: they could not be
    // named again.
    std::vector<std::string> SubKeyNames() override { return Cp932Names(WideSubKeyNames()); }

    std::vector<std::string> ValueNames() override {
        return Cp932Names(EnumerateNames([this](DWORD index, wchar_t* buffer, DWORD* size) {
            return RegEnumValueW(key_, index, buffer, size, nullptr, nullptr, nullptr, nullptr);
        }));
    }

    std::vector<std::wstring> WideSubKeyNames() {
        return EnumerateNames([this](DWORD index, wchar_t* buffer, DWORD* size) {
            return RegEnumKeyExW(key_, index, buffer, size, nullptr, nullptr, nullptr, nullptr);
        });
    }

private:
    HKEY key_;
};

// Deletes parent\name after all its sub-keys, innermost first, whatever
// their names.
bool DeleteKeyTree(HKEY parent, const std::wstring& name) {
    HKEY key;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | DELETE, &key) != ERROR_SUCCESS) return false;
    {
        Win32RegistryKey opened(key);
        for (const auto& child : opened.WideSubKeyNames()) DeleteKeyTree(key, child);
    }
    return RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS;
}

// Opens or creates HKEY_CURRENT_USER\path for reading and writing, or only
// for reading where the user may not change it.
LONG OpenCurrentUserKey(const std::string& path, bool create, HKEY* key) {
    if (create) {
        return RegCreateKeyExW(HKEY_CURRENT_USER, win32::Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_READ | KEY_WRITE, nullptr, key, nullptr);
    }
    LONG result = RegOpenKeyExW(HKEY_CURRENT_USER, win32::Wide(path).c_str(), 0, KEY_READ | KEY_WRITE, key);
    if (result != ERROR_ACCESS_DENIED) return result;
    return RegOpenKeyExW(HKEY_CURRENT_USER, win32::Wide(path).c_str(), 0, KEY_READ, key);
}

}  // namespace

std::unique_ptr<RegistryKey> OpenRegistryKey(RootKey root, const std::string& path, bool create) {
    HKEY key;
    LONG result = root == RootKey::CurrentUser
                      ? OpenCurrentUserKey(path, create, &key)
                      : RegOpenKeyExW(RootHandle(root), win32::Wide(path).c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
}

bool DeleteRegistryTree(RootKey root, const std::string& path) {
    // An empty path would name the root itself and take every key below it.
    if (root != RootKey::CurrentUser || path.find_first_not_of('\\') == std::string::npos) return false;
    return DeleteKeyTree(HKEY_CURRENT_USER, win32::Wide(path));
}

bool DeleteEmptyRegistryKey(RootKey root, const std::string& path) {
    if (root != RootKey::CurrentUser || path.find_first_not_of('\\') == std::string::npos) return false;
    HKEY key;
    const std::wstring widePath = win32::Wide(path);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, widePath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD subKeys = 0, values = 0;
    LONG result = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || subKeys != 0 || values != 0) return false;
    // RegDeleteKeyW itself refuses a key that has gained a sub-key since.
    return RegDeleteKeyW(HKEY_CURRENT_USER, widePath.c_str()) == ERROR_SUCCESS;
}

}  // namespace qi::platform
