#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "app/app_harness.h"
#include "base/path_helpers.h"

namespace qi {
namespace {

using R = TModalResult;
using test::ReadBytes;
using test::WriteBytes;

class Entry : public test::AppTest {};

TEST(EntryNames, InstallFolderMutexAndMediumDrive) {
    EXPECT_EQ(InstallFolderMutexName("C:\\Games\\Title"), "C:-GAMES-TITLE-");
    EXPECT_EQ(InstallFolderMutexName("c:\\games\\title\\"), "C:-GAMES-TITLE-");
    // The second byte of a double-byte character is no delimiter, and
    // double-byte characters keep their case.
    EXPECT_EQ(InstallFolderMutexName("d:\\\x95\x5Cx\\\x82\x81"), "D:-\x95\x5CX-\x82\x81-");

    EXPECT_EQ(MediumDrive("E:\\setup.exe"), "E:");
    EXPECT_EQ(MediumDrive("E:\\disc\\setup.exe"), "");

    EXPECT_TRUE(IsTemporaryCopy("C:\\Temp\\~qinstall.exe", "C:\\Temp\\"));
    EXPECT_TRUE(IsTemporaryCopy("c:\\temp\\~QINSTALL7.EXE", "C:\\Temp"));
    EXPECT_FALSE(IsTemporaryCopy("C:\\Temp\\setup.exe", "C:\\Temp\\"));
    EXPECT_FALSE(IsTemporaryCopy("D:\\Downloads\\~qinstall.exe", "C:\\Temp\\"));
}

TEST_F(Entry, InstalledWithoutArgumentStartsATemporaryCopyOfItself) {
    settings.Installed = true;
    SaveSettings(disc.Path());
    SetupOutcome outcome = Run();
    EXPECT_EQ(outcome.Role, SetupRole::UninstallFirstRun);
    EXPECT_TRUE(host.wizardPages.empty());
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0].file, temp / "~qinstall.exe");
    EXPECT_EQ(host.started[0].arguments, "\"" + disc.Path() + "\"");
    EXPECT_TRUE(host.started[0].temporaryCopy);
    EXPECT_EQ(ReadBytes(temp / "~qinstall.exe"), "program bytes");
    EXPECT_TRUE(host.boxes.asked.empty());
}

TEST_F(Entry, InstalledWithArgumentRunsTheUninstallerWithoutArchive) {
    settings.Installed = true;
    SaveSettings(disc.Path());
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.Role, SetupRole::Uninstall);
    EXPECT_EQ(host.wizardPages, std::vector<std::string>{"uninst"});
    EXPECT_EQ(host.wizardArchives, std::vector<int>{-1});
    EXPECT_TRUE(host.started.empty());
    // A program that is not the temporary copy is not scheduled for deletion.
    EXPECT_TRUE(platform::FileExists(programFile));
}

TEST_F(Entry, SetupRunsDirectlyWithArgumentUpdateOrWindowsFolderInstall) {
    settings.HelloText = "hello";
    SaveSettings(disc.Path());
    WriteBytes(disc / "game.dat", ArchiveBytes());
    Run({disc.Path()});
    // An update program carries its archive and settings.
    settings.UpdateMode = true;
    test::ScratchFolder work;
    WriteBytes(work / "update.pak", ArchiveBytes());
    AppendArchiveToExe(programFile, work / "update.pak");
    Run();
    WriteBytes(programFile, "program bytes");
    settings.UpdateMode = false;
    settings.InstallType = itWindowsFolder;
    SaveSettings(disc.Path());
    Run();
    EXPECT_EQ(host.wizardPages, (std::vector<std::string>{"Hello", "Hello", "Hello"}));
    EXPECT_EQ(host.wizardArchives, (std::vector<int>{3, 3, 3}));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.launcherShown, 0);
    EXPECT_TRUE(host.started.empty());
}

TEST_F(Entry, LauncherChoices) {
    SaveSettings(disc.Path());
    WriteBytes(disc / "game.dat", ArchiveBytes());

    // Closed without a choice: nothing started, no copy made; "CDDrive" is
    // written empty for a program below a drive's root.
    host.choice = {false, 0};
    SetupOutcome outcome = Run();
    EXPECT_EQ(outcome.Role, SetupRole::Launcher);
    EXPECT_EQ(outcome.End, SetupEnd::LauncherClosed);
    EXPECT_EQ(host.launcherArchiveEntries, 3);
    EXPECT_EQ(Value("CDDrive"), "");
    EXPECT_TRUE(host.started.empty());
    EXPECT_FALSE(platform::FileExists(temp / "~qinstall.exe"));

    // Start the game: the installed program, no arguments.
    settings.SetValue("InstallPath", "C:\\QiAppGames\\Game\\");
    host.choice = {true, kLaunchGame};
    Run();
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0].file, "C:\\QiAppGames\\Game\\game.exe");
    EXPECT_EQ(host.started[0].arguments, "");
    EXPECT_FALSE(host.started[0].temporaryCopy) << "the game is only started";

    // Install: a temporary copy started for the disc folder.
    host.choice = {true, kLaunchInstall};
    Run();
    ASSERT_EQ(host.started.size(), 2u);
    EXPECT_EQ(host.started[1].file, temp / "~qinstall.exe");
    EXPECT_EQ(host.started[1].arguments, "\"" + disc.Path() + "\"");
    EXPECT_TRUE(host.started[1].temporaryCopy);
    EXPECT_TRUE(host.wizardPages.empty());

    // Install with files extracted: the wizard in place, nothing started.
    settings.ExtractFiles = true;
    SaveSettings(disc.Path());
    Run();
    EXPECT_EQ(host.started.size(), 2u);
    EXPECT_EQ(host.wizardPages.size(), 1u);
}

TEST_F(Entry, ProgramInADriveRootNamesTheDriveAndPassesTheRootQuoted) {
    programFile = "C:\\qiapp-setup.exe";
    WriteBytes(programFile, "root program");
    SaveSettings("C:\\");
    WriteBytes("C:\\game.dat", ArchiveBytes());
    host.choice = {true, kLaunchInstall};
    Run();
    EXPECT_EQ(Value("CDDrive"), "C:");
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0].arguments, "\"C:\\\"");
    platform::RemoveFile(programFile);
    platform::RemoveFile("C:\\install.dat");
    platform::RemoveFile("C:\\game.dat");
}

TEST_F(Entry, GuardsEndTheRunBeforeAnyRole) {
    SaveSettings(disc.Path());

    host.admin = false;
    host.boxes.answers = {R::mrOk};
    EXPECT_EQ(Run().End, SetupEnd::NotAdmin);
    ASSERT_EQ(host.boxes.asked.size(), 1u);
    EXPECT_EQ(host.boxes.asked[0].text, "管理者権限で実行してください");
    EXPECT_EQ(host.boxes.asked[0].kind, TMsgDlgType::mtWarning);
    host.admin = true;

    // A folder without settings.
    test::ScratchFolder empty;
    host.boxes.answers = {R::mrOk};
    EXPECT_EQ(Run({empty.Path()}).End, SetupEnd::NoSettings);
    ASSERT_EQ(host.boxes.asked.size(), 2u);
    EXPECT_EQ(host.boxes.asked[1].text, "インストール設定ファイルがありません");

    // Another setup of the same title, and a game running from the install
    // folder, end the run without a word.
    {
        auto other = platform::CreateNamedMutex(settings.Title);
        ASSERT_TRUE(other);
        EXPECT_EQ(Run({disc.Path()}).End, SetupEnd::AlreadyRunning);
    }
    settings.SetValue("InstallPath", "C:\\QiAppGames\\Busy");
    {
        auto game = platform::CreateNamedMutex("C:-QIAPPGAMES-BUSY-");
        ASSERT_TRUE(game);
        EXPECT_EQ(Run({disc.Path()}).End, SetupEnd::InstallFolderBusy);
    }
    EXPECT_EQ(host.boxes.asked.size(), 2u);
    EXPECT_TRUE(host.wizardPages.empty());
    EXPECT_TRUE(host.started.empty());

    // Whatever the run held is let go: the next one gets through.
    WriteBytes(disc / "game.dat", ArchiveBytes());
    EXPECT_EQ(Run({disc.Path()}).End, SetupEnd::Finished);
    EXPECT_FALSE(platform::MutexExists(settings.Title));
}

TEST_F(Entry, TemporaryCopyTakesTheNextFreeNameOrGivesUp) {
    settings.Installed = true;
    SaveSettings(disc.Path());
    // A folder in the way stands for a copy still locked by an earlier run.
    platform::CreateFolders(temp / "~qinstall.exe");
    Run();
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0].file, temp / "~qinstall0.exe");
    EXPECT_EQ(host.started[0].arguments, "\"" + disc.Path() + "\"");

    // A read-only earlier copy is replaced.
    platform::RemoveFolder(temp / "~qinstall.exe");
    WriteBytes(temp / "~qinstall.exe", "old");
    platform::SetAttributes(temp / "~qinstall.exe", platform::kAttrReadOnly);
    Run();
    EXPECT_EQ(host.started.back().file, temp / "~qinstall.exe");
    EXPECT_EQ(ReadBytes(temp / "~qinstall.exe"), "program bytes");
#ifndef _WIN32
    // A link put at the name is replaced, and what it points to stays.
    WriteBytes(disc / "decoy.txt", "decoy");
    platform::RemoveFile(temp / "~qinstall.exe");
    ASSERT_EQ(symlink(platform::NativePath(disc / "decoy.txt").c_str(),
                      platform::NativePath(temp / "~qinstall.exe").c_str()), 0);
    Run();
    EXPECT_EQ(host.started.back().file, temp / "~qinstall.exe");
    EXPECT_FALSE(platform::IsLink(temp / "~qinstall.exe"));
    EXPECT_EQ(ReadBytes(disc / "decoy.txt"), "decoy");
#endif

    // No name can be written at all.
    platform::RemoveFile(programFile);
    host.boxes.answers = {R::mrOk};
    const size_t started = host.started.size();
    EXPECT_EQ(Run().End, SetupEnd::CopyFailed);
    EXPECT_EQ(host.started.size(), started);
    ASSERT_EQ(host.boxes.asked.size(), 1u);
    EXPECT_EQ(host.boxes.asked[0].text, "ファイルをコピーできません");
}

TEST_F(Entry, AFailedStartIsReportedWithItsCode) {
    SaveSettings(disc.Path());
    WriteBytes(disc / "game.dat", ArchiveBytes());
    host.choice = {true, kLaunchGame};
    host.startResult = 2;
    host.boxes.answers = {R::mrOk};
    SetupOutcome outcome = Run();
    EXPECT_EQ(outcome.StartResult, 2);
    ASSERT_EQ(host.boxes.asked.size(), 1u);
    EXPECT_EQ(host.boxes.asked[0].text, "プログラムを実行できませんでした\r\nエラーコード[2]");
}

TEST_F(Entry, SettingsFromAnAppendedArchiveOrAnArchiveArgument) {
    settings.HelloText = "hello";
    // The archive appended to the program file: no settings file needed.
    test::ScratchFolder work;
    WriteBytes(work / "game.pak", ArchiveBytes());
    AppendArchiveToExe(programFile, work / "game.pak");
    SetupOutcome outcome = Run({work.Path()});
    EXPECT_EQ(outcome.End, SetupEnd::Finished);
    EXPECT_TRUE(app->AppendedArchive());
    EXPECT_FALSE(app->ResourceArchive());
    EXPECT_EQ(host.wizardPages, std::vector<std::string>{"Hello"});
    EXPECT_EQ(host.wizardArchives, std::vector<int>{3});

    // An archive file named by the argument is both source and archive.
    WriteBytes(programFile, "plain program");
    settings.HelloText.clear();
    settings.LicenseText = "license";
    WriteBytes(work / "single.dat", ArchiveBytes());
    Run({work / "single.dat"});
    EXPECT_FALSE(app->AppendedArchive());
    EXPECT_EQ(app->SourcePath(), work / "single.dat");
    EXPECT_EQ(host.wizardPages.back(), "License");
    EXPECT_EQ(host.wizardArchives.back(), 3);

    // Settings from an archive never make the uninstaller, even when they
    // say "installed": only an "install.dat" file in the install folder does.
    settings.Installed = true;
    WriteBytes(work / "single.dat", ArchiveBytes());
    Run({work / "single.dat"});
    EXPECT_EQ(host.wizardPages.back(), "License");
    EXPECT_EQ(host.wizardArchives.back(), 3);
}

TEST_F(Entry, UnreadableSettingsEndTheRunWithTheErrorAndHoldNothing) {
    WriteBytes(disc / "install.dat", "not settings at all");
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.End, SetupEnd::Failed);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_FALSE(host.errors[0].empty());
    EXPECT_TRUE(host.started.empty());

    // An archive without settings names the missing entry.
    test::ScratchFolder work;
    test::TestEntry scene{"scene.txt", "scene"};
    scene.checksum = test::Crc(scene.content);
    WriteBytes(work / "bare.dat", test::Archive({scene}, 102));
    Run({work / "bare.dat"});
    ASSERT_EQ(host.errors.size(), 2u);
    EXPECT_NE(host.errors[1].find("install.dat"), std::string::npos);
    EXPECT_FALSE(platform::MutexExists(settings.Title));
}

}  // namespace
}  // namespace qi
