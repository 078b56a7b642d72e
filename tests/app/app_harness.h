#pragma once
// The entry sequence driven without windows: a host whose message boxes
// answer from a script, whose wizard and launcher only note how they were
// shown, and whose "start program" records instead of starting.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/setup_app.h"
#include "archive/archive_builder.h"
#include "archive/vrfiles.h"
#include "platform/platform.h"
#include "settings/install_set.h"
#include "streams/stream.h"
#include "support/scratch.h"
#include "wizard/wizard_harness.h"

namespace qi::test {

struct Started {
    std::string file;
    std::string arguments;
    bool temporaryCopy = false;  // started as the copy that takes over
};

class FakeHost : public ISetupHost {
public:
    IMessageBoxes& Boxes() override { return boxes; }
    IMessagePump& Pump() override { return pump; }
    IWaiter& Waiter() override { return waits; }
    TModalResult RunWizard(TFormType& form, TVrFileCollection* archive) override {
        form.FormCreate();
        wizardPages.push_back(PageName(form.CurrentPage()));
        wizardArchives.push_back(archive ? archive->Count() : -1);
        return TModalResult::mrOk;
    }
    LauncherChoice ShowLauncher(const TQuorInstallSet&, TVrFileCollection& archive) override {
        ++launcherShown;
        launcherArchiveEntries = archive.Count();
        return choice;
    }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    int StartProgram(const std::string& file, const std::string& arguments) override {
        started.push_back({file, arguments});
        return startResult;
    }
    int StartTemporaryCopy(const std::string& file, const std::string& arguments) override {
        started.push_back({file, arguments, true});
        return startResult;
    }
    bool IsUserAdmin() override { return admin; }

    ScriptedBoxes boxes;
    ScriptedPump pump;
    RecordedWaits waits;
    // The first page each wizard showed, and its archive's entry count (-1: none).
    std::vector<std::string> wizardPages;
    std::vector<int> wizardArchives;
    LauncherChoice choice;
    int launcherShown = 0;
    int launcherArchiveEntries = -1;
    std::vector<std::string> errors;
    std::vector<Started> started;
    int startResult = 42;
    bool admin = true;
};

inline std::string SettingsBytes(const TQuorInstallSet& settings) {
    TMemoryStream stream;
    settings.SaveToStream(stream);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

// A disc folder with the setup program file, a temporary folder and
// settings with a registry key and title of the test's own.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        settings.Title = std::string("QiApp ") + info->test_suite_name() + " " + info->name();
        settings.RegistryKey = std::string("QiAppTest-") + info->test_suite_name() + "-" + info->name();
        platform::DeleteRegistryTree(platform::RootKey::CurrentUser, "Software\\" + settings.RegistryKey);
        settings.DefaultFolder = "\\QiAppGames\\Game";
        settings.ExeFile = "game.exe";
        settings.SetDiscCount(1);
        programFile = disc / "setup.exe";
        WriteBytes(programFile, "program bytes");
    }
    void TearDown() override {
        platform::DeleteRegistryTree(platform::RootKey::CurrentUser, "Software\\" + settings.RegistryKey);
    }

    void SaveSettings(const std::string& folder) { settings.SaveToFile(folder + "install.dat"); }
    // An archive holding the settings and one more entry.
    std::string ArchiveBytes() const {
        TestEntry settingsEntry{"install.dat", SettingsBytes(settings)};
        TestEntry scene{"scene.txt", "scene"};
        settingsEntry.checksum = Crc(settingsEntry.content);
        scene.checksum = Crc(scene.content);
        return Archive({settingsEntry, scene}, 102);
    }

    SetupOutcome Run(std::vector<std::string> arguments = {}) {
        SetupStart start;
        start.Arguments = std::move(arguments);
        start.ProgramFile = programFile;
        start.TempFolder = temp.Path();
        app = std::make_unique<SetupApp>(host, start);
        return app->Run();
    }

    std::string Value(const std::string& name) const { return settings.GetValue(name, "(none)"); }

    TQuorInstallSet settings;
    ScratchFolder disc;
    ScratchFolder temp;
    std::string programFile;
    FakeHost host;
    std::unique_ptr<SetupApp> app;
};

}  // namespace qi::test
