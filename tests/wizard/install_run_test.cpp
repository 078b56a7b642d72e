#include <gtest/gtest.h>

#include "wizard/run_harness.h"

namespace qi {
namespace {

using R = TModalResult;
using test::Dos;
using test::Entry;
using test::ReadBytes;

class InstallRun : public test::RunTest {};

TEST_F(InstallRun, OneDiscThroughEveryPage) {
    settings.HelloText = "hello";
    settings.LicenseText = "license";
    settings.ReadmeFile = "readme.txt";
    settings.OpenReadme = true;
    PutSourceFiles({{"game.exe", "exe"}, {"install.exe", "setup"}, {"readme.txt", "read me"},
                    {"Voice\\a.ogg", "sound"}, {"sub\\deep\\doc.txt", "doc"}});
    Put(disc / "notlisted.txt", "stray");
    PutArchive({Entry("scene.txt", "scene", Dos(2020, 1, 1)), Entry("quor.qpb", "project", Dos(2020, 1, 1))});
    settings.SaveToFile(disc / "install.dat");  // the disc's own settings are not copied unless listed

    TFormType& f = Create();
    ASSERT_EQ(PageName(f), "Hello");
    f.btnNextClick();
    f.CheckLicense.Checked = true;
    f.CheckLicenseClick();
    f.btnNextClick();
    ASSERT_EQ(PageName(f), "file");
    f.CheckData.Checked = true;
    f.CheckDataClick();
    f.btnNextClick();
    ASSERT_EQ(PageName(f), "seldir");
    f.btnNextClick();
    ASSERT_EQ(PageName(f), "confirm");
    f.btnNextClick();

    EXPECT_EQ(PageName(f), "exit");
    EXPECT_EQ(f.btnAbort.Caption, "閉じる(&C)");
    EXPECT_TRUE(boxes.asked.empty());
    EXPECT_EQ(f.Progress.Max, f.RequiredBytes / 10);
    EXPECT_FALSE(f.Progress.Visible);

    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe");
    EXPECT_EQ(ReadBytes(target / "sub\\deep\\doc.txt"), "doc");
    EXPECT_FALSE(platform::FileExists(target / "Voice\\a.ogg"));  // sound not chosen
    EXPECT_FALSE(platform::FileExists(target / "notlisted.txt"));
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
    EXPECT_EQ(DataEntry("quor.qpb"), "project");

    TQuorInstallSet saved = Saved();
    EXPECT_TRUE(saved.Installed);
    EXPECT_TRUE(saved.DataInstalled);
    for (const char* name : {"game.exe", "install.exe", "readme.txt", "sub\\deep\\doc.txt", "game.dat", "game.ext",
                             "install.dat"}) {
        EXPECT_TRUE(Listed(saved, name)) << name;
    }
    EXPECT_EQ(saved.InstalledFileCount(), 7);
    EXPECT_EQ(settings.GetValue("InstallPath", ""), target.Path());

    EXPECT_TRUE(LinkExists(MenuFolder(), settings.Title));
    EXPECT_TRUE(LinkExists(MenuFolder(), settings.Title + "のアンインストール"));
    EXPECT_TRUE(LinkExists(MenuFolder(), "お読みください"));
    ASSERT_EQ(pump.openedFolders.size(), 1u);
    ASSERT_EQ(pump.openedDocuments.size(), 1u);
    EXPECT_EQ(pump.openedDocuments[0], target / "readme.txt");
}

// Disc 1 is still in the drive when disc 2 is asked for; the user aborts,
// thinks better of it and inserts disc 2.
TEST_F(InstallRun, TwoDiscsKeepTheFirstDiscsRecords) {
    Discs(2, 100, 1000);
    PutSourceFiles({{"game.exe", "exe"}, {"one.txt", "1"}});
    PutArchive({Entry("a.txt", "disc one", Dos(2020, 1, 1))});
    settings.SaveToFile(disc / "install.dat");

    TQuorInstallSet second = settings;
    second.DiscIndex = 1;
    second.SourceFiles = {"two.txt"};
    auto insertSecondDisc = [&] {
        archive->Open("");  // already released by the run
        for (const char* name : {"game.exe", "one.txt", "game.dat", "install.dat"}) platform::RemoveFile(disc / name);
        Put(disc / "two.txt", "2");
        test::WriteBytes(disc / "game.dat", test::Archive({Entry("b.txt", "disc two", Dos(2020, 1, 1))}, 102));
        second.SaveToFile(disc / "install.dat");
    };
    boxes.beforeAnswer = [&](size_t index) {
        if (index == 3) insertSecondDisc();
    };
    boxes.answers = {R::mrOk, R::mrAbort, R::mrNo, R::mrOk};

    TFormType& f = Create();
    ASSERT_EQ(PageName(f), "Media");
    EXPECT_TRUE(f.RadioDiskAll.Checked);
    Install();

    ASSERT_EQ(boxes.asked.size(), 4u);
    for (size_t i : {0u, 1u, 3u}) {
        EXPECT_EQ(boxes.asked[i].text, "ディスク2を入れてからOKをクリックしてください");
        EXPECT_EQ(boxes.asked[i].buttons, mbOK | mbAbort);
    }
    EXPECT_EQ(boxes.asked[2].text, "インストールを中断しますか？");
    EXPECT_EQ(PageName(*form), "exit");

    EXPECT_EQ(ReadBytes(target / "one.txt"), "1");
    EXPECT_EQ(ReadBytes(target / "two.txt"), "2");
    EXPECT_EQ(DataEntry("a.txt"), "disc one");
    EXPECT_EQ(DataEntry("b.txt"), "disc two");
    TQuorInstallSet saved = Saved();
    EXPECT_EQ(saved.DiscIndex, 1);
    for (const char* name : {"game.exe", "one.txt", "two.txt", "game.dat", "game.ext", "install.dat"}) {
        EXPECT_TRUE(Listed(saved, name)) << name;
    }
}

// An installation aborted half way takes back the files and folders it
// made, and says so; what was in the folder before stays.
TEST_F(InstallRun, AbortConfirmedAtTheDiscPromptTakesBackWhatTheRunMade) {
    Discs(2, 100, 1000);
    PutSourceFiles({{"game.exe", "exe"}, {"sub\\deep\\in.txt", "in"}});
    PutArchive({Entry("a.txt", "a", Dos(2020, 1, 1))});
    Put(target / "mine.txt", "the player's");
    Put(target / "game.exe", "older");
    boxes.answers = {R::mrAbort, R::mrYes, R::mrOk};
    TFormType& f = Install();
    EXPECT_EQ(PageName(f), "copy");
    EXPECT_EQ(f.ModalResult, R::mrAbort);
    EXPECT_TRUE(f.CheckModalEnd());
    ASSERT_EQ(boxes.asked.size(), 3u);
    EXPECT_EQ(boxes.asked[2].reason, BoxReason::Notice);
    EXPECT_EQ(boxes.asked[2].text, "このインストールでコピーしたファイルを削除しました");
    EXPECT_EQ(ReadBytes(target / "mine.txt"), "the player's");
    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe");  // there before: overwritten, not removed
    EXPECT_FALSE(platform::DirectoryExists(target / "sub"));
    EXPECT_FALSE(platform::FileExists(target / "game.dat"));
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_EQ(settings.GetValue("InstallPath", ""), "");
}

// A plain file that cannot be written (a folder stands in its way) is
// named; the user may go on without it or stop.
TEST_F(InstallRun, PlainFileThatCannotBeCopiedIsReported) {
    PutSourceFiles({{"game.exe", "exe"}, {"blocked.txt", "x"}, {"z.txt", "z"}});
    PutArchive({});
    platform::CreateFolders(target / "blocked.txt");

    boxes.answers = {R::mrYes};
    TFormType& f = Install();
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].kind, TMsgDlgType::mtWarning);
    EXPECT_EQ(boxes.asked[0].buttons, mbYes | mbNo);
    EXPECT_NE(boxes.asked[0].text.find(target / "blocked.txt"), std::string::npos);
    EXPECT_EQ(PageName(f), "exit");
    EXPECT_EQ(ReadBytes(target / "z.txt"), "z");
    TQuorInstallSet saved = Saved();
    EXPECT_FALSE(Listed(saved, "blocked.txt"));
    EXPECT_TRUE(Listed(saved, "z.txt"));

    boxes.asked.clear();
    boxes.answers = {R::mrNo};
    platform::RemoveFile(target / "install.dat");
    TFormType& g = Install();
    EXPECT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(PageName(g), "copy");
    EXPECT_EQ(g.ModalResult, R::mrAbort);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
}

TEST_F(InstallRun, FolderThatCannotBeMadeStopsTheRun) {
    PutSourceFiles({{"sub\\x.txt", "x"}});
    PutArchive({});
    Put(target / "sub", "a file where the folder should be");
    boxes.answers = {R::mrOk};
    TFormType& f = Install();
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].text, "ディレクトリを作成できませんでした");
    EXPECT_EQ(f.ModalResult, R::mrOk);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
}

// A disc or an update that carries a "save.dat" never writes over the
// player's save.
TEST_F(InstallRun, ThePlayersSaveDataIsNeverOverwritten) {
    PutSourceFiles({{"game.exe", "exe"}, {"SAVE.DAT", "the disc's"}});
    PutArchive({});
    Put(target / "save.dat", "the player's");
    Install();
    EXPECT_EQ(PageName(*form), "exit");
    EXPECT_EQ(ReadBytes(target / "save.dat"), "the player's");
    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe");
}

// A RegistryKey without a name of its own ("\\") would have the
// uninstallation delete all of Software: such settings install nothing.
TEST_F(InstallRun, RegistryKeyWithoutANameOfItsOwnIsRefused) {
    settings.RegistryKey = "\\";
    PutSourceFiles({{"game.exe", "exe"}});
    PutArchive({});
    Create();
    try {
        form->ShowPage(WizardPage::Copy);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "\\:レジストリキーの名前が正しくありません");
    }
    EXPECT_FALSE(platform::FileExists(target / "game.exe"));
}

// The all-components kind skips the choices and installs sound and data.
TEST_F(InstallRun, EverythingKindInstallsAllComponents) {
    settings.InstallType = itAllComponents;
    settings.ReadmeFile = "..\\..\\elsewhere.exe";
    settings.OpenReadme = true;
    PutSourceFiles({{"game.exe", "exe"}, {"bgm.ogg", "sound"}, {"op.mpg", "movie"}});
    PutArchive({Entry("a.txt", "a", Dos(2020, 1, 1))});
    TFormType& f = Create();
    ASSERT_EQ(PageName(f), "seldir");
    f.btnNextClick();
    f.btnNextClick();
    EXPECT_EQ(PageName(f), "exit");
    EXPECT_EQ(ReadBytes(target / "bgm.ogg"), "sound");
    EXPECT_EQ(ReadBytes(target / "op.mpg"), "movie");
    EXPECT_EQ(DataEntry("a.txt"), "a");
    EXPECT_TRUE(Saved().DataInstalled);
    EXPECT_TRUE(pump.openedDocuments.empty());  // a readme outside the folder is not opened
}

TEST_F(InstallRun, AbortDuringCopyingStops) {
    PutSourceFiles({{"game.exe", "exe"}, {"b.txt", "b"}});
    PutArchive({Entry("a.txt", "a", Dos(2020, 1, 1))});
    int calls = 0;
    pump.onMessages = [&] {
        if (++calls == 2) form->btnAbortClick();
    };
    boxes.answers = {R::mrYes};
    TFormType& f = Install();
    EXPECT_EQ(f.ModalResult, R::mrAbort);
    EXPECT_EQ(PageName(f), "copy");
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_FALSE(platform::FileExists(target / "game.dat"));
}

// A data file whose content does not match its checksums is reported and
// the installation stops unrecorded.
TEST_F(InstallRun, DamagedDataFileStopsTheRun) {
    PutSourceFiles({{"game.exe", "exe"}});
    test::TestEntry damaged = Entry("a.txt", "a", Dos(2020, 1, 1));
    damaged.checksum ^= 1;
    PutArchive({Entry("ok.txt", "ok", Dos(2020, 1, 1)), damaged});
    boxes.answers = {R::mrOk, R::mrOk};
    TFormType& f = Install();
    ASSERT_EQ(boxes.asked.size(), 2u);
    EXPECT_EQ(boxes.asked[0].kind, TMsgDlgType::mtWarning);
    EXPECT_EQ(boxes.asked[0].text.rfind("ファイルの内容が正しくありません\r\nインストールしなおしてください\r\n", 0), 0u);
    EXPECT_EQ(f.LabelCopyCap.Caption, "データファイルをチェックしています");
    EXPECT_EQ(f.ModalResult, R::mrAbort);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_FALSE(platform::FileExists(target / "game.dat"));
    EXPECT_FALSE(platform::FileExists(target / "game.exe"));
}

// Entries flagged as loose files are written out one by one; no data file
// is made, so none is checked.
TEST_F(InstallRun, ExtractFilesWritesLooseEntries) {
    settings.ExtractFiles = true;
    PutSourceFiles({{"game.exe", "plain files are not copied"}});
    PutArchive({Entry("game.exe", "exe", Dos(2021, 3, 1), 1), Entry("same.txt", "new", Dos(2021, 3, 1), 1),
                Entry("old.txt", "newer", Dos(2021, 3, 1), 1), Entry("data\\in.txt", "inner", Dos(2021, 3, 1), 1),
                Entry("packed.txt", "merged only", Dos(2021, 3, 1), 0),
                Entry("install.dat", "never", Dos(2021, 3, 1), 1)});
    Put(target / "same.txt", "kept");
    platform::SetFileDosTime(target / "same.txt", static_cast<uint32_t>(Dos(2021, 3, 1)));
    Put(target / "old.txt", "old");
    platform::SetFileDosTime(target / "old.txt", static_cast<uint32_t>(Dos(2019, 3, 1)));

    TFormType& f = Create();
    f.ShowPage(WizardPage::Copy);  // the data component left unchosen
    EXPECT_TRUE(boxes.asked.empty());
    EXPECT_EQ(PageName(f), "exit");
    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe");
    EXPECT_EQ(ReadBytes(target / "same.txt"), "kept");
    EXPECT_EQ(ReadBytes(target / "old.txt"), "newer");
    EXPECT_EQ(ReadBytes(target / "data\\in.txt"), "inner");
    EXPECT_EQ(platform::GetFileDosTime(target / "old.txt"), static_cast<uint32_t>(Dos(2021, 3, 1)));
    EXPECT_FALSE(platform::FileExists(target / "packed.txt"));
    EXPECT_FALSE(platform::FileExists(target / "game.dat"));
    TQuorInstallSet saved = Saved();
    EXPECT_FALSE(saved.DataInstalled);
    for (const char* name : {"game.exe", "same.txt", "old.txt", "data\\in.txt", "install.dat"}) {
        EXPECT_TRUE(Listed(saved, name)) << name;
    }
    EXPECT_EQ(saved.InstalledFileCount(), 5);
}

// A damaged loose file stops the run with the damage warning; neither it nor
// its partial copy is left, and an older file of that name is kept.
TEST_F(InstallRun, ExtractFilesRefusesDamagedAndEscapingEntries) {
    settings.ExtractFiles = true;
    test::TestEntry damaged = Entry("bad.txt", "content", Dos(2021, 3, 1), 1);
    damaged.checksum ^= 1;
    PutArchive({Entry("good.txt", "good", Dos(2021, 3, 1), 1), damaged});
    Put(target / "bad.txt", "old");
    platform::SetFileDosTime(target / "bad.txt", static_cast<uint32_t>(Dos(2019, 3, 1)));
    boxes.answers = {R::mrOk, R::mrOk};
    Create();
    form->ShowPage(WizardPage::Copy);
    ASSERT_EQ(boxes.asked.size(), 2u);
    EXPECT_EQ(boxes.asked[0].kind, TMsgDlgType::mtWarning);
    EXPECT_EQ(boxes.asked[0].text.rfind("ファイルの内容が正しくありません\r\n", 0), 0u);
    EXPECT_EQ(form->ModalResult, R::mrAbort);
    EXPECT_EQ(PageName(*form), "copy");
    EXPECT_FALSE(platform::FileExists(target / "good.txt"));  // taken back
    EXPECT_EQ(ReadBytes(target / "bad.txt"), "old");
    EXPECT_EQ(platform::ListDirectory(target.Path()).size(), 1u) << "no partial file";
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));

    archive->Open("");
    PutArchive({Entry("..\\outside.txt", "x", Dos(2021, 3, 1), 1)});
    EXPECT_THROW(
        {
            Create();
            form->ShowPage(WizardPage::Copy);
        },
        Error);
    EXPECT_FALSE(platform::FileExists(disc / "outside.txt"));
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
}

// Loose files may write no more than the settings declare for the game: a
// small zlib stream that inflates far beyond that stops the run with a
// message naming the file, and nothing of it is left.
TEST_F(InstallRun, ExtractFilesStopAtTheDeclaredSize) {
    settings.ExtractFiles = true;
    OneDisc(1000, 24, 0, 0);
    test::TestEntry bomb{"movie.bin", std::string(4 << 20, '\0'), false, Dos(2021, 3, 1), 0, 1};
    PutArchive({Entry("game.exe", "exe", Dos(2021, 3, 1), 1), bomb});
    Create();
    try {
        form->ShowPage(WizardPage::Copy);
        ADD_FAILURE() << "the installation went on";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), target / "movie.bin" +
                                             ":展開したデータが宣言されたサイズ(1021バイト)を超えます\r\n"
                                             "このインストールでコピーしたファイルを削除しました");
    }
    EXPECT_TRUE(platform::ListDirectory(target.Path()).empty()) << "nothing of the large file, game.exe taken back";
}

// The Windows-folder kind installs its files and records nothing; loose
// files there are always rewritten.
TEST_F(InstallRun, WindowsFolderInstallRecordsNothing) {
    settings.InstallType = itWindowsFolder;
    settings.ExtractFiles = true;
    const std::string sub = "qi-run-windows-folder";
    const std::string windows = AddBackslash(platform::WindowsFolder());
    PutArchive({Entry(sub + "\\x.dll", "new", Dos(2021, 3, 1), 1)});
    Put(windows + sub + "\\x.dll", "newest");
    platform::SetFileDosTime(windows + sub + "\\x.dll", static_cast<uint32_t>(Dos(2022, 3, 1)));

    TFormType& f = Create();
    EXPECT_EQ(f.InstallFolder(), windows);
    f.ShowPage(WizardPage::Copy);
    EXPECT_EQ(PageName(f), "exit");
    std::string written = ReadBytes(windows + sub + "\\x.dll");
    platform::RemoveFile(windows + sub + "\\x.dll");
    platform::RemoveFolder(windows + sub);
    EXPECT_EQ(written, "new");
    EXPECT_FALSE(settings.Installed);
    EXPECT_EQ(settings.GetValue("InstallPath", ""), "");
    EXPECT_FALSE(platform::DirectoryExists(MenuFolder()));
    EXPECT_TRUE(pump.openedFolders.empty());
}

}  // namespace
}  // namespace qi
