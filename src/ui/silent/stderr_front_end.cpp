// The unattended front end reporting on stderr: notes as lines, progress as
// a bar that rewrites its line on a terminal and as a line every ten
// percent or new step elsewhere; a log file gets the notes too.
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "ui/console_text.h"
#include "ui/front_ends.h"
#include "ui/handing_over.h"
#include "ui/progress_text.h"

namespace qi {

namespace {

// A label without its digits: "(10/1000)" and "(20/1000)" mark one step,
// which a line every ten entries would repeat a hundred thousand times.
std::string WithoutCounts(std::string label) {
    std::erase_if(label, [](char c) { return c >= '0' && c <= '9'; });
    return label;
}

class StderrReport : public ISilentReport {
public:
    explicit StderrReport(std::FILE* log) : log_(log), terminal_(platform::StderrIsTerminal()) {}
    ~StderrReport() override { EndBar(); }

    void Note(const std::string& text) override {
        EndBar();
        Line(TerminalText(text));
    }
    void Progress(const std::string& label, int64_t position, int64_t max) override {
        const int percent = ProgressPercent(position, max);
        const std::string shown = TerminalText(label);
        if (terminal_) {
            std::fprintf(stderr, "\r%s %-60.60s", ProgressBarText(position, max).c_str(), shown.c_str());
            std::fflush(stderr);
            barShown_ = true;
            if (log_ && WithoutCounts(shown) != WithoutCounts(lastLabel_)) std::fprintf(log_, "%s\n", shown.c_str());
        } else if (WithoutCounts(shown) != WithoutCounts(lastLabel_) || percent / 10 != lastPercent_ / 10) {
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

}  // namespace

int RunSilentFrontEnd(const SetupStart& start, const SilentOptions& options, const PictureRequest& pictures) {
    std::FILE* log = nullptr;
    if (!options.LogFile.empty()) {
        log = std::fopen(options.LogFile.c_str(), "a");
        if (!log) {
            std::fprintf(stderr, "qinstall: cannot write the log %s\n", options.LogFile.c_str());
            return ecUsage;
        }
    }
    ExitCode code;
    {
        StderrReport report(log);
        HandingOver<SilentHost> host(options, report);
        PictureHost picturing(host, pictures, start.ProgramFile, SavePictureAsPng);
        SetupApp app(picturing, start);
        SetupOutcome outcome = app.Run();
        std::string why = EndReasonText(outcome.End);
        if (!why.empty()) report.Note(why);
        if (!outcome.LaunchFile.empty() && outcome.StartResult > 32) report.Note("started " + outcome.LaunchFile);
        code = host.ExitCodeFor(outcome);
        report.Note("exit " + std::to_string(code));
    }
    if (log) std::fclose(log);
    return code;
}

}  // namespace qi
