// The registry as the settings use it: a game's key below
// HKEY_CURRENT_USER\Software, created with its parents, read, changed and
// deleted as a tree; the other roots only read.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "platform/platform.h"

namespace qi::platform {
namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        maker_ = "Software\\qi-test-" + std::to_string(stamp);
    }
    void TearDown() override { DeleteRegistryTree(RootKey::CurrentUser, maker_); }

    static std::vector<std::string> Sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string maker_;
};

TEST_F(Registry, KeysAreCreatedWithParentsAndFoundIgnoringCase) {
    EXPECT_FALSE(OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Game", false));
    auto game = OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Series\\Game", true);
    ASSERT_TRUE(game);
    const std::string folder = "C:\\\x83\x51\x81\x5B\x83\x80\\\x95\x5C";  // C:\ゲーム\表
    game->WriteString("InstallPath", folder);
    game->WriteString("CDDrive", "");

    auto again = OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\SERIES\\game", false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->ReadString("installpath"), folder);
    EXPECT_EQ(again->ReadString("CDDrive"), "");
    EXPECT_EQ(again->ReadString("Missing"), std::nullopt);
    EXPECT_EQ(Sorted(again->ValueNames()), (std::vector<std::string>{"CDDrive", "InstallPath"}));

    game->WriteString("INSTALLPATH", "D:\\Other");  // the same value, under its first spelling
    EXPECT_EQ(again->ValueNames().size(), 2u);
    EXPECT_EQ(again->ReadString("InstallPath"), "D:\\Other");
    EXPECT_TRUE(again->DeleteValue("cddrive"));
    EXPECT_FALSE(again->DeleteValue("CDDrive"));
    EXPECT_EQ(again->ValueNames(), std::vector<std::string>{"InstallPath"});
}

TEST_F(Registry, TreesGoWithTheirSubKeysAndLeaveTheirSiblings) {
    ASSERT_TRUE(OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Game\\Deep\\Deeper", true));
    ASSERT_TRUE(OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Sibling", true));
    auto maker = OpenRegistryKey(RootKey::CurrentUser, maker_, false);
    ASSERT_TRUE(maker);
    EXPECT_EQ(Sorted(maker->SubKeyNames()), (std::vector<std::string>{"Game", "Sibling"}));

    EXPECT_TRUE(DeleteRegistryTree(RootKey::CurrentUser, maker_ + "\\game"));
    EXPECT_FALSE(OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Game\\Deep", false));
    EXPECT_EQ(maker->SubKeyNames(), std::vector<std::string>{"Sibling"});
    EXPECT_FALSE(DeleteRegistryTree(RootKey::CurrentUser, maker_ + "\\Game"));
    EXPECT_FALSE(DeleteRegistryTree(RootKey::CurrentUser, ""));
    EXPECT_TRUE(OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Sibling", false));
}

TEST_F(Registry, OnlyKeysThatHoldNothingAreDeletedAlone) {
    auto game = OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Game", true);
    ASSERT_TRUE(game);
    game->WriteString("InstallPath", "C:\\Game");
    ASSERT_TRUE(OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Empty", true));

    EXPECT_FALSE(DeleteEmptyRegistryKey(RootKey::CurrentUser, maker_ + "\\Game")) << "it holds a value";
    EXPECT_FALSE(DeleteEmptyRegistryKey(RootKey::CurrentUser, maker_)) << "it holds sub-keys";
    EXPECT_TRUE(DeleteEmptyRegistryKey(RootKey::CurrentUser, maker_ + "\\empty"));
    EXPECT_FALSE(OpenRegistryKey(RootKey::CurrentUser, maker_ + "\\Empty", false));
    EXPECT_FALSE(DeleteEmptyRegistryKey(RootKey::CurrentUser, maker_ + "\\Empty")) << "it is gone";

    EXPECT_TRUE(game->DeleteValue("InstallPath"));
    EXPECT_TRUE(DeleteEmptyRegistryKey(RootKey::CurrentUser, maker_ + "\\Game"));
    EXPECT_TRUE(DeleteEmptyRegistryKey(RootKey::CurrentUser, maker_));
    EXPECT_FALSE(OpenRegistryKey(RootKey::CurrentUser, maker_, false));
    EXPECT_FALSE(DeleteEmptyRegistryKey(RootKey::CurrentUser, ""));
}

TEST_F(Registry, OtherRootsAreOnlyRead) {
    auto software = OpenRegistryKey(RootKey::LocalMachine, "Software", false);
    ASSERT_TRUE(software);
    EXPECT_FALSE(software->SubKeyNames().empty());
    EXPECT_THROW(software->WriteString("qi-test", "x"), Error);
    EXPECT_FALSE(OpenRegistryKey(RootKey::LocalMachine, "Software\\qi-test-missing", true));
    EXPECT_FALSE(DeleteRegistryTree(RootKey::LocalMachine, "Software\\Microsoft"));
    EXPECT_FALSE(DeleteEmptyRegistryKey(RootKey::LocalMachine, "Software\\Microsoft"));
    EXPECT_TRUE(OpenRegistryKey(RootKey::LocalMachine, "Software\\Microsoft", false));
    EXPECT_TRUE(OpenRegistryKey(RootKey::Users, ".DEFAULT", false));
}

}  // namespace
}  // namespace qi::platform
