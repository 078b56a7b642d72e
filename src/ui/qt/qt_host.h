#pragma once
// The desktop front end: the launcher, the backdrop with the wizard and the
// message boxes as Qt windows over the same form models the other front
// ends show. Pending messages are Qt's pending events, so the abort button
// works while the copy and delete pages do their work.
#include <QWidget>
#include <string>

#include "app/setup_app.h"
#include "ui/own_host.h"
#include "ui/pictures/picture_host.h"
#include "ui/exit_code.h"

namespace qi {

class WizardWindow;

class QtHost : public OwnHost {
public:
    // realPauses: whether the fixed pauses wait (tests leave them out);
    // pictures: the launcher and the backdrop saved as they are shown.
    explicit QtHost(std::string programFile, bool realPauses = true, PictureRequest pictures = {});

    TModalResult RunWizard(TFormType& form, TVrFileCollection* archive) override;
    LauncherChoice ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) override;
    void ShowError(const std::string& message) override;

    TModalResult MessageDlg(BoxReason reason, const std::string& text) override;
    void ProcessMessages() override;
    void BringToFront() override;
    // The pause keeps the windows painted; clicks wait until it is over.
    void Wait(unsigned milliseconds) override;

    // The exit code of a finished run.
    ExitCode ExitCodeFor(const SetupOutcome& outcome) const { return ExitCodeOf(outcome, failed_, false); }

private:
    std::string programFile_;
    bool realPauses_;
    PictureRequest pictures_;
    bool failed_ = false;
    QWidget* window_ = nullptr;  // the window message boxes belong to
    WizardWindow* wizard_ = nullptr;
};

}  // namespace qi
