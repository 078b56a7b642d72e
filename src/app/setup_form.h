#pragma once
// The wizard as the setup program runs it. On Linux an installed game's
// uninstaller is this Linux program itself: when the copy page starts (while
// the first disc is still in the drive) the program part of the program
// file is taken aside, without an archive it may carry appended; when the
// installation is done and before the exit page shows, it is copied into the
// install folder as "install.exe" (over a Windows "install.exe" the disc may
// carry), recorded among the installed files, and the uninstall shortcut is
// made again so that it starts that file directly (a host program is
// started as itself, never through wine). On Windows the installation relies
// on the disc to carry "install.exe".
#include <string>

#include "wizard/form_type.h"

namespace qi {

class SetupForm : public TFormType {
public:
    SetupForm(TQuorInstallSet& settings, TVrFileCollection* archive, std::string sourcePath, IMessageBoxes& boxes,
              IMessagePump& pump, IWaiter& waiter, std::string programFile);
    ~SetupForm() override;

    // Whether the uninstaller is the running program copied into the
    // install folder (Linux), rather than one the game's files carry.
    static bool PlacesOwnUninstaller();

protected:
    bool InstallationRun() override;
    void InstallationDone() override;

private:
    // The program part in a work folder (staged_ stays empty when it could
    // not be made).
    void StageUninstaller();
    void PlaceUninstaller();
    std::string programFile_;
    bool placing_ = false;
    std::string stageFolder_;
    std::string staged_;
};

}  // namespace qi
