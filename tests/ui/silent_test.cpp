#include <gtest/gtest.h>

#include "app/setup_form.h"
#include "base/path_helpers.h"
#include "ui/pictures/picture_host.h"
#include "ui/silent/silent_host.h"
#include "support/elf_builder.h"
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

class RecordingSilentHost : public SilentHost {
public:
    RecordingSilentHost(const SilentOptions& options, ISilentReport& report, std::function<void()> onPause)
        : SilentHost(options, report), onPause_(std::move(onPause)) {}
    int StartProgram(const std::string& file, const std::string& arguments) override {
        started.push_back({file, arguments});
        return 42;
    }
    std::vector<std::pair<std::string, std::string>> started;

protected:
    void PauseForDisc(unsigned) override {
        if (onPause_) onPause_();
    }

private:
    std::function<void()> onPause_;
};

struct SavedPicture {
    std::string file;
    int width = 0, height = 0;
    std::string problem;
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
        RecordingSilentHost host(options, report, onPause);
        PictureHost picturing(host, pictures, programFile,
                               [this](const std::string& file, const TDIBSurface& picture, const std::string& problem) {
                                   saved.push_back({file, picture.Width(), picture.Height(), problem});
                               });
        SetupStart start{std::move(arguments), programFile, temp.Path(), ""};
        SetupApp app(picturing, start);
        outcome = app.Run();
        notes = report.notes;
        progress = report.progress;
        started = host.started;
        return host.ExitCodeFor(outcome);
    }

    test::ScratchFolder program;
    test::ScratchFolder temp;
    std::string programFile;
    SilentOptions options;
    std::function<void()> onPause;
    PictureRequest pictures;
    std::vector<SavedPicture> saved;
    SetupOutcome outcome;
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
    if (SetupForm::PlacesOwnUninstaller()) {
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
    EXPECT_EQ(outcome.Role, SetupRole::UninstallFirstRun);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].first, temp / "~qinstall.exe");
    EXPECT_EQ(started[0].second, "\"" + target.Path() + "\"");

    // The copy removes everything.
    programFile = temp / "~qinstall.exe";
    WriteBytes(target / "save.dat", "progress");
    options.DeleteSaveData = true;
    ASSERT_EQ(Run({target.Path()}), ecDone) << Utf8(notes);
    EXPECT_EQ(outcome.Role, SetupRole::Uninstall);
    EXPECT_FALSE(platform::DirectoryExists(target.Path()));
    EXPECT_FALSE(LinkExists(MenuFolder(), settings.Title + "のアンインストール"));
    EXPECT_EQ(settings.GetValue("InstallPath", "(none)"), "(none)");
}

#if !defined(_WIN32)
// A single-file download named as Linux programs are named: the archive it
// carries (appended or as a resource) is found, and the uninstaller it
// places is its program part alone, which uninstalls instead of installing
// again.
class Download : public Silent {
protected:
    // The game's archive with its settings, as a download carries it.
    std::string GameArchive() {
        TMemoryStream image;
        settings.SaveToStream(image);
        const std::string settingsImage(image.Bytes().begin(), image.Bytes().end());
        return test::Archive(
            {Entry("install.dat", settingsImage, Dos(2020, 1, 1)), Entry("scene.txt", "scene", Dos(2020, 1, 1))}, 102);
    }
    // Installs from programFile, then runs the placed uninstaller (kept in
    // placed as it was placed).
    void InstallThenRunTheUninstaller() {
        ASSERT_EQ(Run({}), ecDone) << Utf8(notes);
        EXPECT_EQ(DataEntry("scene.txt"), "scene");
        programFile = target / "install.exe";
        placed = ReadBytes(programFile);
        EXPECT_EQ(Run({}), ecDone) << Utf8(notes);
        EXPECT_EQ(outcome.Role, SetupRole::UninstallFirstRun);
    }
    std::string placed;
};

// Carried settings that say "installed" do not make the uninstaller of the
// folder the download was started from: the download installs.
TEST_F(Download, CarriedSettingsNeverMakeTheUninstaller) {
    settings.Installed = true;
    settings.InstalledFiles = {"thesis.doc", "mygame-setup"};
    WriteBytes(program / "thesis.doc", "mine");
    programFile = program / "mygame-setup";
    WriteBytes(programFile, test::ExecutableWith("\x7F" "ELF the program part", GameArchive()));
    ASSERT_EQ(Run({}), ecDone) << Utf8(notes);
    EXPECT_NE(outcome.Role, SetupRole::UninstallFirstRun);
    EXPECT_NE(outcome.Role, SetupRole::Uninstall);
    EXPECT_EQ(ReadBytes(program / "thesis.doc"), "mine");
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
}

TEST_F(Download, AppendedArchiveLeavesTheProgramPartAsTheUninstaller) {
    const std::string programPart = "\x7F" "ELF the program part";
    programFile = program / "mygame-setup";
    WriteBytes(programFile, test::ExecutableWith(programPart, GameArchive()));
    InstallThenRunTheUninstaller();
    EXPECT_EQ(placed, programPart);
}

TEST_F(Download, ArchiveInAResourceIsTakenOutOfTheUninstaller) {
    const std::string archive = GameArchive();
    programFile = program / "mygame-setup";
    WriteBytes(programFile, test::ElfWithSection(".rsrc.BINTYPE.DUMMY", archive));
    InstallThenRunTheUninstaller();
    EXPECT_LT(placed.size(), 512u);
}

// An uninstaller that cannot be placed is reported before the exit page.
TEST_F(Silent, AnUninstallerThatCannotBePlacedIsReportedBeforeTheEnd) {
    programFile = program / "gone";  // the program file is no longer there
    EXPECT_EQ(Run({disc.Path()}), ecError);
    const size_t warning = notes.find("install.exe\r\nファイルをコピーできません");
    ASSERT_NE(warning, std::string::npos) << Utf8(notes);
    EXPECT_LT(warning, notes.find("[完了]"));
    EXPECT_TRUE(Saved().Installed);
}
#endif

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
    Discs(2);
    settings.SaveToFile(disc / "install.dat");
    options.AllDiscs = true;
    options.DiscTimeoutSeconds = 3;
    int pauses = 0;
    onPause = [&] { ++pauses; };
    EXPECT_EQ(Run({disc.Path()}), ecNeedsHuman);
    EXPECT_EQ(pauses, 3);
    EXPECT_NE(notes.find("ディスク2"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_EQ(settings.GetValue("InstallPath", "(none)"), "(none)");
}

// The next disc is inserted while the run waits for it; each disc has the
// whole time of --disc-timeout.
TEST_F(Silent, WaitsForEachNextDiscWithinTheTimeout) {
    Discs(3);
    settings.SaveToFile(disc / "install.dat");
    options.AllDiscs = true;
    options.DiscTimeoutSeconds = 2;
    int pauses = 0;
    onPause = [&] {
        // Each disc arrives at the last look the timeout allows.
        if (++pauses % 2 != 0) return;
        const int index = pauses / 2;
        const std::string name = "disc" + std::to_string(index + 1) + ".txt";
        for (const auto& file : platform::ListDirectory(disc.Path())) platform::RemoveFile(disc / file.name);
        Put(disc / name, name);
        WriteBytes(disc / "game.dat", test::Archive({Entry(name, "data of " + name, Dos(2020, 1, 1))}, 102));
        TQuorInstallSet next = settings;
        next.DiscIndex = index;
        next.SourceFiles = {name};
        next.SaveToFile(disc / "install.dat");
    };
    ASSERT_EQ(Run({disc.Path()}), ecDone) << Utf8(notes);
    EXPECT_EQ(pauses, 4);
    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe");
    EXPECT_EQ(ReadBytes(target / "disc3.txt"), "disc3.txt");
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
    EXPECT_EQ(DataEntry("disc2.txt"), "data of disc2.txt");
    EXPECT_EQ(DataEntry("disc3.txt"), "data of disc3.txt");
}

// The windows' pictures are taken as the run shows them: the launcher on
// the disc, then the backdrop behind the wizard it starts.
TEST_F(Silent, SavesTheLauncherAndBackdropPicturesAsShown) {
    programFile = disc / "setup.exe";
    WriteBytes(programFile, "the setup program on the disc");
    pictures = {"launcher.png", "backdrop.png", 640, 480};
    settings.TitleImage = "missing.vxa";
    settings.SaveToFile(disc / "install.dat");
    ASSERT_EQ(Run({}), ecDone) << Utf8(notes);
    EXPECT_EQ(outcome.Role, SetupRole::Launcher);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].file, "launcher.png");
    EXPECT_EQ(saved[0].width, 265);
    EXPECT_EQ(saved[0].height, 158);
    EXPECT_NE(saved[0].problem.find("missing.vxa"), std::string::npos);
    EXPECT_EQ(saved[1].file, "backdrop.png");
    EXPECT_EQ(saved[1].width, 600);
    EXPECT_EQ(saved[1].height, 400);
    EXPECT_EQ(saved[1].problem, saved[0].problem);
    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe");  // the run itself went on
}

TEST(SilentOptions, AreCheckedBeforeAnythingRuns) {
    SilentOptions options;
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
    for (const char* relative : {"--dir=games", "--dir=C:games", "--dir=\\games"}) {
        EXPECT_NE(ReadSilentOptions(ParseCommandLine({relative}), options), "") << relative;
    }

    PictureRequest pictures;
    EXPECT_EQ(ReadPictureOptions(ParseCommandLine({"--save-backdrop=b.png", "--screen=1920x1080"}), pictures), "");
    EXPECT_EQ(pictures.BackdropFile, "b.png");
    EXPECT_EQ(pictures.LauncherFile, "");
    EXPECT_EQ(pictures.ScreenWidth, 1920);
    EXPECT_EQ(pictures.ScreenHeight, 1080);
    for (const char* screen : {"--screen=1024", "--screen=0x768", "--screen=x", "--screen=99999x2", "--screen=8x-1"}) {
        EXPECT_NE(ReadPictureOptions(ParseCommandLine({screen}), pictures), "") << screen;
    }
    EXPECT_NE(ReadPictureOptions(ParseCommandLine({"--save-launcher"}), pictures), "");
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
