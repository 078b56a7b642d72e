#include "ui/exit_code.h"

namespace qi {

ExitCode ExitCodeOf(const SetupOutcome& outcome, bool failed, bool needsHuman) {
    switch (outcome.End) {
        case SetupEnd::InstallFolderBusy:
        case SetupEnd::AlreadyRunning: return ecNeedsHuman;
        case SetupEnd::LauncherClosed: return ecCancelled;
        case SetupEnd::Finished: break;
        default: return ecError;
    }
    if (failed) return ecError;
    if (needsHuman) return ecNeedsHuman;
    if (!outcome.LaunchFile.empty()) return outcome.StartResult > 32 ? ecDone : ecError;
    const bool stopped =
        outcome.WizardResult == TModalResult::mrCancel || outcome.WizardResult == TModalResult::mrAbort;
    return stopped ? ecCancelled : ecDone;
}

std::string EndReasonText(SetupEnd end) {
    switch (end) {
        case SetupEnd::InstallFolderBusy: return "a program of the install folder (the game) is running";
        case SetupEnd::AlreadyRunning: return "another setup of this game is running";
        case SetupEnd::LauncherClosed: return "the launcher was closed";
        default: return {};
    }
}

}  // namespace qi
