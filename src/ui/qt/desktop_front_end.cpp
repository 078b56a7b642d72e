// The desktop front end on the program's own display.
#include "ui/qt/desktop_front_end.h"

#include <QApplication>
#include <clocale>

#include "ui/front_ends.h"
#include "ui/handing_over.h"
#include "ui/qt/qt_host.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer build: what the desktop's own libraries keep until the end
// is no leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\nleak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace qi {

int RunDesktopFrontEnd(const SetupStart& start, const PictureRequest& pictures) {
    int argc = 1;
    char name[] = "qinstall";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    // The windows run their own loops; none of them ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt takes the user's locale; the models format numbers the C way.
    std::setlocale(LC_NUMERIC, "C");
    // The windows save their own pictures, texts included.
    HandingOver<QtHost> host(start.ProgramFile, true, pictures);
    return RunWithHost(host, start, PictureRequest{});
}

}  // namespace qi
