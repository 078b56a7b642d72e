// qinstall: the setup program, with the interactive terminal front end or
// the unattended one (--silent); every decision lies in src/app and the
// wizard model.
#include <iostream>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/setup_app.h"
#include "app/silent.h"
#include "app/terminal.h"
#include "app/window_pictures.h"
#include "image/png.h"
#include "platform/platform.h"

namespace {

using namespace qi;

// Command-line text in the core's code page: on Linux arguments arrive in
// UTF-8, and an absolute Linux path stands for the Windows path it maps to.
std::string CoreText(const std::string& word) {
#if defined(_WIN32)
    return word;
#else
    if (!word.empty() && word[0] == '/') return platform::FromNativePath(word);
    return platform::Cp932FromUtf8(word);
#endif
}

std::string ShownText(const std::string& text) {
#if defined(_WIN32)
    return text;
#else
    try {
        return platform::Utf8FromCp932(text);
    } catch (const Error&) {
        return text;
    }
#endif
}

class Report : public ISilentReport {
public:
    explicit Report(std::FILE* log) : log_(log), terminal_(platform::StderrIsTerminal()) {}
    ~Report() override { EndBar(); }

    void Note(const std::string& text) override {
        EndBar();
        Line(ShownText(text));
    }
    void Progress(const std::string& label, int64_t position, int64_t max) override {
        int percent = max > 0 ? static_cast<int>(position * 100 / max) : 0;
        if (percent < 0) percent = 0;
        if (percent > 100) percent = 100;
        std::string shown = ShownText(label);
        if (terminal_) {
            std::string bar(static_cast<size_t>(percent / 5), '#');
            bar.resize(20, '-');
            std::fprintf(stderr, "\r[%s] %3d%% %-60.60s", bar.c_str(), percent, shown.c_str());
            std::fflush(stderr);
            barShown_ = true;
            if (log_ && shown != lastLabel_) std::fprintf(log_, "%s\n", shown.c_str());
        } else if (shown != lastLabel_ || percent / 10 != lastPercent_ / 10) {
            Line(std::to_string(percent) + "% " + shown);
        }
        lastLabel_ = shown;
        lastPercent_ = percent;
    }

private:
    void Line(const std::string& text) {
        std::fprintf(stderr, "%s\n", text.c_str());
        if (log_) {
            std::fprintf(log_, "%s\n", text.c_str());
            std::fflush(log_);
        }
    }
    void EndBar() {
        if (barShown_) std::fprintf(stderr, "\n");
        barShown_ = false;
    }
    std::FILE* log_;
    bool terminal_;
    bool barShown_ = false;
    std::string lastLabel_;
    int lastPercent_ = -1;
};

// The terminal in the core's code page; a folder typed as a Linux path
// ("d /home/me/games") stands for the Windows path it maps to.
class ConsoleTerminal : public ITerminal {
public:
    void Write(const std::string& text) override {
        std::fputs(ShownText(text).c_str(), stdout);
        std::fflush(stdout);
    }
    bool ReadLine(std::string& line) override {
        std::string raw;
        if (!std::getline(std::cin, raw)) return false;
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
};

// The temporary copy takes this program's place (on Linux the same process:
// the terminal, whoever waits for the program and its exit status pass to
// the copy, and the disc or install folder is let go).
template <typename Host>
class HandingOver : public Host {
public:
    using Host::Host;
    int StartTemporaryCopy(const std::string& file, const std::string& arguments) override {
        return platform::ReplaceProgram(file, arguments);
    }
};

std::string EndText(TSetupEnd end) {
    switch (end) {
        case TSetupEnd::InstallFolderBusy: return "a program of the install folder (the game) is running";
        case TSetupEnd::AlreadyRunning: return "another setup of this game is running";
        case TSetupEnd::LauncherClosed: return "the launcher was closed";
        default: return {};
    }
}

void Usage(std::FILE* to) {
    std::fprintf(to,
                 "usage: qinstall [FOLDER | ARCHIVE] [--silent] [options]\n"
                 "The game's setup program: launcher, installer, updater and uninstaller. The\n"
                 "settings (install.dat) beside the program, inside it, or in FOLDER or ARCHIVE\n"
                 "choose the role. Without --silent each page is shown on the terminal and\n"
                 "answered by typing the letter or number before a button or check box.\n\n%s",
                 SilentHelp().c_str());
    std::fprintf(to, "\n%s", PictureHelp().c_str());
}

// Writes a window's picture as PNG; a picture that cannot be written is
// reported and the run goes on.
void SavePicture(const std::string& file, const TDIBSurface& picture, const std::string& problem) {
    if (!problem.empty()) std::fprintf(stderr, "qinstall: the title image: %s\n", ShownText(problem).c_str());
    std::string bytes;
    try {
        bytes = EncodePng(RgbaFromSurface(picture));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qinstall: %s: %s\n", file.c_str(), e.what());
        return;
    }
    std::FILE* out = std::fopen(file.c_str(), "wb");
    bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out && std::fclose(out) != 0) written = false;
    if (!written) std::fprintf(stderr, "qinstall: cannot write the picture %s\n", file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    platform::RunPendingDeletions();
    std::vector<std::string> words;
    if (auto raw = platform::RawCommandLine()) {
        words = SplitCommandLine(*raw);
        if (!words.empty()) words.erase(words.begin());
    } else {
        for (int i = 1; i < argc; ++i) words.push_back(argv[i]);
    }
    TCommandLine line = ParseCommandLine(words);
    if (line.Has("help")) {
        Usage(stdout);
        return ecDone;
    }

    TSetupStart start;
    try {
        for (const auto& argument : line.Arguments) start.Arguments.push_back(CoreText(argument));
        if (line.Has("dir")) line.Options["dir"] = CoreText(line.Option("dir"));
        start.ProgramFile = platform::ModuleFileName();
        start.TempFolder = platform::TempFolder();
    } catch (const Error& e) {
        std::fprintf(stderr, "qinstall: %s\n", ShownText(e.what()).c_str());
        return ecUsage;
    }
    // A temporary copy gets our options again; the install folder travels
    // as a Windows path, which every build reads.
    std::vector<std::string> passOn;
    for (const auto& text : line.OptionTexts) {
        if (text.compare(0, 6, "--dir=") == 0) {
            passOn.push_back("--dir=" + ShownText(line.Option("dir")));
        } else {
            passOn.push_back(text);
        }
    }
    start.PassOn = JoinOptions(passOn);

    TSilentOptions options;
    TPictureRequest pictures;
    std::string problem = ReadSilentOptions(line, options);
    if (problem.empty()) problem = ReadPictureOptions(line, pictures);
    if (!problem.empty()) {
        std::fprintf(stderr, "qinstall: %s\n", problem.c_str());
        return ecUsage;
    }
    if (!line.Has("silent")) {
        ConsoleTerminal terminal;
        HandingOver<TTerminalHost> host(terminal, start.ProgramFile);
        TPictureHost picturing(host, pictures, start.ProgramFile, SavePicture);
        TSetupApp app(picturing, start);
        TSetupOutcome outcome = app.Run();
        std::string why = EndText(outcome.End);
        if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
        if (host.Failed() || outcome.End == TSetupEnd::Failed) return ecError;
        if (outcome.End == TSetupEnd::InstallFolderBusy || outcome.End == TSetupEnd::AlreadyRunning) return ecNeedsHuman;
        if (outcome.End != TSetupEnd::Finished) return outcome.End == TSetupEnd::LauncherClosed ? ecCancelled : ecError;
        if (!outcome.LaunchFile.empty()) return outcome.StartResult > 32 ? ecDone : ecError;
        return outcome.WizardResult == TModalResult::mrCancel || outcome.WizardResult == TModalResult::mrAbort
                   ? ecCancelled
                   : ecDone;
    }

    std::FILE* log = nullptr;
    if (line.Has("log")) {
        log = std::fopen(line.Option("log").c_str(), "a");
        if (!log) {
            std::fprintf(stderr, "qinstall: cannot write the log %s\n", line.Option("log").c_str());
            return ecUsage;
        }
    }
    int code;
    {
        Report report(log);
        HandingOver<TSilentHost> host(options, report);
        TPictureHost picturing(host, pictures, start.ProgramFile, SavePicture);
        TSetupApp app(picturing, start);
        TSetupOutcome outcome = app.Run();
        std::string why = EndText(outcome.End);
        if (!why.empty()) report.Note(why);
        if (!outcome.LaunchFile.empty() && outcome.StartResult > 32) report.Note("started " + outcome.LaunchFile);
        code = host.ExitCode(outcome);
        report.Note("exit " + std::to_string(code));
    }
    if (log) std::fclose(log);
    return code;
}
