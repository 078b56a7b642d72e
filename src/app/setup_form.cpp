#include "app/setup_form.h"

#include <utility>

#include "base/cp932.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "settings/install_set.h"
#include "wizard/shell_link.h"

namespace qi {

SetupForm::SetupForm(TQuorInstallSet& settings, TVrFileCollection* archive, std::string sourcePath,
                       IMessageBoxes& boxes, IMessagePump& pump, IWaiter& waiter, std::string programFile)
    : TFormType(settings, archive, std::move(sourcePath), boxes, pump, waiter), programFile_(std::move(programFile)) {}

bool SetupForm::PlacesOwnUninstaller() {
#if defined(_WIN32)
    return false;
#else
    return true;
#endif
}

bool SetupForm::InstallationRun() {
    if (!TFormType::InstallationRun()) return false;
    // Updates keep the uninstaller they find; a Windows-folder install has
    // none.
    if (PlacesOwnUninstaller() && !settings_.UpdateMode && settings_.InstallType != itWindowsFolder) PlaceUninstaller();
    return true;
}

void SetupForm::PlaceUninstaller() {
    const std::string folder = InstallFolder();
    const std::string uninstaller = folder + "install.exe";
    if (programFile_.empty()) return;
    if (!SameText(programFile_, uninstaller)) {
        ClearReadOnly(uninstaller);
        if (!platform::CopyFileTo(programFile_, uninstaller, false)) {
            Ask(BoxReason::Failure, uninstaller + "\r\nファイルをコピーできません");
            return;
        }
    }
    // The uninstaller removes what the record lists, itself included.
    if (settings_.IndexOfInstalledFile("install.exe") < 0) {
        settings_.AddInstalledFile("install.exe");
        settings_.SaveToFile(folder + "install.dat");
    }
    const std::string& title = settings_.Title;
    const std::string name = title + "のアンインストール";
    CreateShortcut(name, uninstaller, "", 1, 0, TWindowState::wsNormal, title, ProgramsMenu(), folder, name);
}

}  // namespace qi
