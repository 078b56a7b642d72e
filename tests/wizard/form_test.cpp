#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "base/path_helpers.h"
#include "streams/stream.h"
#include "support/scratch.h"
#include "wizard/form_type.h"
#include "wizard/wizard_harness.h"

namespace qi {
namespace {

using test::WizardTest;
using R = TModalResult;

class WizardPages : public WizardTest {
protected:
    TFormType& Create() {
        form = std::make_unique<TFormType>(settings, nullptr, source.Path(), boxes, pump, waits);
        form->FormCreate();
        return *form;
    }
    test::ScratchFolder source;
    std::unique_ptr<TFormType> form;
};

TEST_F(WizardPages, WithoutTextsOneDiscStartsOnTheFilePage) {
    TFormType& f = Create();
    EXPECT_EQ(PageName(f), "file");
    EXPECT_EQ(f.Caption, "インストールするファイル");
    EXPECT_TRUE(f.btnBack.Visible);
    EXPECT_FALSE(f.btnBack.Enabled);
    EXPECT_TRUE(f.btnNext.Enabled);
    EXPECT_EQ(f.btnNext.Caption, "次へ(&N) >");
    EXPECT_TRUE(f.LabelBack.Visible);
    EXPECT_TRUE(f.LabelBack2.Visible);
    // Only components with a size are offered.
    EXPECT_TRUE(f.CheckProg.Visible && f.CheckProg.Checked && !f.CheckProg.Enabled);
    EXPECT_TRUE(f.CheckData.Visible);
    EXPECT_FALSE(f.CheckData.Checked);
    EXPECT_FALSE(f.CheckSound.Visible);
    EXPECT_FALSE(f.CheckMovie.Visible);
    f.CheckProg.Checked = false;
    f.CheckProgClick();
    EXPECT_TRUE(f.CheckProg.Checked);

    f.btnNextClick();
    EXPECT_EQ(PageName(f), "seldir");
    EXPECT_EQ(f.Caption, "インストール先の選択");
    EXPECT_EQ(f.LabelSzDrv.Caption.rfind("このドライブには ", 0), 0u);
    EXPECT_TRUE(f.btnBack.Enabled);
    f.btnNextClick();
    EXPECT_EQ(PageName(f), "confirm");
    EXPECT_EQ(f.Caption, "インストール準備完了");
    EXPECT_EQ(f.btnNext.Caption, "インストール");
    f.btnBackClick();
    EXPECT_EQ(PageName(f), "seldir");
    EXPECT_EQ(f.btnNext.Caption, "次へ(&N) >");
    f.btnBackClick();
    f.btnBackClick();  // nothing before "file"
    EXPECT_EQ(PageName(f), "file");
    EXPECT_TRUE(boxes.asked.empty());
}

TEST_F(WizardPages, WindowsFolderInstallSkipsTheChoices) {
    settings.InstallType = itWindowsFolder;
    settings.HelloText = "hello";
    TFormType& f = Create();
    EXPECT_EQ(PageName(f), "Hello");
    EXPECT_EQ(f.Caption, "ようこそ");
    EXPECT_EQ(f.EditHello.Text, "hello");
    EXPECT_EQ(f.InstallFolder(), AddBackslash(platform::WindowsFolder()));
    EXPECT_TRUE(f.LabelBack.Visible);
    f.btnNextClick();
    EXPECT_EQ(PageName(f), "confirm");
    EXPECT_TRUE(f.btnBack.Enabled);

    // With nothing before "confirm" there is nothing to go back to.
    settings.HelloText.clear();
    TFormType& g = Create();
    EXPECT_EQ(PageName(g), "confirm");
    EXPECT_FALSE(g.btnBack.Enabled);
    EXPECT_FALSE(g.LabelBack.Visible);
    EXPECT_FALSE(g.LabelBack2.Visible);
}

TEST_F(WizardPages, LicenseMustBeAcceptedToGoOn) {
    settings.HelloText = "hello";
    settings.LicenseText = "terms\r\nmore terms";
    TFormType& f = Create();
    f.btnNextClick();
    EXPECT_EQ(PageName(f), "License");
    EXPECT_EQ(f.Caption, "ライセンス契約");
    EXPECT_EQ(f.EditLicense.Text, "terms\r\nmore terms");
    EXPECT_FALSE(f.btnNext.Enabled);
    f.CheckLicense.Checked = true;
    f.CheckLicenseClick();
    EXPECT_TRUE(f.btnNext.Enabled);
    f.CheckLicense.Checked = false;
    f.CheckLicenseClick();
    EXPECT_FALSE(f.btnNext.Enabled);

    // Coming back to an accepted licence keeps Next enabled.
    f.CheckLicense.Checked = true;
    f.CheckLicenseClick();
    f.btnNextClick();
    f.btnBackClick();
    EXPECT_EQ(PageName(f), "License");
    EXPECT_TRUE(f.btnNext.Enabled);
}

TEST_F(WizardPages, TwoDiscSetOffersTheDiscChoiceOnlyFromTheFirstDisc) {
    DiscSizes({1048576, 0}, {0, 2097152}, {0, 0}, {0, 3145728});

    TFormType& f = Create();
    EXPECT_EQ(PageName(f), "Media");
    EXPECT_EQ(f.Caption, "インストールするCD-ROM");
    EXPECT_EQ(f.LabelDisk.Caption, "インストールするCD-ROMを指定してください");
    EXPECT_EQ(f.RadioDiskAll.Caption, "全てのCD-ROMをインストール");
    EXPECT_EQ(f.RadioDiskThis.Caption, "このCD-ROMをインストール");
    EXPECT_TRUE(f.RadioDiskAll.Checked);
    f.btnNextClick();
    EXPECT_TRUE(f.CheckData.Visible);  // on the second disc
    EXPECT_TRUE(f.CheckMovie.Visible);
    f.CheckMovie.Checked = true;
    f.CheckDataClick();
    EXPECT_EQ(f.RequiredBytes, 1048576 + 3145728);

    // This disc only: its own sizes count.
    f.btnBackClick();
    f.RadioDiskAll.Checked = false;
    f.btnNextClick();
    EXPECT_FALSE(f.CheckData.Visible);
    EXPECT_FALSE(f.CheckMovie.Visible);
    EXPECT_EQ(f.RequiredBytes, 1048576);

    // From the second disc: no choice, that disc alone.
    settings.DiscIndex = 1;
    TFormType& g = Create();
    EXPECT_EQ(PageName(g), "file");
    EXPECT_FALSE(g.RadioDiskAll.Checked);
    EXPECT_FALSE(g.CheckProg.Visible);
    EXPECT_TRUE(g.CheckData.Visible);
}

TEST_F(WizardPages, RequiredSizeFollowsTheComponentsChosen) {
    TFormType& f = Create();
    EXPECT_EQ(f.LabelSize.Caption, "最低 10.00 MBのディスクの空き容量が必要です");
    f.CheckData.Checked = true;
    f.CheckDataClick();
    EXPECT_EQ(f.LabelSize.Caption, "最低 60.00 MBのディスクの空き容量が必要です");
    EXPECT_EQ(f.LabelSzNeed.Caption, "インストールには最低 60.00 MBのディスクの空き容量が必要です");
    f.CheckData.Checked = false;
    f.CheckDataClick();
    EXPECT_EQ(f.RequiredBytes, 10485760);

    // An update counts all four totals although it never shows "file".
    OneDisc(1048576, 2097152, 524288, 262144);
    settings.UpdateMode = true;
    TFormType& u = Create();
    EXPECT_EQ(PageName(u), "seldir");
    EXPECT_EQ(u.RequiredBytes, 1048576 + 2097152 + 524288 + 262144);
    EXPECT_EQ(u.LabelSzNeed.Caption, "インストールには最低 3.75 MBのディスクの空き容量が必要です");

    // Everything installed from the second disc of a set counts every disc.
    settings.UpdateMode = false;
    settings.InstallType = itAllComponents;
    DiscSizes({1, 2}, {10, 20}, {100, 200}, {1000, 2000});
    settings.DiscIndex = 1;
    TFormType& all = Create();
    EXPECT_TRUE(all.CheckData.Checked && all.CheckSound.Checked && all.CheckMovie.Checked);
    EXPECT_EQ(PageName(all), "seldir");
    EXPECT_EQ(all.RequiredBytes, 3333);

    // Sizes from a damaged settings file neither overflow nor read past a list.
    settings.InstallType = 0;
    settings.DiscIndex = 5;
    settings.ProgramSizes = {1};
    settings.DataSizes.clear();
    TFormType& odd = Create();
    EXPECT_EQ(PageName(odd), "file");
    EXPECT_EQ(odd.RequiredBytes, 0);
    EXPECT_FALSE(odd.CheckProg.Visible);
}

TEST(DiskSpace, WarningOnlyWhenWholeMegabytesAreShort) {
    EXPECT_FALSE(NotEnoughSpace(100, 100 * 1048576 + 943718));  // 100.9 MB needed
    EXPECT_FALSE(NotEnoughSpace(100, 100 * 1048576));
    EXPECT_TRUE(NotEnoughSpace(100, 101 * 1048576));
    EXPECT_FALSE(NotEnoughSpace(0, 1048575));
}

TEST(DiskSpace, MediaKindsMatchPiecesOfTheLists) {
    EXPECT_EQ(MediaKindOfExt(".OGG"), 1);
    EXPECT_EQ(MediaKindOfExt(".wav"), 1);
    EXPECT_EQ(MediaKindOfExt(".MPEG"), 2);
    EXPECT_EQ(MediaKindOfExt(".avi"), 2);
    EXPECT_EQ(MediaKindOfExt(".TXT"), 0);
    EXPECT_EQ(MediaKindOfExt(""), 0);
    EXPECT_EQ(MediaKindOfExt(".mp"), 1);   // inside ".mp2"
    EXPECT_EQ(MediaKindOfExt(".mpe"), 2);  // inside ".mpeg"
    EXPECT_EQ(MediaKindOfExt(".wm"), 1);   // the sound list is tried first
}

class FolderProposal : public WizardPages {};

TEST_F(FolderProposal, ProgramFilesDefaultKeepsTheSubFolderWhileBrowsing) {
    settings.DefaultFolder = "<ProgramFiles>\\QiNoSuchMaker\\Game\\";
    std::string programFiles = platform::SpecialFolder(platform::kCsidlProgramFiles);
    if (!programFiles.empty() && programFiles.back() == '\\') programFiles.pop_back();
    TFormType& f = Create();
    EXPECT_EQ(f.ProposedSubFolder, "QiNoSuchMaker\\Game");
    EXPECT_EQ(f.EditDir.Text, programFiles + "\\QiNoSuchMaker\\Game");
    EXPECT_EQ(f.Directory.Directory, programFiles);
    EXPECT_EQ(f.Drive.Drive, programFiles[0]);

    f.SelectDirectory(source.Path());
    EXPECT_EQ(f.EditDir.Text, source.Path() + "QiNoSuchMaker\\Game");
    f.SelectDrive('C');
    f.SelectDirectory("C:\\");
    EXPECT_EQ(f.EditDir.Text, "C:\\QiNoSuchMaker\\Game");
    EXPECT_EQ(f.InstallFolder(), "C:\\QiNoSuchMaker\\Game\\");

    // An update proposes only folders that exist.
    settings.UpdateMode = true;
    TFormType& u = Create();
    EXPECT_EQ(u.EditDir.Text, programFiles);
}

TEST_F(FolderProposal, AMakerFolderThatExistsIsNotDoubled) {
    settings.DefaultFolder = "\\QiExistingMaker\\Game";
    const std::string maker = platform::WindowsFolder().substr(0, 1) + ":\\QiExistingMaker";
    ASSERT_TRUE(platform::CreateFolders(maker));
    TFormType& f = Create();
    platform::RemoveFolder(maker);
    EXPECT_EQ(f.EditDir.Text, maker + "\\Game");
    EXPECT_EQ(f.Directory.Directory, maker);
    f.SelectDirectory(source.Path());  // browsing still appends what the default adds
    EXPECT_EQ(f.EditDir.Text, source.Path() + "QiExistingMaker\\Game");
}

TEST_F(FolderProposal, PlainDefaultIsOnTheWindowsDrive) {
    settings.DefaultFolder = "\\QiWizardGames\\X";
    TFormType& f = Create();
    std::string drive = platform::WindowsFolder().substr(0, 1);
    EXPECT_EQ(f.EditDir.Text, drive + ":\\QiWizardGames\\X");
    EXPECT_EQ(f.ProposedSubFolder, "QiWizardGames\\X");
    EXPECT_EQ(f.Directory.Directory, drive + ":\\");
}

TEST_F(FolderProposal, EarlierInstallFolderIsProposedUnchanged) {
    std::string earlier = source.Path() + "Installed";
    ASSERT_TRUE(platform::CreateFolders(earlier));
    settings.SetValue("InstallPath", earlier + "\\");
    TFormType& f = Create();
    EXPECT_EQ(f.EditDir.Text, earlier);
    EXPECT_EQ(f.ProposedSubFolder, "");
    f.SelectDirectory(source.Path());
    EXPECT_EQ(f.EditDir.Text, source.Path().substr(0, source.Path().size() - 1));

    // A recorded folder that is gone falls back to the default.
    settings.SetValue("InstallPath", source.Path() + "Gone\\");
    TFormType& g = Create();
    EXPECT_EQ(g.ProposedSubFolder, "QiWizardGames\\Game");
}

TEST_F(FolderProposal, DriveRootIsRefused) {
    TFormType& f = Create();
    f.btnNextClick();
    for (const char* bad : {"C:\\", "C:", ""}) {
        f.EditDir.Text = bad;
        boxes.answers.push_back(R::mrOk);
        f.btnNextClick();
        EXPECT_EQ(PageName(f), "seldir") << bad;
        ASSERT_FALSE(boxes.asked.empty());
        EXPECT_EQ(boxes.asked.back().text, "正しいインストール先を指定してください");
        EXPECT_EQ(boxes.asked.back().kind, TMsgDlgType::mtWarning);
        EXPECT_EQ(boxes.asked.back().buttons, mbOK);
    }
}

TEST_F(FolderProposal, ShortDriveAsksBeforeGoingOn) {
    settings.ProgramTotal = settings.ProgramSizes[0] = int64_t{1} << 60;
    TFormType& f = Create();
    f.btnNextClick();
    f.EditDir.Text = source.Path() + "Game";
    boxes.answers = {R::mrNo, R::mrYes};
    f.btnNextClick();
    EXPECT_EQ(PageName(f), "seldir");
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].text, "ドライブにじゅうぶんな空き容量がありません\r\nこのまま処理を続けますか？");
    EXPECT_EQ(boxes.asked[0].buttons, mbYes | mbNo);
    f.btnNextClick();
    EXPECT_EQ(PageName(f), "confirm");
}

// An update goes only into a folder that holds the same game, as an
// installation folder or as a program carrying its data.
TEST_F(FolderProposal, UpdateNeedsTheSameGameInTheFolder) {
    settings.UpdateMode = true;
    test::ScratchFolder target;
    TFormType& f = Create();
    ASSERT_EQ(PageName(f), "seldir");
    auto tryFolder = [&](const std::string& folder) {
        f.EditDir.Text = folder;
        boxes.answers.push_back(R::mrOk);
        f.btnNextClick();
        bool accepted = PageName(f) == "confirm";
        if (accepted) {
            boxes.answers.pop_back();
            f.btnBackClick();
        }
        return accepted;
    };
    EXPECT_FALSE(tryFolder(target.Path() + "Empty"));
    EXPECT_EQ(boxes.asked.back().text, "正しいインストール先を指定してください");

    TQuorInstallSet installed;
    installed.Title = "Other";
    installed.SaveToFile(target / "install.dat");
    EXPECT_FALSE(tryFolder(target.Path()));
    installed.Title = "Game";
    installed.SaveToFile(target / "install.dat");
    EXPECT_TRUE(tryFolder(target.Path()));
    test::WriteBytes(target / "install.dat", "damaged");
    EXPECT_FALSE(tryFolder(target.Path()));

    // A game kept as one program with its data appended.
    test::ScratchFolder single;
    TMemoryStream image;
    installed.SaveToStream(image);
    std::string settingsBytes(reinterpret_cast<const char*>(image.Memory()), static_cast<size_t>(image.Size()));
    std::string archive = test::Archive({{"install.dat", settingsBytes}}, 102);
    test::WriteBytes(single / "game.exe", test::ExecutableWith("MZ program", archive));
    EXPECT_TRUE(tryFolder(single.Path()));
    settings.Title = "Game 2";
    EXPECT_FALSE(tryFolder(single.Path()));
}

class ClosingRules : public WizardPages {};

TEST_F(ClosingRules, AbortBeforeCopyingAsksThroughCloseQuery) {
    Discs(2);
    TFormType& f = Create();
    ASSERT_EQ(PageName(f), "Media");
    boxes.answers = {R::mrNo};
    f.btnAbortClick();
    EXPECT_EQ(f.ModalResult, R::mrCancel);
    EXPECT_FALSE(f.CheckModalEnd());
    EXPECT_EQ(f.ModalResult, R::mrNone);
    EXPECT_EQ(PageName(f), "Media");
    EXPECT_EQ(boxes.asked.back().text, "インストールを中断しますか？");
    EXPECT_EQ(boxes.asked.back().kind, TMsgDlgType::mtConfirmation);

    boxes.answers = {R::mrYes};
    f.Close();  // the close box asks the same
    EXPECT_TRUE(f.CheckModalEnd());
    EXPECT_EQ(f.ModalResult, R::mrCancel);
    EXPECT_EQ(boxes.asked.size(), 2u);
}

// The copy page's work stands in for the installation: it pumps messages,
// during which the user presses abort, and stops or finishes.
class FakeRun : public TFormType {
public:
    using TFormType::TFormType;
    bool finish = true;
    int runs = 0;

protected:
    bool InstallationRun() override {
        ++runs;
        pump_.ProcessMessages();
        if (ModalResult == TModalResult::mrAbort || !finish) return false;
        ShowPage(PageAt(PageIndex(CurrentPage()) + 1));
        return true;
    }
};

TEST_F(ClosingRules, AbortDeclinedDuringCopyLetsTheWorkFinish) {
    FakeRun f(settings, nullptr, source.Path(), boxes, pump, waits);
    f.FormCreate();
    f.btnNextClick();
    f.btnNextClick();
    ASSERT_EQ(PageName(f), "confirm");
    int clicks = 0;
    pump.onMessages = [&] {
        if (++clicks == 1) f.btnAbortClick();
    };
    boxes.answers = {R::mrNo};
    f.btnNextClick();
    EXPECT_EQ(f.runs, 1);
    EXPECT_EQ(boxes.asked.back().text, "インストールを中断しますか？");
    EXPECT_EQ(f.ModalResult, R::mrNone);
    EXPECT_EQ(PageName(f), "exit");
    EXPECT_EQ(f.Caption, "完了");
    EXPECT_EQ(f.ActiveControl, "btnAbort");
    EXPECT_EQ(f.btnAbort.Caption, "閉じる(&C)");
    EXPECT_FALSE(f.btnNext.Visible);
    f.btnAbortClick();
    EXPECT_EQ(f.ModalResult, R::mrOk);
    EXPECT_TRUE(f.CheckModalEnd());
    EXPECT_EQ(boxes.asked.size(), 1u);
}

TEST_F(ClosingRules, CopyPageStopsOnConfirmedAbortOrCloseBox) {
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "abort button");
        FakeRun f(settings, nullptr, source.Path(), boxes, pump, waits);
        f.FormCreate();
        f.btnNextClick();
        f.btnNextClick();
        int clicks = 0;
        pump.onMessages = [&] {
            if (++clicks != 2) return;  // during the work, not before it
            closeBox ? f.Close() : f.btnAbortClick();
        };
        boxes.asked.clear();
        boxes.answers = {R::mrYes};
        f.btnNextClick();
        EXPECT_EQ(PageName(f), "copy");
        EXPECT_EQ(f.Caption, "ファイルコピー");
        EXPECT_FALSE(f.btnBack.Visible);
        EXPECT_FALSE(f.btnNext.Visible);
        EXPECT_EQ(f.ModalResult, R::mrAbort);
        EXPECT_TRUE(f.CheckModalEnd());  // no question for an abort
        ASSERT_EQ(boxes.asked.size(), 1u);
        EXPECT_EQ(boxes.asked[0].text, "インストールを中断しますか？");
    }
}

TEST_F(ClosingRules, UninstallModeOffersSaveDataWhenThereIsSome) {
    settings.Installed = true;
    settings.HelloText = "hello";
    TFormType& f = Create();
    EXPECT_EQ(PageName(f), "uninst");
    EXPECT_EQ(f.Caption, "アンインストール");
    EXPECT_EQ(f.LabelUninst.Caption, "Game をコンピュータから削除します");
    EXPECT_FALSE(f.btnBack.Visible);
    EXPECT_EQ(f.btnNext.Caption, "実行");
    EXPECT_TRUE(f.btnNext.Enabled);
    EXPECT_FALSE(f.CheckDelSave.Visible);
    EXPECT_EQ(f.FirstEnabledPage(), WizardPage::Exit);

    boxes.answers = {R::mrNo};
    f.btnAbortClick();
    EXPECT_FALSE(f.CheckModalEnd());
    EXPECT_EQ(boxes.asked.back().text, "アンインストールを中断しますか？");

    test::WriteBytes(source / "save.dat", "save");
    TFormType& g = Create();
    EXPECT_TRUE(g.CheckDelSave.Visible);
    EXPECT_FALSE(g.CheckDelSave.Checked);
}

class Controls : public WizardPages {};

// Views draw from the table: every control lies in the client area, those of
// a page above the bevel, and no two controls shown together overlap.
TEST_F(Controls, LayoutFitsTheWindowWithoutOverlaps) {
    auto layout = WizardLayout();
    for (const ControlPlace& a : layout) {
        SCOPED_TRACE(a.name);
        EXPECT_GE(a.left, 0);
        EXPECT_LE(a.left + a.width, kWizardClientWidth);
        EXPECT_LE(a.top + a.height, a.page == WizardPage::None ? kWizardClientHeight : kWizardPageHeight);
        if (a.kind == ControlKind::Button) EXPECT_TRUE(a.width == 75 && a.height == 25);
        for (const ControlPlace& b : layout) {
            if (&a == &b || (a.page != b.page && a.page != WizardPage::None && b.page != WizardPage::None)) continue;
            bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left || a.top + a.height <= b.top ||
                         b.top + b.height <= a.top;
            EXPECT_TRUE(apart) << b.name;
        }
    }
}

TEST_F(Controls, InputReachesOnlyShownControlsAndRunsTheirHandlers) {
    using enum WizardControl;
    OneDisc(10485760, 52428800, 20971520, 0);
    TFormType& f = Create();
    ASSERT_EQ(PageName(f), "file");
    int changes = 0;
    f.OnChange = [&](FormChange) { ++changes; };
    const std::string before = f.LabelSize.Caption;
    EXPECT_TRUE(f.Click(CheckSound));  // the size label follows, as the box's handler does
    EXPECT_TRUE(f.CheckSound.Checked);
    EXPECT_NE(f.LabelSize.Caption, before);
    EXPECT_GT(changes, 0);
    EXPECT_FALSE(f.Click(CheckMovie));      // no movies on this disc: hidden
    EXPECT_FALSE(f.Click(CheckProg));       // never deselected: disabled
    EXPECT_FALSE(f.SetText(EditDir, "D:\\X"));  // another page's control
    EXPECT_FALSE(f.Click(LabelSize));

    EXPECT_TRUE(f.Click(btnNext));
    ASSERT_EQ(PageName(f), "seldir");
    EXPECT_TRUE(f.SetText(EditDir, "D:\\Games"));
    EXPECT_EQ(f.InstallFolder(), "D:\\Games\\");
    EXPECT_TRUE(f.SetText(Drive, "e"));
    EXPECT_EQ(f.Directory.Directory, "E:\\");
}

TEST_F(Controls, RadioButtonsOfAPageExcludeEachOther) {
    Discs(2);
    TFormType& f = Create();
    ASSERT_EQ(PageName(f), "Media");
    ASSERT_TRUE(f.RadioDiskAll.Checked);
    EXPECT_TRUE(f.Click(WizardControl::RadioDiskThis));
    EXPECT_FALSE(f.RadioDiskAll.Checked);
    EXPECT_TRUE(f.RadioDiskThis.Checked);
}

}  // namespace
}  // namespace qi
