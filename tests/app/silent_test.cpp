#include <gtest/gtest.h>

#include "app/setup_form.h"
#include "app/silent.h"
#include "settings/path_helpers.h"
#include "wizard/run_harness.h"

namespace qi {
namespace {

using test::Dos;
using test::Entry;
using test::ReadBytes;
using test::WriteBytes;

class NotedReport : public ISilentReport {
public:
    void Note(const std::string& text) override { notes += text + "\n"; }
    void Progress(const std::string&, int64_t, int64_t) override { ++progress; }
    std::string notes;
    int progress = 0;
};

class RecordingSilentHost : public TSilentHost {
public:
    using TSilentHost::TSilentHost;
    int StartProgram(const std::string& file, const std::string& arguments) override {
        started.push_back({file, arguments});
        return 42;
    }
    std::vector<std::pair<std::string, std::string>> started;
};

class Silent : public test::RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        settings.HelloText = "hello";
        settings.LicenseText = "license";
        settings.ReadmeFile = "readme.txt";
        PutSourceFiles({{"game.exe", "exe"}, {"install.exe", "windows setup"}, {"readme.txt", "read me"}});
        PutArchive({Entry("scene.txt", "scene", Dos(2020, 1, 1))});
        settings.SaveToFile(disc / "install.dat");
        programFile = program / "setup.exe";
        WriteBytes(programFile, "the running program");
        options.Dir = target.Path().substr(0, target.Path().size() - 1);
        options.AcceptLicense = true;
    }

    int Run(std::vector<std::string> arguments) {
        NotedReport report;
        RecordingSilentHost host(options, report);
        TSetupStart start{std::move(arguments), programFile, temp.Path(), ""};
        TSetupApp app(host, start);
        outcome = app.Run();
        notes = report.notes;
        progress = report.progress;
        started = host.started;
        return host.ExitCode(outcome);
    }

    test::ScratchFolder program;
    test::ScratchFolder temp;
    std::string programFile;
    TSilentOptions options;
    TSetupOutcome outcome;
    std::string notes;
    int progress = 0;
    std::vector<std::pair<std::string, std::string>> started;
};

TEST_F(Silent, InstallsAndUninstallsWithoutAQuestion) {
    ASSERT_EQ(Run({disc.Path()}), ecDone) << Utf8(notes);
    EXPECT_GT(progress, 0);
    TQuorInstallSet saved = Saved();
    EXPECT_TRUE(saved.Installed);
    EXPECT_TRUE(saved.DataInstalled);
    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe");
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
    EXPECT_EQ(settings.GetValue("InstallPath", ""), target.Path());
    EXPECT_TRUE(LinkExists(MenuFolder(), settings.Title + "のアンインストール"));
    if (TSetupForm::PlacesOwnUninstaller()) {
        // The uninstaller is this program, recorded so that it goes too,
        // and its shortcut starts it as itself.
        EXPECT_EQ(ReadBytes(target / "install.exe"), "the running program");
        EXPECT_TRUE(Listed(saved, "install.exe"));
    } else {
        EXPECT_EQ(ReadBytes(target / "install.exe"), "windows setup");
    }

    // The player starts "install.exe" in the install folder: it copies
    // itself away and starts the copy for the folder.
    programFile = target / "install.exe";
    ASSERT_EQ(Run({}), ecDone) << Utf8(notes);
    EXPECT_EQ(outcome.Role, TSetupRole::UninstallFirstRun);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].first, temp / "~qinstall.exe");
    EXPECT_EQ(started[0].second, "\"" + target.Path() + "\"");

    // The copy removes everything.
    programFile = temp / "~qinstall.exe";
    WriteBytes(target / "save.dat", "progress");
    options.DeleteSaveData = true;
    ASSERT_EQ(Run({target.Path()}), ecDone) << Utf8(notes);
    EXPECT_EQ(outcome.Role, TSetupRole::Uninstall);
    EXPECT_FALSE(platform::DirectoryExists(target.Path()));
    EXPECT_FALSE(LinkExists(MenuFolder(), settings.Title + "のアンインストール"));
    EXPECT_EQ(settings.GetValue("InstallPath", "(none)"), "(none)");
}

TEST_F(Silent, ExitCodesTellWhyARunStopped) {
    // The licence needs consent from a person.
    options.AcceptLicense = false;
    EXPECT_EQ(Run({disc.Path()}), ecNeedsHuman);
    EXPECT_NE(notes.find("--accept-license"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));

    // A folder the wizard refuses is an error.
    options.AcceptLicense = true;
    options.Dir = "C:";
    EXPECT_EQ(Run({disc.Path()}), ecError);
    EXPECT_NE(notes.find("正しいインストール先を指定してください"), std::string::npos);

    // Another setup of the game is running.
    options.Dir = target.Path();
    {
        auto other = platform::CreateNamedMutex(settings.Title);
        EXPECT_EQ(Run({disc.Path()}), ecNeedsHuman);
    }
    // No settings where the argument points.
    test::ScratchFolder empty;
    EXPECT_EQ(Run({empty.Path()}), ecError);
    EXPECT_NE(notes.find("インストール設定ファイルがありません"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
}

TEST_F(Silent, AMissingSecondDiscStopsTheRunUnrecorded) {
    settings.SetDiscCount(2);
    settings.DiscIndex = 0;
    settings.ProgramSizes = {100, 0};
    settings.DataSizes = {100, 100};
    settings.SoundSizes = {0, 0};
    settings.MovieSizes = {0, 0};
    settings.DataTotal = 200;
    settings.SaveToFile(disc / "install.dat");
    options.AllDiscs = true;
    EXPECT_EQ(Run({disc.Path()}), ecNeedsHuman);
    EXPECT_NE(notes.find("ディスク2"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_EQ(settings.GetValue("InstallPath", "(none)"), "(none)");
}

TEST(SilentOptions, AreCheckedBeforeAnythingRuns) {
    TSilentOptions options;
    EXPECT_EQ(ReadSilentOptions(ParseCommandLine({"--components=data,movie", "--dir=D:\\Games\\X\\",
                                                  "--disc-timeout=30", "--all-discs"}),
                                options),
              "");
    EXPECT_TRUE(options.ChooseComponents && options.Data && options.Movie && !options.Sound);
    EXPECT_EQ(options.Dir, "D:\\Games\\X");
    EXPECT_EQ(options.DiscTimeoutSeconds, 30);
    EXPECT_TRUE(options.AllDiscs);
    EXPECT_NE(ReadSilentOptions(ParseCommandLine({"--components=data,voice"}), options), "");
    EXPECT_NE(ReadSilentOptions(ParseCommandLine({"--disc-timeout=soon"}), options), "");
    EXPECT_NE(ReadSilentOptions(ParseCommandLine({"--dir="}), options), "");
}

}  // namespace
}  // namespace qi

#if !defined(_WIN32)
namespace qi {
namespace {

// On Linux the uninstall shortcut starts the Linux program that was copied
// into the install folder under the Windows name, never wine.
TEST_F(Silent, LinuxUninstallShortcutStartsTheCopiedProgramItself) {
    programFile = platform::ModuleFileName();
    ASSERT_EQ(Run({disc.Path()}), ecDone) << Utf8(notes);
    const std::string entry = ReadBytes(MenuFolder() + settings.Title + "のアンインストール.desktop");
    EXPECT_NE(entry.find("Exec=\"" + platform::NativePath(target / "install.exe") + "\"\n"), std::string::npos)
        << entry;
    EXPECT_EQ(entry.find("wine"), std::string::npos) << entry;
    // The game itself, a Windows program, still goes through wine.
    const std::string game = ReadBytes(MenuFolder() + settings.Title + ".desktop");
    EXPECT_NE(game.find("Exec=wine "), std::string::npos) << game;
}

}  // namespace
}  // namespace qi
#endif
