#include <gtest/gtest.h>

#include "platform/platform.h"
#include "settings/install_set.h"
#include "support/scratch.h"

namespace qi {
namespace {

using platform::RootKey;

// A registry key of its own per test, removed afterwards.
class RegistryValues : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        maker_ = std::string("QiTest-") + info->name();
        platform::DeleteRegistryTree(RootKey::CurrentUser, "Software\\" + maker_);
    }
    void TearDown() override { platform::DeleteRegistryTree(RootKey::CurrentUser, "Software\\" + maker_); }
    bool KeyExists(const std::string& path) {
        return platform::OpenRegistryKey(RootKey::CurrentUser, "Software\\" + path, false) != nullptr;
    }
    std::string maker_;
};

TEST_F(RegistryValues, LeadingDelimiterAddressesTheSameKey) {
    TQuorInstallSet with, without;
    with.RegistryKey = "\\" + maker_ + "\\Game";
    without.RegistryKey = maker_ + "\\Game";
    EXPECT_EQ(without.GetValue("InstallPath", "none"), "none");
    with.SetValue("InstallPath", "C:\\Games\\Title");
    with.SetValue("CDDrive", "");
    EXPECT_EQ(without.GetValue("InstallPath", "none"), "C:\\Games\\Title");
    EXPECT_EQ(without.GetValue("CDDrive", "none"), "");  // an empty value exists

    TQuorInstallSet unset;  // no key: nothing read or written
    unset.SetValue("InstallPath", "x");
    EXPECT_EQ(unset.GetValue("InstallPath", "d"), "d");
}

TEST_F(RegistryValues, DeleteRemovesEmptyParentsOnly) {
    TQuorInstallSet first, second;
    first.RegistryKey = maker_ + "\\Series\\First";
    second.RegistryKey = maker_ + "\\Series\\Second";
    first.SetValue("InstallPath", "a");
    second.SetValue("InstallPath", "b");

    first.DeleteRegistryKey("a");
    EXPECT_FALSE(KeyExists(maker_ + "\\Series\\First"));
    EXPECT_TRUE(KeyExists(maker_ + "\\Series\\Second"));

    second.DeleteRegistryKey("b\\");
    EXPECT_FALSE(KeyExists(maker_));
    EXPECT_TRUE(KeyExists(""));  // "Software" itself stays

    // A parent that holds a value of its own stops the walk.
    TQuorInstallSet top;
    top.RegistryKey = maker_;
    top.SetValue("Shared", "1");
    first.SetValue("InstallPath", "a");
    first.DeleteRegistryKey("a");
    EXPECT_FALSE(KeyExists(maker_ + "\\Series"));
    EXPECT_TRUE(KeyExists(maker_));
}

// Settings from a disc or a download name the key the uninstallation
// deletes: only a key of its own that records this installation goes.
TEST_F(RegistryValues, DeleteLeavesKeysThatAreNotThisInstallations) {
    TQuorInstallSet other, game;
    other.RegistryKey = maker_ + "\\Other";
    other.SetValue("InstallPath", "C:\\Other\\");
    game.RegistryKey = maker_ + "\\Other";  // another game's key, or a shared one
    game.DeleteRegistryKey("C:\\Game\\");
    EXPECT_TRUE(KeyExists(maker_ + "\\Other"));

    for (const char* key : {"\\", "\\\\", "", "a\\\\b"}) {
        game.RegistryKey = key;
        EXPECT_FALSE(game.HasOwnRegistryKey()) << key;
        game.DeleteRegistryKey("C:\\Other\\");
    }
    EXPECT_TRUE(KeyExists(maker_ + "\\Other"));
    EXPECT_TRUE(KeyExists(""));
    game.RegistryKey = "\\Maker\\Game\\";
    EXPECT_TRUE(game.HasOwnRegistryKey());
}

TEST_F(RegistryValues, IsInstalledNeedsPathAndProgram) {
    test::ScratchFolder dir;
    TQuorInstallSet s;
    s.RegistryKey = maker_ + "\\Game";
    s.ExeFile = "game.exe";
    EXPECT_FALSE(s.IsInstalled());
    s.SetValue("InstallPath", dir.Path().substr(0, dir.Path().size() - 1));
    EXPECT_FALSE(s.IsInstalled());
    test::WriteBytes(dir / "game.exe", "MZ");
    EXPECT_TRUE(s.IsInstalled());
}

TEST(InstallSetLists, CaptionAndFileLists) {
    TQuorInstallSet s;
    s.Title = "\x83\x51\x81\x5B\x83\x80";  // "ゲーム"
    EXPECT_EQ(s.GetSetupCaption(), s.Title + "のセットアップ");
    s.SetupCaption = "Setup";
    EXPECT_EQ(s.GetSetupCaption(), "Setup");

    s.AddInstalledFile("data\\a.txt");
    s.AddInstalledFile("Data\\A.txt");
    s.AddInstalledFile("game.exe");
    EXPECT_EQ(s.InstalledFileCount(), 2);
    EXPECT_EQ(s.IndexOfInstalledFile("GAME.EXE"), 1);
    EXPECT_EQ(s.IndexOfInstalledFile("other"), -1);
    EXPECT_EQ(s.GetInstalledFile(0), "data\\a.txt");
    EXPECT_THROW(s.GetInstalledFile(2), Error);
    EXPECT_THROW(s.GetInstalledFile(-1), Error);

    s.SourceFiles = {"setup.exe", "data\\movie.mpg"};
    EXPECT_TRUE(s.IsSourceFile("DATA\\Movie.MPG"));
    EXPECT_FALSE(s.IsSourceFile("readme.txt"));
}

}  // namespace
}  // namespace qi
