#include <gtest/gtest.h>

#include "ui/exit_code.h"

namespace qi {
namespace {

// Both front ends end a run by the same rules.
TEST(ExitCodes, EveryWayARunEnds) {
    using R = TModalResult;
    struct Case {
        SetupEnd end;
        R wizard;
        const char* launched;
        int startResult;
        bool failed, needsHuman;
        ExitCode expected;
    };
    const Case cases[] = {
        {SetupEnd::Finished, R::mrOk, "", 0, false, false, ecDone},
        {SetupEnd::Finished, R::mrNone, "", 0, false, false, ecDone},  // a launcher that started nothing itself
        {SetupEnd::Finished, R::mrCancel, "", 0, false, false, ecCancelled},
        {SetupEnd::Finished, R::mrAbort, "", 0, false, false, ecCancelled},
        {SetupEnd::Finished, R::mrAbort, "", 0, true, false, ecError},  // an error box stopped the work
        {SetupEnd::Finished, R::mrAbort, "", 0, false, true, ecNeedsHuman},
        {SetupEnd::Finished, R::mrNone, "game.exe", 42, false, false, ecDone},
        {SetupEnd::Finished, R::mrNone, "game.exe", 2, false, false, ecError},  // the shell could not start it
        {SetupEnd::InstallFolderBusy, R::mrNone, "", 0, false, false, ecNeedsHuman},
        {SetupEnd::AlreadyRunning, R::mrNone, "", 0, false, false, ecNeedsHuman},
        {SetupEnd::LauncherClosed, R::mrNone, "", 0, false, false, ecCancelled},
        {SetupEnd::NoSettings, R::mrNone, "", 0, false, false, ecError},
        {SetupEnd::Failed, R::mrNone, "", 0, true, false, ecError},
    };
    for (const Case& c : cases) {
        SetupOutcome outcome;
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
