#pragma once
// The setup program's exit code, the same rules for every front end.
#include <string>

#include "app/setup_app.h"

namespace qi {

enum ExitCode : int {
    ecDone = 0,
    ecError = 1,
    ecUsage = 2,
    ecCancelled = 3,
    ecNeedsHuman = 4,
};

// The exit code of a finished run. failed: the front end showed an error or
// a warning that stopped the work; needsHuman: the run stopped where only a
// person could go on (a licence to accept, a disc to insert).
ExitCode ExitCodeOf(const SetupOutcome& outcome, bool failed, bool needsHuman);

// Why a run ended before its role began, in a line (ASCII); empty for the
// ends the run itself reported.
std::string EndReasonText(SetupEnd end);

}  // namespace qi
