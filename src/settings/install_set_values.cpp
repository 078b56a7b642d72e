// The named values under HKEY_CURRENT_USER\Software\<RegistryKey>, the
// installed test, the setup caption and the two file lists.
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/platform.h"
#include "settings/install_set.h"

namespace qi {

using platform::RootKey;

namespace {

const std::string kSoftware = "Software\\";

std::string WithoutLeadingDelimiter(const std::string& key) {
    return !key.empty() && key[0] == '\\' ? key.substr(1) : key;
}

}  // namespace

std::string TQuorInstallSet::RegistryPath() const {
    return RegistryKey.empty() ? std::string() : kSoftware + WithoutLeadingDelimiter(RegistryKey);
}

std::string TQuorInstallSet::GetValue(const std::string& name, const std::string& defaultValue) const {
    if (RegistryKey.empty()) return defaultValue;
    auto key = platform::OpenRegistryKey(RootKey::CurrentUser, RegistryPath(), false);
    if (!key) return defaultValue;
    return key->ReadString(name).value_or(defaultValue);
}

void TQuorInstallSet::SetValue(const std::string& name, const std::string& value) const {
    if (RegistryKey.empty()) return;
    auto key = platform::OpenRegistryKey(RootKey::CurrentUser, RegistryPath(), true);
    if (!key) throw Error("HKEY_CURRENT_USER\\" + RegistryPath() + ":レジストリキーを作成できません");
    key->WriteString(name, value);
}

bool TQuorInstallSet::HasOwnRegistryKey() const {
    std::string key = WithoutLeadingDelimiter(RegistryKey);
    if (!key.empty() && key.back() == '\\') key.pop_back();
    const std::vector<std::string> names = SplitAtDelimiters(key);
    size_t length = names.size() - (names.empty() ? 0 : 1);  // the delimiters between them
    for (const auto& name : names) length += name.size();
    return !names.empty() && length == key.size();
}

// A key of another program (a shared "Microsoft", another game's) is never
// deleted: only a key that records this installation goes, then each parent
// that has become empty, innermost first, stopping at the first one that
// still holds something. "Software" itself is never touched. Each parent is
// tested and deleted in one step, so a key another game's setup adds to a
// shared parent meanwhile survives.
void TQuorInstallSet::DeleteRegistryKey(const std::string& installFolder) const {
    if (!HasOwnRegistryKey()) return;
    auto game = platform::OpenRegistryKey(RootKey::CurrentUser, RegistryPath(), false);
    if (!game) return;
    auto recorded = game->ReadString("InstallPath");
    if (!recorded || !SameText(AddBackslash(*recorded), AddBackslash(installFolder))) return;
    game.reset();
    std::string key = WithoutLeadingDelimiter(RegistryKey);
    platform::DeleteRegistryTree(RootKey::CurrentUser, kSoftware + key);
    for (ParentKeyPath(key); !key.empty(); ParentKeyPath(key)) {
        if (!platform::DeleteEmptyRegistryKey(RootKey::CurrentUser, kSoftware + key)) return;
    }
}

bool TQuorInstallSet::IsInstalled() const {
    std::string path = GetValue("InstallPath", "");
    return !path.empty() && platform::FileExists(AddBackslash(path) + ExeFile);
}

std::string TQuorInstallSet::GetSetupCaption() const {
    return SetupCaption.empty() ? Title + "のセットアップ" : SetupCaption;
}

const std::string& TQuorInstallSet::GetInstalledFile(int index) const {
    if (index < 0 || index >= InstalledFileCount()) {
        throw Error("リストのインデックスが範囲を超えています (" + std::to_string(index) + ")");
    }
    return InstalledFiles[static_cast<size_t>(index)];
}

int TQuorInstallSet::IndexOfInstalledFile(const std::string& name) const {
    return installedIndex_.Find(InstalledFiles, name);
}

void TQuorInstallSet::AddInstalledFile(const std::string& name) {
    if (IndexOfInstalledFile(name) < 0) InstalledFiles.push_back(name);
}

bool TQuorInstallSet::IsSourceFile(const std::string& name) const { return sourceIndex_.Find(SourceFiles, name) >= 0; }

}  // namespace qi
