// qinstall: the setup program. Reads the command line and hands the run to
// the front end it asks for: the unattended one (--silent), the windows on
// Windows or on a Linux desktop, or the terminal (--terminal, or no desktop).
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/platform.h"
#include "ui/console_text.h"
#include "ui/front_ends.h"
#if defined(QI_DESKTOP_FRONT_END)
#include "ui/qt/desktop_front_end.h"
#endif

namespace {

using namespace qi;

// Our own options; any other is a mistake, not something to ignore.
constexpr const char* kOptions[] = {"help",          "silent",         "terminal",         "dir",
                                    "components",    "all-discs",      "accept-license",   "delete-save-data",
                                    "start-game",    "disc-timeout",   "log",              "save-launcher",
                                    "save-backdrop", "screen"};

std::string UnknownOption(const CommandLine& line) {
    for (const auto& [name, value] : line.Options) {
        bool known = false;
        for (const char* option : kOptions) known = known || name == option;
        if (!known) return "unknown option --" + name + " (see --help)";
    }
    return {};
}

void Usage(std::FILE* to) {
    std::fprintf(to,
                 "usage: qinstall [FOLDER | ARCHIVE] [--silent | --terminal] [options]\n"
                 "The game's setup program: launcher, installer, updater and uninstaller. The\n"
                 "settings (install.dat) beside the program, inside it, or in FOLDER or ARCHIVE\n"
                 "choose the role. Without --silent, on a Linux desktop (DISPLAY or\n"
                 "WAYLAND_DISPLAY set) the launcher and the wizard are windows; with --terminal,\n"
                 "or without a desktop, each page is shown on the terminal and answered by\n"
                 "typing the letter or number before a button or check box.\n"
                 "  --terminal            the terminal front end even on a desktop\n\n%s",
                 SilentHelp().c_str());
    std::fprintf(to, "\n%s", PictureHelp().c_str());
#ifdef _WIN32
    std::fprintf(to, "\nOn Windows the pages are windows unless --silent or --terminal is given.\n");
#endif
}

std::vector<std::string> CommandLineWords(int argc, char** argv) {
    std::vector<std::string> words;
    if (auto raw = platform::RawCommandLine()) {
        words = SplitCommandLine(*raw);
        if (!words.empty()) words.erase(words.begin());
    } else {
        for (int i = 1; i < argc; ++i) words.push_back(argv[i]);
    }
    return words;
}

// The start of the run: the arguments in the core's code page, the program
// file, and our own options handed on to a temporary copy (the install
// folder as a Windows path, which every build reads). False after a
// message when an argument cannot be read.
bool ReadStart(CommandLine& line, SetupStart& start) {
    try {
        for (const auto& argument : line.Arguments) start.Arguments.push_back(CoreText(argument));
        if (line.Has("dir")) line.Options["dir"] = CoreText(line.Option("dir"));
        start.ProgramFile = platform::ModuleFileName();
        start.TempFolder = platform::TempFolder();
    } catch (const Error& e) {
        std::fprintf(stderr, "qinstall: %s\n", ShownText(e.what()).c_str());
        return false;
    }
    std::vector<std::string> passOn;
    for (const auto& text : line.OptionTexts) {
        passOn.push_back(text.compare(0, 6, "--dir=") == 0 ? "--dir=" + ShownText(line.Option("dir")) : text);
    }
    start.PassOn = JoinOptions(passOn);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    AttachParentConsole();
#endif
    platform::ShowUtf8OnConsole();
    platform::RunPendingDeletions();
    CommandLine line;
    try {
        line = ParseCommandLine(CommandLineWords(argc, argv));
    } catch (const Error& e) {  // an argument the game's code page cannot hold
        std::fprintf(stderr, "qinstall: %s\n", e.what());
        return ecUsage;
    }
    if (line.Has("help")) {
        Usage(stdout);
        return ecDone;
    }
    SetupStart start;
    std::string problem = UnknownOption(line);
    if (problem.empty() && !ReadStart(line, start)) return ecUsage;
    SilentOptions options;
    PictureRequest pictures;
    if (problem.empty()) problem = ReadSilentOptions(line, options);
    if (problem.empty()) problem = ReadPictureOptions(line, pictures);
    if (!problem.empty()) {
        std::fprintf(stderr, "qinstall: %s\n", problem.c_str());
        return ecUsage;
    }
    if (line.Has("silent")) return RunSilentFrontEnd(start, options, pictures);
#if defined(_WIN32)
    // On Windows the windows, unless the terminal is asked for.
    if (!line.Has("terminal")) return RunWindowsFrontEnd(start, pictures);
#elif defined(QI_DESKTOP_FRONT_END)
    if (!line.Has("terminal") && platform::DesktopAvailable()) return RunDesktopFrontEnd(start, pictures);
#endif
    return RunTerminalFrontEnd(start, pictures);
}
