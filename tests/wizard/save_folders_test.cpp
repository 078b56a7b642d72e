#include "wizard/save_folders.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/path_helpers.h"
#include "platform/platform.h"
#include "support/scratch.h"
#include "wizard/wizard_harness.h"

namespace qi {
namespace {

TEST(SaveFolders, SafeTitleReplacesTheElevenCharacters) {
    EXPECT_EQ(SafeTitle("A:B?"), "A_B_");
    EXPECT_EQ(SafeTitle("\\/:,;*?\"<>|x"), "___________x");
    // "表" ends in the byte of "\" as its second half and stays as it is.
    EXPECT_EQ(SafeTitle("表:"), "表_");
    EXPECT_EQ(SafeTitle(""), "");
}

// The current user's save folder of a game, in the local application data
// the profile list names; removed again afterwards.
class UserSaveFolder : public test::WizardTest {
protected:
    void SetUp() override {
        test::WizardTest::SetUp();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        settings.Title = "QiSaveTest " + name + " A:B?";
        folder = AddBackslash(platform::SpecialFolder(platform::kCsidlLocalAppData)) + "QiSaveTest " + name + " A_B_\\";
        ASSERT_TRUE(platform::CreateFolders(folder));
    }
    void TearDown() override {
        platform::RemoveFile(folder + "save.dat");
        platform::RemoveFolder(folder);
        test::WizardTest::TearDown();
    }
    std::string folder;
};

TEST_F(UserSaveFolder, FoundThroughTheProfileList) {
    std::vector<std::string> list;
    int count = FindUserSaveFolders(settings.Title, list);
    EXPECT_EQ(count, static_cast<int>(list.size()));
    EXPECT_EQ(std::count(list.begin(), list.end(), folder), 1) << folder;

    std::vector<std::string> none{"kept"};
    EXPECT_EQ(FindUserSaveFolders("", none), 0);
    EXPECT_EQ(none, std::vector<std::string>{"kept"});
    none.clear();
    EXPECT_EQ(FindUserSaveFolders("QiSaveTest no such game", none), 0);
}

TEST_F(UserSaveFolder, OfferedOnTheUninstallPage) {
    settings.Installed = true;
    test::ScratchFolder installed;
    TFormType without(settings, nullptr, installed.Path(), boxes, pump, waits);
    without.FormCreate();
    EXPECT_FALSE(without.CheckDelSave.Visible);  // a folder without save data

    test::WriteBytes(folder + "save.dat", "save");
    TFormType with(settings, nullptr, installed.Path(), boxes, pump, waits);
    with.FormCreate();
    EXPECT_TRUE(with.CheckDelSave.Visible);
    EXPECT_FALSE(with.CheckDelSave.Checked);
}

}  // namespace
}  // namespace qi
