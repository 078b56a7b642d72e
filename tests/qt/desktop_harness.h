#pragma once
// A small game's disc and the desktop front end's host, for whole runs of
// the entry sequence through the real windows.
#include <memory>
#include <string>
#include <vector>

#include "app/setup_app.h"
#include "qt/window_robot.h"
#include "wizard/run_harness.h"

namespace qi::test {

// A model text (code page 932) from UTF-8.
inline std::string Core(const char* utf8) { return platform::Cp932FromUtf8(utf8); }

class DesktopRun : public RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        programFile = disc / "setup.exe";
        WriteBytes(programFile, "program");
        host = std::make_unique<TestQtHost>(programFile);
    }
    SetupOutcome Run(std::vector<std::string> arguments) {
        settings.SaveToFile(disc / "install.dat");
        SetupApp app(*host, {std::move(arguments), programFile, temp.Path(), ""});
        SetupOutcome outcome = app.Run();
        EXPECT_TRUE(robot.Done()) << "steps left undone";
        return outcome;
    }
    // The install folder as the user types it: the Linux path.
    std::string TypedFolder() const { return platform::NativePath(target.Path().substr(0, target.Path().size() - 1)); }

    ScratchFolder temp;
    std::string programFile;
    std::unique_ptr<TestQtHost> host;
    Robot robot;
};

}  // namespace qi::test
