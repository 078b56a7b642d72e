#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>

#include "base/path_helpers.h"
#include "ui/terminal/terminal_host.h"
#include "ui/recording_host.h"
#include "wizard/run_harness.h"

namespace qi {
namespace {

using test::Dos;
using test::Entry;
using test::ReadBytes;
using test::WriteBytes;

class ScriptedTerminal : public ITerminal {
public:
    void Write(const std::string& text) override { shown += text; }
    bool ReadLine(std::string& line) override {
        if (input.empty()) return false;
        line = input.front();
        input.pop_front();
        if (onRead) onRead(line);
        return true;
    }
    bool InputWaiting() override { return typeAhead && !input.empty(); }
    std::deque<std::string> input;
    std::function<void(const std::string&)> onRead;
    bool typeAhead = false;  // lines are there to read during the work
    std::string shown;
};

using RecordingTerminalHost = test::RecordingHost<TerminalHost>;

class Terminal : public test::RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        settings.LicenseText = "license text";
        PutSourceFiles({{"game.exe", "exe"}});
        PutArchive({Entry("scene.txt", "scene", Dos(2020, 1, 1))});
        programFile = disc / "setup.exe";
        WriteBytes(programFile, "program");
    }
    SetupOutcome Run(std::vector<std::string> arguments) {
        settings.SaveToFile(disc / "install.dat");
        RecordingTerminalHost host(terminal, programFile, false);
        SetupApp app(host, {std::move(arguments), programFile, temp.Path(), ""});
        SetupOutcome outcome = app.Run();
        started = host.started;
        return outcome;
    }
    ScriptedTerminal terminal;
    test::ScratchFolder temp;
    std::string programFile;
    std::vector<std::string> started;
};

TEST_F(Terminal, AnInstallationTypedPageByPage) {
    const std::string folder = target.Path().substr(0, target.Path().size() - 1);
    terminal.input = {"n",  // "next" stays disabled until the licence is accepted
                      "1", "n",            // accept, next
                      "4",                 // a hidden box (no movies): "?"
                      "2", "n",            // the data component
                      "d " + folder, "n",  // the folder
                      "n"};                // install; the input ends on the last page, whose work is done
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrOk) << Utf8(terminal.shown);
    EXPECT_TRUE(Saved().Installed);
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
    EXPECT_EQ(std::count(terminal.shown.begin(), terminal.shown.end(), '?'), 2);  // "next" refused, the hidden box
    EXPECT_NE(terminal.shown.find("c=閉じる(C)"), std::string::npos);        // the mnemonic is the key
    EXPECT_NE(terminal.shown.find("[x] 同意する"), std::string::npos);
    EXPECT_NE(terminal.shown.find("[x] シナリオ・グラフィック"), std::string::npos);
    EXPECT_NE(terminal.shown.find("n=インストール"), std::string::npos);
    EXPECT_NE(terminal.shown.find("[--------------------] 0% ファイルをコピーしています"), std::string::npos);
}

TEST_F(Terminal, PromptsAndTheEndOfInputNeverGoOnUnasked) {
    // Cancelling asks first; "n" keeps the wizard, the end of the input
    // closes it with the safe answers.
    terminal.input = {"a", "n"};
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrCancel);
    EXPECT_NE(terminal.shown.find("インストールを中断しますか？\n[y=はい n=いいえ]"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));

    // The launcher: quit starts nothing; install starts the temporary copy.
    terminal.input = {"s", "q"};
    EXPECT_EQ(Run({}).End, SetupEnd::LauncherClosed);
    EXPECT_TRUE(started.empty());
    terminal.input = {"i"};
    Run({});
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], temp / "~qinstall.exe|\"" + disc.Path() + "\"");
}

// The second disc is asked for with a prompt answered by typing; the
// installed uninstaller then removes the game page by page.
TEST_F(Terminal, ADiscPromptThenTheUninstallation) {
    const std::string folder = target.Path().substr(0, target.Path().size() - 1);
    settings.LicenseText.clear();
    Discs(2);
    terminal.onRead = [&](const std::string& line) {
        if (line != "o") return;  // the second disc goes in before OK
        TQuorInstallSet next = settings;
        next.DiscIndex = 1;
        next.SourceFiles.clear();
        next.SaveToFile(disc / "install.dat");
        PutArchive({Entry("second.txt", "disc two", Dos(2020, 1, 1))});
    };
    terminal.input = {"n", "2", "n", "d " + folder, "n", "n", "o"};  // all discs, data, folder, install, OK
    ASSERT_EQ(Run({disc.Path()}).WizardResult, TModalResult::mrOk) << Utf8(terminal.shown);
    EXPECT_NE(terminal.shown.find("== 情報 ==\nディスク2を入れてからOKをクリックしてください\n[o=OK a=中止]"),
              std::string::npos);
    EXPECT_EQ(DataEntry("second.txt"), "disc two");

    // The uninstaller's temporary copy, started with the folder.
    programFile = temp / "~qinstall.exe";
    WriteBytes(programFile, "program");
    terminal.onRead = nullptr;
    terminal.input = {"n"};  // 実行; the input ends on the last page
    SetupOutcome outcome = Run({target.Path()});
    EXPECT_EQ(outcome.Role, SetupRole::Uninstall);
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrOk) << Utf8(terminal.shown);
    EXPECT_NE(terminal.shown.find("n=実行"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
}

TEST_F(Terminal, AbortTypedDuringTheCopy) {
    const std::string folder = target.Path().substr(0, target.Path().size() - 1);
    terminal.typeAhead = true;
    terminal.input = {"1", "n", "2", "n", "d " + folder, "n", "n", "a", "y"};
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrAbort) << Utf8(terminal.shown);
    EXPECT_NE(terminal.shown.find("インストールを中断しますか？"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
}

}  // namespace
}  // namespace qi
