#pragma once
// The unattended front end: runs the role the settings and arguments choose
// with no questions asked. Every page takes its default or the value an
// option gives; message boxes are answered as a careful user would (go on
// only where nothing is at risk) and noted; the run ends with an exit code
// that tells done, error, cancelled or "a person is needed".
#include <cstdint>
#include <string>

#include "app/command_line.h"
#include "app/setup_app.h"
#include "ui/own_host.h"
#include "ui/exit_code.h"

namespace qi {

struct SilentOptions {
    std::string Dir;  // Windows path; empty: the wizard's proposal
    bool ChooseComponents = false;
    bool Data = false, Sound = false, Movie = false;
    bool AllDiscs = false;
    bool AcceptLicense = false;
    bool DeleteSaveData = false;
    bool StartGame = false;  // the launcher's choice: start the game, not install
    int DiscTimeoutSeconds = 0;
    std::string LogFile;  // empty: no log
};

// Reads the unattended options from the command line (--dir must already
// be a Windows path). An empty result, or the text of what is wrong.
std::string ReadSilentOptions(const CommandLine& line, SilentOptions& options);

// Where the unattended run reports: notes (code page 932) and the progress
// of the long runs.
class ISilentReport {
public:
    virtual ~ISilentReport() = default;
    virtual void Note(const std::string& text) = 0;
    virtual void Progress(const std::string& label, int64_t position, int64_t max) = 0;
};

class SilentHost : public OwnHost {
public:
    SilentHost(const SilentOptions& options, ISilentReport& report);

    TModalResult RunWizard(TFormType& form, TVrFileCollection* archive) override;
    LauncherChoice ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) override;
    void ShowError(const std::string& message) override;
    bool InstallInPlace() const override { return true; }

    // The exit code of a finished run.
    ExitCode ExitCodeFor(const SetupOutcome& outcome) const { return ExitCodeOf(outcome, failed_, needsHuman_); }

    // ---- The answers ----
    TModalResult MessageDlg(BoxReason reason, const std::string& text) override;
    void ProcessMessages() override;
    void OpenShortcutFolder(TShellLinkType, const std::string&) override {}
    void OpenDocument(const std::string&, const std::string&) override {}
    // The pauses are for a person watching; nobody is.
    void Wait(unsigned) override {}

protected:
    // The pause between two looks for the next disc.
    virtual void PauseForDisc(unsigned milliseconds);

private:
    void Stop(bool needsHuman, const std::string& why);
    void FillPage(TFormType& form);

    SilentOptions options_;
    ISilentReport& report_;
    TFormType* form_ = nullptr;
    bool failed_ = false;
    bool needsHuman_ = false;
    bool stopping_ = false;
    std::string discPrompt_;
    int discWaited_ = 0;
    std::string lastLabel_;
};

// The help text of the unattended front end (UTF-8, ASCII only).
std::string SilentHelp();

}  // namespace qi
