// The registry, with HKEY_CURRENT_USER redirected to a key of its own for
// each test so that nothing of the real user's keys is touched.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "platform/platform.h"

namespace qi::platform {
namespace {

class Win32Registry : public ::testing::Test {
protected:
    void SetUp() override {
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        sandboxPath_ = "Software\\qi-test-registry-" + std::to_string(stamp);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sandboxPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &sandbox_, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, sandbox_), ERROR_SUCCESS);
    }

    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(sandbox_);
        RegDeleteTreeA(HKEY_CURRENT_USER, sandboxPath_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, sandboxPath_.c_str());
    }

    // Stores a value of any type below the redirected HKEY_CURRENT_USER.
    void SetRaw(const std::string& key, const std::string& name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueA(sandbox_, key.c_str(), name.c_str(), type, data, size), ERROR_SUCCESS);
    }

    static std::vector<std::string> Sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }

    HKEY sandbox_ = nullptr;
    std::string sandboxPath_;
};

TEST_F(Win32Registry, StringsRoundTripAndMissingValuesAreEmpty) {
    auto key = OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Game", true);
    ASSERT_TRUE(key);
    const std::string folder = "C:\\\x83\x51\x81\x5B\x83\x80\\\x95\x5C";  // C:\ゲーム\表
    key->WriteString("InstallPath", folder);
    key->WriteString("Empty", "");

    auto again = OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Game", false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->ReadString("InstallPath"), folder);
    EXPECT_EQ(again->ReadString("Empty"), "");
    EXPECT_EQ(again->ReadString("CDDrive"), std::nullopt);
    EXPECT_EQ(Sorted(again->ValueNames()), (std::vector<std::string>{"Empty", "InstallPath"}));

    EXPECT_TRUE(again->DeleteValue("Empty"));
    EXPECT_FALSE(again->DeleteValue("Empty"));
    EXPECT_EQ(again->ReadString("Empty"), std::nullopt);
    EXPECT_FALSE(OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Other", false));
}

TEST_F(Win32Registry, ValuesOfOtherTypesAreADataTypeError) {
    DWORD number = 7;
    SetRaw("Software\\Game", "Count", REG_DWORD, &number, sizeof number);
    const char expandable[] = "%TEMP%\\x";
    SetRaw("Software\\Game", "Folder", REG_EXPAND_SZ, expandable, sizeof expandable);
    const char unterminated[] = {'a', 'b'};
    SetRaw("Software\\Game", "Bare", REG_SZ, unterminated, sizeof unterminated);

    auto key = OpenRegistryKey(RootKey::CurrentUser, "Software\\Game", false);
    ASSERT_TRUE(key);
    EXPECT_THROW(key->ReadString("Count"), Error);
    EXPECT_EQ(key->ReadString("Folder"), "%TEMP%\\x");  // as stored, not expanded
    EXPECT_EQ(key->ReadString("Bare"), "ab");
}

TEST_F(Win32Registry, TreesGoWithAllTheirSubKeysAndNothingElse) {
    OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Game\\Deep\\Deeper", true)->WriteString("v", "1");
    OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Game\\Side", true);
    OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Sibling", true)->WriteString("v", "2");

    auto maker = OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker", false);
    EXPECT_EQ(Sorted(maker->SubKeyNames()), (std::vector<std::string>{"Game", "Sibling"}));

    EXPECT_TRUE(DeleteRegistryTree(RootKey::CurrentUser, "Software\\Maker\\Game"));
    EXPECT_FALSE(OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Game", false));
    EXPECT_EQ(maker->SubKeyNames(), std::vector<std::string>{"Sibling"});
    EXPECT_FALSE(DeleteRegistryTree(RootKey::CurrentUser, "Software\\Maker\\Game"));
}

TEST_F(Win32Registry, AnEmptyPathNeverTakesTheWholeRoot) {
    OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker", true);
    EXPECT_FALSE(DeleteRegistryTree(RootKey::CurrentUser, ""));
    EXPECT_FALSE(DeleteRegistryTree(RootKey::CurrentUser, "\\"));
    EXPECT_TRUE(OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker", false));
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
