// The terminal front end on the program's own standard input and output.
#include <cstdio>


#include "platform/platform.h"

#include "ui/console_text.h"
#include "ui/front_ends.h"
#include "ui/handing_over.h"
#include "ui/terminal/terminal_host.h"

namespace qi {

namespace {

// The terminal in the core's code page; a folder typed as a Linux path
// ("d /home/me/games") stands for the Windows path it maps to.
class ConsoleTerminal : public ITerminal {
public:
    void Write(const std::string& text) override {
        std::fputs(TerminalText(text).c_str(), stdout);
        std::fflush(stdout);
    }
    // Unbuffered: what this program does not read stays for the temporary
    // copy it hands over to.
    bool ReadLine(std::string& line) override {
        std::string raw;
        if (!platform::ReadInputLine(raw)) return false;
        try {
            if (raw.size() > 2 && raw.compare(0, 2, "d ") == 0) {
                line = "d " + CoreText(raw.substr(2));
            } else {
                line = CoreText(raw);
            }
        } catch (const Error&) {
            line = "?";
        }
        return true;
    }
    bool InputWaiting() override { return platform::InputWaiting(); }
};

}  // namespace

int RunTerminalFrontEnd(const SetupStart& start, const PictureRequest& pictures) {
    ConsoleTerminal terminal;
    HandingOver<TerminalHost> host(terminal, start.ProgramFile);
    return RunWithHost(host, start, pictures);
}

}  // namespace qi
