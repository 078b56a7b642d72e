#include <gtest/gtest.h>

#include "wizard/run_harness.h"
#include "wizard/save_folders.h"

namespace qi {
namespace {

using R = TModalResult;
using test::Dos;
using test::Entry;
using test::ReadBytes;

// A game installed by the copy page, then removed by the delete page of
// the setup program started from the installation folder.
class UninstallRun : public test::RunTest {
protected:
    void InstallGame() {
        PutSourceFiles({{"game.exe", "exe"}, {"install.exe", "setup"}, {"movie\\op.mpg", "m"}, {"lock.txt", "ro"}});
        platform::SetAttributes(disc / "lock.txt", platform::kAttrReadOnly);
        PutArchive({Entry("a.txt", "a", Dos(2020, 1, 1))});
        Install();
        ASSERT_EQ(PageName(*form), "exit");
        form.reset();
        archive.reset();
        ASSERT_TRUE(platform::DirectoryExists(MenuFolder()));
        // Things of the game's own: a log in a recorded folder, the save
        // data and its settings.
        Put(target / "movie\\log.txt", "log");
        Put(target / "save.dat", "save");
        Put(target / "game.ini", "ini");
        platform::SetAttributes(target / "lock.txt", platform::kAttrReadOnly);
    }
    // The wizard of the installed copy.
    TFormType& Uninstaller() {
        settings.LoadFromFile(target / "install.dat");
        form = std::make_unique<TFormType>(settings, nullptr, target.Path(), boxes, pump, waits);
        form->FormCreate();
        return *form;
    }
};

TEST_F(UninstallRun, RemovesWhatWasInstalledAndKeepsSaveData) {
    const std::string parentKey = settings.RegistryKey;
    settings.RegistryKey = parentKey + "\\Game";
    InstallGame();
    // A record that points outside the installation folder is not followed.
    const std::string neighbour =
        ExtractFilePath(target.Path().substr(0, target.Path().size() - 1)) + "qi-uninstall-neighbour.txt";
    Put(neighbour, "theirs");
    settings.LoadFromFile(target / "install.dat");
    settings.AddInstalledFile("..\\qi-uninstall-neighbour.txt");
    settings.AddInstalledFile("SAVE.DAT");  // the save data is only deleted when the player asks
    settings.SaveToFile(target / "install.dat");
    // Another game under the same registry parent keeps its key.
    TQuorInstallSet sibling;
    sibling.RegistryKey = parentKey + "\\Sibling";
    sibling.SetValue("InstallPath", "C:\\Other\\");

    TFormType& f = Uninstaller();
    ASSERT_EQ(PageName(f), "uninst");
    EXPECT_TRUE(f.CheckDelSave.Visible);
    pump.openedFolders.clear();
    f.btnNextClick();

    EXPECT_EQ(PageName(f), "exit");
    EXPECT_EQ(f.Caption, "完了");
    EXPECT_EQ(f.LabelExit.Caption, "アンインストールが完了しました");
    EXPECT_EQ(f.LabelDelTitle.Caption, settings.Title + " を削除しています");
    EXPECT_FALSE(platform::DirectoryExists(MenuFolder()));
    EXPECT_EQ(settings.GetValue("InstallPath", ""), "");
    EXPECT_EQ(sibling.GetValue("InstallPath", ""), "C:\\Other\\");

    // Only the save data and the game's own log stay, with their folders.
    for (const char* gone : {"game.exe", "install.exe", "lock.txt", "movie\\op.mpg", "game.dat", "game.ext",
                             "install.dat", "game.ini"}) {
        EXPECT_FALSE(platform::FileExists(target / gone)) << gone;
    }
    EXPECT_EQ(ReadBytes(target / "save.dat"), "save");
    EXPECT_EQ(ReadBytes(target / "movie\\log.txt"), "log");
    EXPECT_EQ(ReadBytes(neighbour), "theirs");
    platform::RemoveFile(neighbour);
    sibling.DeleteRegistryKey("C:\\Other\\");
}

// A title that names a menu folder of other programs ("wine"): only the
// installation's own shortcuts go, and the folder stays with the rest.
TEST_F(UninstallRun, TheMenuFolderKeepsWhatIsNotTheInstallations) {
    InstallGame();
    Put(MenuFolder() + "other program.desktop", "theirs");
    TFormType& f = Uninstaller();
    f.btnNextClick();
    ASSERT_EQ(PageName(f), "exit");
    EXPECT_EQ(ReadBytes(MenuFolder() + "other program.desktop"), "theirs");
    EXPECT_EQ(platform::ListDirectory(MenuFolder()).size(), 1u);
}

TEST_F(UninstallRun, WithSaveDataTheFolderGoes) {
    InstallGame();
    platform::RemoveFile(target / "movie\\log.txt");
    const std::string userFolder =
        AddBackslash(platform::SpecialFolder(platform::kCsidlLocalAppData)) + SafeTitle(settings.Title) + "\\";
    Put(userFolder + "save.dat", "user save");

    TFormType& f = Uninstaller();
    ASSERT_TRUE(f.CheckDelSave.Visible);
    f.CheckDelSave.Checked = true;
    f.btnNextClick();
    EXPECT_EQ(PageName(f), "exit");
    EXPECT_FALSE(platform::DirectoryExists(target.Path()));
    bool userFolderLeft = platform::DirectoryExists(userFolder);
    platform::RemoveFile(userFolder + "save.dat");
    platform::RemoveFolder(userFolder);
    EXPECT_FALSE(userFolderLeft);
}

// Abort confirmed while the shortcuts are about to go: nothing is removed.
TEST_F(UninstallRun, AbortBeforeTheShortcutsLeavesEverything) {
    InstallGame();
    TFormType& f = Uninstaller();
    pump.onMessages = [&] { form->btnAbortClick(); };
    boxes.answers = {R::mrYes};
    f.btnNextClick();
    EXPECT_EQ(boxes.asked.back().text, "アンインストールを中断しますか？");
    EXPECT_EQ(f.ModalResult, R::mrAbort);
    EXPECT_TRUE(f.CheckModalEnd());
    EXPECT_TRUE(platform::DirectoryExists(MenuFolder()));
    EXPECT_TRUE(platform::FileExists(target / "game.exe"));
    EXPECT_EQ(settings.GetValue("InstallPath", ""), target.Path());
}

}  // namespace
}  // namespace qi
