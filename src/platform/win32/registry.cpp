// Registry keys. Only HKEY_CURRENT_USER is ever created, written or deleted;
// HKEY_LOCAL_MACHINE and HKEY_USERS are opened for reading.
#include <windows.h>

#include <functional>

#include "platform/platform.h"
#include "platform/win32/system_error.h"

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

// Names from RegEnumKeyExA or RegEnumValueA: enumerate(index, buffer, size)
// with size in and out; the buffer grows while the answer is ERROR_MORE_DATA.
std::vector<std::string> EnumerateNames(const std::function<LONG(DWORD, char*, DWORD*)>& enumerate) {
    std::vector<std::string> names;
    std::string buffer(256, '\0');
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

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    std::optional<std::string> ReadString(const std::string& name) override {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size);
        if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (result != ERROR_SUCCESS) win32::RaiseSystemError("registry value \"" + name + "\"", result);
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            throw Error("registry value \"" + name + "\" has an invalid data type");
        }
        std::string data;
        do {
            data.resize(size);
            result = RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &size);
        } while (result == ERROR_MORE_DATA);
        if (result != ERROR_SUCCESS) win32::RaiseSystemError("registry value \"" + name + "\"", result);
        data.resize(size);
        return data.substr(0, data.find('\0'));  // without the terminator, when one is stored
    }

    void WriteString(const std::string& name, const std::string& value) override {
        LONG result =
            RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
        if (result != ERROR_SUCCESS) win32::RaiseSystemError("registry value \"" + name + "\"", result);
    }

    bool DeleteValue(const std::string& name) override {
        return RegDeleteValueA(key_, name.c_str()) == ERROR_SUCCESS;
    }

    std::vector<std::string> SubKeyNames() override {
        return EnumerateNames([this](DWORD index, char* buffer, DWORD* size) {
            return RegEnumKeyExA(key_, index, buffer, size, nullptr, nullptr, nullptr, nullptr);
        });
    }

    std::vector<std::string> ValueNames() override {
        return EnumerateNames([this](DWORD index, char* buffer, DWORD* size) {
            return RegEnumValueA(key_, index, buffer, size, nullptr, nullptr, nullptr, nullptr);
        });
    }

private:
    HKEY key_;
};

// Deletes parent\name after all its sub-keys, innermost first.
bool DeleteKeyTree(HKEY parent, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | DELETE, &key) != ERROR_SUCCESS) return false;
    {
        Win32RegistryKey opened(key);
        for (const auto& child : opened.SubKeyNames()) DeleteKeyTree(key, child);
    }
    return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

// Opens or creates HKEY_CURRENT_USER\path for reading and writing, or only
// for reading where the user may not change it.
LONG OpenCurrentUserKey(const std::string& path, bool create, HKEY* key) {
    if (create) {
        return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_READ | KEY_WRITE, nullptr, key, nullptr);
    }
    LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, key);
    if (result != ERROR_ACCESS_DENIED) return result;
    return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key);
}

}  // namespace

std::unique_ptr<RegistryKey> OpenRegistryKey(RootKey root, const std::string& path, bool create) {
    HKEY key;
    LONG result = root == RootKey::CurrentUser
                      ? OpenCurrentUserKey(path, create, &key)
                      : RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_READ, &key);
    if (result != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
}

bool DeleteRegistryTree(RootKey root, const std::string& path) {
    // An empty path would name the root itself and take every key below it.
    if (root != RootKey::CurrentUser || path.find_first_not_of('\\') == std::string::npos) return false;
    return DeleteKeyTree(HKEY_CURRENT_USER, path);
}

bool DeleteEmptyRegistryKey(RootKey root, const std::string& path) {
    if (root != RootKey::CurrentUser || path.find_first_not_of('\\') == std::string::npos) return false;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD subKeys = 0, values = 0;
    LONG result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || subKeys != 0 || values != 0) return false;
    // RegDeleteKeyA itself refuses a key that has gained a sub-key since.
    return RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace qi::platform
