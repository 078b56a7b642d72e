// The registry, kept in the text file "registry.txt" of the state folder.
// Every change takes the store's lock, reads the file afresh, changes it and
// replaces it in one step (state_file.h), so concurrent setup programs lose
// no update and a crash leaves either the old or the new store. Only
// HKEY_CURRENT_USER is ever changed; the other roots are read-only.
#include "base/cp932.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/registry_store.h"
#include "platform/posix/roots.h"
#include "platform/posix/state_file.h"

namespace qi::platform {
namespace {

using posix::RegistryPath;
using posix::RegistryStore;

std::string StoreFile() { return posix::StateFolder() + "/registry.txt"; }

RegistryStore LoadStore(const std::string& file) {
    auto text = posix::ReadStateFile(file);
    return text ? RegistryStore::Parse(*text, file) : RegistryStore::Initial();
}

RegistryStore LoadStore() { return LoadStore(StoreFile()); }

// Runs change on the current store under its lock; writes the store back when
// change reports that it changed something, and returns that report.
template <class Change>
bool ChangeStore(Change change) {
    std::string file = StoreFile();
    posix::StateFileLock lock(file);
    RegistryStore store = LoadStore(file);
    if (!change(store)) return false;
    posix::ReplaceStateFile(file, store.Serialize());
    return true;
}

RegistryPath PathOf(RootKey root, const std::string& path) {
    const char* rootName = root == RootKey::CurrentUser    ? "HKEY_CURRENT_USER"
                           : root == RootKey::LocalMachine ? "HKEY_LOCAL_MACHINE"
                                                           : "HKEY_USERS";
    RegistryPath parts = SplitAtDelimiters(path);
    parts.insert(parts.begin(), rootName);
    return parts;
}

class StoreKey : public RegistryKey {
public:
    StoreKey(RootKey root, RegistryPath path) : writable_(root == RootKey::CurrentUser), path_(std::move(path)) {}

    std::optional<std::string> ReadString(const std::string& name) override {
        RegistryStore store = LoadStore();
        posix::RegistryNode* key = store.Find(path_);
        posix::RegistryValue* value = key ? key->Value(name) : nullptr;
        if (!value) return std::nullopt;
        if (!value->isString) throw Error(posix::JoinPath(path_) + "\\" + name + ": the registry value is not a string");
        return value->data;
    }

    void WriteString(const std::string& name, const std::string& value) override {
        if (!writable_) throw Error(posix::JoinPath(path_) + ": the registry key is read-only");
        ChangeStore([&](RegistryStore& store) {
            posix::RegistryNode* key = store.Find(path_);
            if (!key) throw Error(posix::JoinPath(path_) + ": the registry key has been deleted");
            key->SetString(name, value);
            return true;
        });
    }

    bool DeleteValue(const std::string& name) override {
        if (!writable_) return false;
        return ChangeStore([&](RegistryStore& store) {
            posix::RegistryNode* key = store.Find(path_);
            return key && key->RemoveValue(name);
        });
    }

    std::vector<std::string> SubKeyNames() override {
        RegistryStore store = LoadStore();
        std::vector<std::string> names;
        if (posix::RegistryNode* key = store.Find(path_)) {
            for (const auto& child : key->children) names.push_back(child.name);
        }
        return names;
    }

    std::vector<std::string> ValueNames() override {
        RegistryStore store = LoadStore();
        std::vector<std::string> names;
        if (posix::RegistryNode* key = store.Find(path_)) {
            for (const auto& value : key->values) names.push_back(value.name);
        }
        return names;
    }

private:
    bool writable_;
    RegistryPath path_;
};

}  // namespace

// A store that cannot be read (damaged by hand) opens no key; it is never
// overwritten.
std::unique_ptr<RegistryKey> OpenRegistryKey(RootKey root, const std::string& path, bool create) {
    RegistryPath keyPath = PathOf(root, path);
    try {
        if (create && root == RootKey::CurrentUser) {
            ChangeStore([&](RegistryStore& store) {
                if (store.Find(keyPath)) return false;
                store.Create(keyPath);
                return true;
            });
        } else if (!LoadStore().Find(keyPath)) {
            return nullptr;
        }
    } catch (const Error&) {
        return nullptr;
    }
    return std::make_unique<StoreKey>(root, std::move(keyPath));
}

bool DeleteRegistryTree(RootKey root, const std::string& path) {
    if (root != RootKey::CurrentUser) return false;
    try {
        return ChangeStore([&](RegistryStore& store) { return store.Remove(PathOf(root, path)); });
    } catch (const Error&) {
        return false;
    }
}

bool DeleteEmptyRegistryKey(RootKey root, const std::string& path) {
    if (root != RootKey::CurrentUser) return false;
    try {
        // The test and the deletion happen under one lock of the store.
        return ChangeStore([&](RegistryStore& store) {
            const RegistryPath key = PathOf(root, path);
            posix::RegistryNode* node = store.Find(key);
            return node && node->children.empty() && node->values.empty() && store.Remove(key);
        });
    } catch (const Error&) {
        return false;
    }
}

}  // namespace qi::platform
