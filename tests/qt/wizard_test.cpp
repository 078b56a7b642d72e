// The backdrop and the wizard as windows, clicked through whole runs.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "qt/desktop_harness.h"

namespace qi {
namespace {

using namespace test;

QString TextOf(const char* control) { return Child<QAbstractButton>("FormType", control)->text(); }

void Next() { Click("FormType", "btnNext"); }

// The folder typed into the folder box, then on to the next page.
void TypeFolder(const std::string& folder) {
    auto* edit = Child<QLineEdit>("FormType", "EditDir");
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromStdString(folder));
}

// Saves the wizard once per page while a page's work runs.
std::function<void()> SnapshotOnce(const char* page, const char* name) {
    auto taken = std::make_shared<bool>(false);
    return [=] {
        if (*taken || !PageShown(page)) return;
        *taken = true;
        Snapshot("FormType", name);
    };
}

TEST_F(DesktopRun, AnInstallationClickedThroughPageByPage) {
    settings.HelloText = Core("ようこそ。\r\nこのゲームをインストールします。");
    settings.LicenseText = Core("ライセンス条項");
    Discs(2, 100, 2097152);
    settings.TitleImage = "title.vxa";  // centred on the backdrop
    PutSourceFiles({{"game.exe", "exe"}});
    PutArchive({Entry("scene.txt", "scene", Dos(2020, 1, 1)), TitleImageEntry(640, 480)});

    robot.OnPage("Hello", [] {
        Snapshot("FormType", "wizard-1-hello");
        Next();
    });
    robot.OnPage("License", [] {
        EXPECT_FALSE(Child("FormType", "btnNext")->isEnabled());
        Click("FormType", "CheckLicense");
        Snapshot("FormType", "wizard-2-license");
        Next();
    });
    robot.OnPage("Media", [] {
        EXPECT_TRUE(Child<QRadioButton>("FormType", "RadioDiskAll")->isChecked());
        Snapshot("FormType", "wizard-3-media");
        Next();
    });
    robot.OnPage("file", [] {
        Click("FormType", "CheckData");
        EXPECT_TRUE(Child<QAbstractButton>("FormType", "CheckData")->isChecked());
        EXPECT_TRUE(Child<QLabel>("FormType", "LabelSize")->text().contains(QStringLiteral("4.00 MB")));
        Snapshot("FormType", "wizard-4-file");
        Next();
    });
    robot.OnPage("seldir", [this] {
        // A folder opened in the list gets the proposed sub-folder appended.
        auto* list = Child<QListWidget>("FormType", "Directory");
        auto found = list->findItems(QStringLiteral("users"), Qt::MatchEndsWith);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found[0]);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(Child<QLineEdit>("FormType", "EditDir")->text(), QStringLiteral("C:\\users\\QiWizardGames\\Game"));
        TypeFolder(TypedFolder());
        Snapshot("FormType", "wizard-5-seldir");
        Next();
    });
    robot.OnPage("confirm", [] {
        EXPECT_EQ(TextOf("btnNext"), QString::fromUtf8("インストール"));
        Snapshot("FormType", "wizard-6-confirm");
        Next();
    });
    host->onMessages = SnapshotOnce("copy", "wizard-7-copy");
    // The second disc goes in before OK.
    robot.Answer("OK", [this] {
        Snapshot("MessageBox", "message-box");
        TQuorInstallSet second = settings;
        second.DiscIndex = 1;
        second.SourceFiles.clear();
        second.SaveToFile(disc / "install.dat");
        PutArchive({Entry("second.txt", "disc two", Dos(2020, 1, 1))});
    });
    robot.OnPage("exit", [] {
        EXPECT_EQ(TextOf("btnAbort"), QString::fromUtf8("閉じる(&C)"));
        Snapshot("FormType", "wizard-8-exit");
        Click("FormType", "btnAbort");
    });
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrOk);
    EXPECT_EQ(host->ExitCodeFor(outcome), ecDone);
    EXPECT_TRUE(Saved().Installed);
    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe");
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
    EXPECT_EQ(DataEntry("second.txt"), "disc two");
    EXPECT_FALSE(settings.GetValue("InstallPath", "").empty());
    EXPECT_TRUE(LinkExists(MenuFolder(), settings.Title + Core("のアンインストール")));
}

TEST_F(DesktopRun, TheCloseBoxAndAbortDuringTheCopyAskFirst) {
    for (int i = 0; i < 40; ++i) PutSourceFiles({{"file" + std::to_string(i) + ".txt", "content"}});
    PutArchive({Entry("scene.txt", "scene", Dos(2020, 1, 1))});
    // The close box asks first; No keeps the wizard on its page.
    robot.OnPage("file", [] { Window("FormType")->close(); });
    robot.Answer("No", [] {
        EXPECT_EQ(Child<QLabel>("MessageBox", "qt_msgbox_label")->text(), QString::fromUtf8("インストールを中断しますか？"));
    });
    robot.OnPage("file", [] { Next(); });
    robot.OnPage("seldir", [this] {
        TypeFolder(TypedFolder());
        Next();
    });
    robot.OnPage("confirm", [] { Next(); });
    // Abort while the files are copied: the question comes twice.
    int aborts = 0;
    host->onMessages = [&aborts] {
        if (aborts < 2 && PageShown("copy")) {
            ++aborts;
            Click("FormType", "btnAbort");
        }
    };
    robot.Answer("No");
    robot.Answer("Yes");
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(aborts, 2);
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrAbort);
    EXPECT_EQ(host->ExitCodeFor(outcome), ecCancelled);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_FALSE(platform::FileExists(target / "file39.txt"));
}

// The installed game removed by its uninstaller's temporary copy, once
// with save data (the user asks to remove it too) and once without.
TEST_F(DesktopRun, TheUninstallationWithAndWithoutSaveData) {
    PutSourceFiles({{"game.exe", "exe"}});
    PutArchive({Entry("scene.txt", "scene", Dos(2020, 1, 1))});
    programFile = temp / "~qinstall.exe";
    WriteBytes(programFile, "program");
    for (bool saveData : {true, false}) {
        SCOPED_TRACE(saveData ? "with save data" : "without save data");
        Install();
        form.reset();
        ASSERT_TRUE(Saved().Installed);
        ASSERT_TRUE(platform::DirectoryExists(MenuFolder()));
        if (saveData) WriteBytes(target / "save.dat", "saved game");

        robot.OnPage("uninst", [saveData] {
            EXPECT_EQ(Child("FormType", "CheckDelSave")->isVisible(), saveData);
            EXPECT_FALSE(Child("FormType", "btnBack")->isVisible());
            EXPECT_EQ(TextOf("btnNext"), QString::fromUtf8("実行"));
            if (saveData) {
                Click("FormType", "CheckDelSave");
                Snapshot("FormType", "wizard-9-uninst");
            }
            Next();
        });
        host->onMessages = SnapshotOnce("delete", "wizard-10-delete");
        robot.OnPage("exit", [saveData] {
            if (saveData) Snapshot("FormType", "wizard-11-uninstalled");
            Click("FormType", "btnAbort");
        });
        SetupOutcome outcome = Run({target.Path()});
        EXPECT_EQ(outcome.Role, SetupRole::Uninstall);
        EXPECT_EQ(outcome.WizardResult, TModalResult::mrOk);
        EXPECT_FALSE(platform::DirectoryExists(target.Path()));
        EXPECT_FALSE(platform::DirectoryExists(MenuFolder()));
        EXPECT_EQ(settings.GetValue("InstallPath", ""), "");
        platform::CreateFolders(target.Path());
    }
}

}  // namespace
}  // namespace qi
