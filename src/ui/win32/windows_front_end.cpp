// The windows front end of the setup program.
#include <windows.h>

#include <cstdio>

#include "ui/front_ends.h"
#include "ui/win32/win32_host.h"

namespace qi {

int RunWindowsFrontEnd(const SetupStart& start, const PictureRequest& pictures) {
    // The windows save their own pictures, as the screen shows them.
    win32::Win32Host host(start.ProgramFile, pictures);
    return RunWithHost(host, start, PictureRequest{});
}

void AttachParentConsole() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output && output != INVALID_HANDLE_VALUE) return;  // output already goes somewhere
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
    std::freopen("CONIN$", "r", stdin);
}

}  // namespace qi
