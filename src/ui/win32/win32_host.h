#pragma once
// The setup program's windows: the launcher, the backdrop with the wizard
// on it, message boxes and the error box, all over the form models. The
// pending-message delivery the long work asks for is a real message loop,
// and its pauses keep delivering, so Abort can be pressed during the work.
// The launcher and the backdrop are saved as pictures, as the screen shows
// them, when the request names files for them.
#include <windows.h>

#include <string>

#include "app/setup_app.h"
#include "ui/exit_code.h"
#include "ui/own_host.h"
#include "ui/pictures/picture_host.h"

namespace qi::win32 {

class WizardWindow;

class Win32Host : public OwnHost {
public:
    explicit Win32Host(std::string programFile, PictureRequest pictures = {});

    TModalResult RunWizard(TFormType& form, TVrFileCollection* archive) override;
    LauncherChoice ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) override;
    void ShowError(const std::string& message) override;

    TModalResult MessageDlg(BoxReason reason, const std::string& text) override;
    void ProcessMessages() override;
    void BringToFront() override;
    void Wait(unsigned milliseconds) override;

    ExitCode ExitCodeFor(const SetupOutcome& outcome) const { return ExitCodeOf(outcome, failed_, false); }

private:
    // A shown window's client area into file, once it is on the screen;
    // nothing when file is empty.
    void SavePicture(HWND window, const std::string& file);

    std::string programFile_;
    PictureRequest pictures_;
    // The application's title: the caption of the error box.
    std::string title_ = "qinstall";
    HWND front_ = nullptr;
    WizardWindow* wizard_ = nullptr;  // while the wizard is shown
    bool failed_ = false;
};

}  // namespace qi::win32
