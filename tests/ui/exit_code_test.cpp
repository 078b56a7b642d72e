#include <gtest/gtest.h>

#include "ui/exit_code.h"

namespace qi {
namespace {

// Both front ends end a run by the same rules.
TEST(ExitCodes, EveryWayARunEnds) {
    using R = TModalResult;
    struct Case {
        TSetupEnd end;
        R wizard;
        const char* launched;
        int startResult;
        bool failed, needsHuman;
        ExitCode expected;
    };
    const Case cases[] = {
        {TSetupEnd::Finished, R::mrOk, "", 0, false, false, ecDone},
        {TSetupEnd::Finished, R::mrNone, "", 0, false, false, ecDone},  // a launcher that started nothing itself
        {TSetupEnd::Finished, R::mrCancel, "", 0, false, false, ecCancelled},
        {TSetupEnd::Finished, R::mrAbort, "", 0, false, false, ecCancelled},
        {TSetupEnd::Finished, R::mrAbort, "", 0, true, false, ecError},  // an error box stopped the work
        {TSetupEnd::Finished, R::mrAbort, "", 0, false, true, ecNeedsHuman},
        {TSetupEnd::Finished, R::mrNone, "game.exe", 42, false, false, ecDone},
        {TSetupEnd::Finished, R::mrNone, "game.exe", 2, false, false, ecError},  // the shell could not start it
        {TSetupEnd::InstallFolderBusy, R::mrNone, "", 0, false, false, ecNeedsHuman},
        {TSetupEnd::AlreadyRunning, R::mrNone, "", 0, false, false, ecNeedsHuman},
        {TSetupEnd::LauncherClosed, R::mrNone, "", 0, false, false, ecCancelled},
        {TSetupEnd::NoSettings, R::mrNone, "", 0, false, false, ecError},
        {TSetupEnd::Failed, R::mrNone, "", 0, true, false, ecError},
    };
    for (const Case& c : cases) {
        TSetupOutcome outcome;
        outcome.End = c.end;
        outcome.WizardResult = c.wizard;
        outcome.LaunchFile = c.launched;
        outcome.StartResult = c.startResult;
        EXPECT_EQ(ExitCodeOf(outcome, c.failed, c.needsHuman), c.expected)
            << "end " << static_cast<int>(c.end) << ", wizard " << static_cast<int>(c.wizard) << ", launched '"
            << c.launched << "'";
    }
}

}  // namespace
}  // namespace qi
