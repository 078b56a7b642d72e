#include "ui/exit_code.h"

namespace qi {

ExitCode ExitCodeOf(const TSetupOutcome& outcome, bool failed, bool needsHuman) {
    switch (outcome.End) {
        case TSetupEnd::InstallFolderBusy:
        case TSetupEnd::AlreadyRunning: return ecNeedsHuman;
        case TSetupEnd::LauncherClosed: return ecCancelled;
        case TSetupEnd::Finished: break;
        default: return ecError;
    }
    if (failed) return ecError;
    if (needsHuman) return ecNeedsHuman;
    if (!outcome.LaunchFile.empty()) return outcome.StartResult > 32 ? ecDone : ecError;
    const bool stopped =
        outcome.WizardResult == TModalResult::mrCancel || outcome.WizardResult == TModalResult::mrAbort;
    return stopped ? ecCancelled : ecDone;
}

std::string EndReasonText(TSetupEnd end) {
    switch (end) {
        case TSetupEnd::InstallFolderBusy: return "a program of the install folder (the game) is running";
        case TSetupEnd::AlreadyRunning: return "another setup of this game is running";
        case TSetupEnd::LauncherClosed: return "the launcher was closed";
        default: return {};
    }
}

}  // namespace qi
