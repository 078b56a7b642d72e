#pragma once
// The setup program's windows on a Linux desktop, as the program runs them.
#include "app/setup_app.h"
#include "ui/pictures/picture_host.h"

namespace qi {

// Runs the whole entry sequence with the windows and returns the exit code.
int RunDesktopFrontEnd(const SetupStart& start, const PictureRequest& pictures);

}  // namespace qi
