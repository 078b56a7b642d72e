#pragma once
// The interactive terminal front end: each wizard page and the launcher
// shown as text (caption, texts, the controls and their state), the buttons
// pressed and the check boxes toggled by typing, message boxes as prompts,
// and a progress bar during the long runs. A view of the same models the
// windows drive; it decides nothing itself.
#include <cstdint>
#include <deque>
#include <string>

#include "app/setup_app.h"
#include "ui/own_host.h"
#include "ui/exit_code.h"

namespace qi {

// Lines in and out, in code page 932; the program converts at its edge.
class ITerminal {
public:
    virtual ~ITerminal() = default;
    virtual void Write(const std::string& text) = 0;
    // One line without its line break; false at the end of the input.
    virtual bool ReadLine(std::string& line) = 0;
    // Rewrites the current line (a progress bar); plain terminals may print
    // a new line instead.
    virtual void Status(const std::string& text) { Write(text + "\n"); }
    // Whether a line can be read without waiting (or the input has ended).
    virtual bool InputWaiting() { return false; }
};

class TerminalHost : public OwnHost {
public:
    TerminalHost(ITerminal& terminal, std::string programFile, bool realPauses = true);

    TModalResult RunWizard(TFormType& form, TVrFileCollection* archive) override;
    LauncherChoice ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) override;
    void ShowError(const std::string& message) override;

    TModalResult MessageDlg(BoxReason reason, const std::string& text) override;
    void ProcessMessages() override;
    void Wait(unsigned milliseconds) override;

    // The exit code of a finished run.
    ExitCode ExitCodeFor(const SetupOutcome& outcome) const { return ExitCodeOf(outcome, failed_, false); }

private:
    void ShowPage(const TFormType& form);
    // Acts on a typed answer; false when it means nothing on this page.
    bool Answer(TFormType& form, const std::string& answer);
    // Reads a command (a line typed during the work first); false when the
    // input ended.
    bool Ask(std::string& answer);
    bool ReadAnswer(std::string& answer);
    // During the work of the copy and delete pages: a line typed meanwhile
    // presses the abort button when it is the button's key, and is kept
    // for the next question otherwise.
    void PollInput();

    ITerminal& terminal_;
    std::string programFile_;
    bool realPauses_;
    bool failed_ = false;
    bool inputEnded_ = false;
    TFormType* form_ = nullptr;
    std::string lastStatus_;
    std::deque<std::string> typedAhead_;
};

}  // namespace qi
