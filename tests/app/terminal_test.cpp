#include <gtest/gtest.h>

#include <deque>

#include "app/terminal.h"
#include "base/path_helpers.h"
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
        return true;
    }
    std::deque<std::string> input;
    std::string shown;
};

class RecordingTerminalHost : public TTerminalHost {
public:
    using TTerminalHost::TTerminalHost;
    int StartProgram(const std::string& file, const std::string& arguments) override {
        started.push_back(file + "|" + arguments);
        return 42;
    }
    // No file manager or document program is opened from a test.
    void OpenShortcutFolder(TShellLinkType, const std::string&) override {}
    void OpenDocument(const std::string&, const std::string&) override {}
    std::vector<std::string> started;
};

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
    TSetupOutcome Run(std::vector<std::string> arguments) {
        settings.SaveToFile(disc / "install.dat");
        RecordingTerminalHost host(terminal, programFile, false);
        TSetupApp app(host, {std::move(arguments), programFile, temp.Path(), ""});
        TSetupOutcome outcome = app.Run();
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
                      "2", "n",            // the data component
                      "d " + folder, "n",  // the folder
                      "n"};                // install; the input ends on the last page, whose work is done
    TSetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrOk) << Utf8(terminal.shown);
    EXPECT_TRUE(Saved().Installed);
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
    EXPECT_NE(terminal.shown.find("?\n"), std::string::npos);  // the refused "next"
    EXPECT_NE(terminal.shown.find("[x] 同意する"), std::string::npos);
    EXPECT_NE(terminal.shown.find("[x] シナリオ・グラフィック"), std::string::npos);
    EXPECT_NE(terminal.shown.find("n=インストール"), std::string::npos);
    EXPECT_NE(terminal.shown.find("[--------------------] 0% ファイルをコピーしています"), std::string::npos);
}

TEST_F(Terminal, PromptsAndTheEndOfInputNeverGoOnUnasked) {
    // Cancelling asks first; "n" keeps the wizard, the end of the input
    // closes it with the safe answers.
    terminal.input = {"a", "n"};
    TSetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrCancel);
    EXPECT_NE(terminal.shown.find("インストールを中断しますか？\n[y=はい n=いいえ]"), std::string::npos);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));

    // The launcher: quit starts nothing; install starts the temporary copy.
    terminal.input = {"s", "q"};
    EXPECT_EQ(Run({}).End, TSetupEnd::LauncherClosed);
    EXPECT_TRUE(started.empty());
    terminal.input = {"i"};
    Run({});
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], temp / "~qinstall.exe|\"" + disc.Path() + "\"");
}

}  // namespace
}  // namespace qi
