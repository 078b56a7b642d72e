#pragma once
// The setup program's front ends as the program runs them: each runs
// the whole entry sequence and returns the exit code.
#include <string>

#include "app/setup_app.h"
#include "ui/pictures/picture_host.h"
#include "ui/silent/silent_host.h"

namespace qi {

// Prints why a run ended before its role began, if it did.
void ReportEndReason(SetupEnd end);

// Runs the entry sequence through an interactive front end's host (pictures
// saved as asked); why the run ended early goes to stderr. The exit code.
template <typename Host>
int RunWithHost(Host& host, const SetupStart& start, const PictureRequest& pictures) {
    PictureHost picturing(host, pictures, start.ProgramFile, SavePictureAsPng);
    SetupApp app(picturing, start);
    const SetupOutcome outcome = app.Run();
    ReportEndReason(outcome.End);
    return host.ExitCodeFor(outcome);
}

// Each page and the launcher on the terminal, answered by typing.
int RunTerminalFrontEnd(const SetupStart& start, const PictureRequest& pictures);
// No questions asked; notes and progress on stderr and in the log file
// the options name.
int RunSilentFrontEnd(const SetupStart& start, const SilentOptions& options, const PictureRequest& pictures);
#ifdef _WIN32
// The launcher, the backdrop, the wizard and the message boxes as windows.
int RunWindowsFrontEnd(const SetupStart& start, const PictureRequest& pictures);
// Console output (help, the unattended front end's notes) goes to the
// console the program was started from, when it has no output of its own.
void AttachParentConsole();
#endif

}  // namespace qi
