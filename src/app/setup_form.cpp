#include "app/setup_form.h"

#include <utility>

#include "app/archive_resource.h"
#include "archive/exe_trailer.h"
#include "base/cp932.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "settings/install_set.h"
#include "wizard/shell_link.h"
#include "wizard/work_folder.h"

namespace qi {

SetupForm::SetupForm(TQuorInstallSet& settings, TVrFileCollection* archive, std::string sourcePath,
                     IMessageBoxes& boxes, IMessagePump& pump, IWaiter& waiter, std::string programFile)
    : TFormType(settings, archive, std::move(sourcePath), boxes, pump, waiter), programFile_(std::move(programFile)) {}

SetupForm::~SetupForm() {
    if (!stageFolder_.empty()) DeleteFolderTree(stageFolder_);
}

bool SetupForm::PlacesOwnUninstaller() {
#if defined(_WIN32)
    return false;
#else
    return true;
#endif
}

bool SetupForm::InstallationRun() {
    // Updates keep the uninstaller they find; a Windows-folder install has
    // none.
    placing_ = PlacesOwnUninstaller() && !programFile_.empty() && !settings_.UpdateMode &&
               settings_.InstallType != itWindowsFolder;
    if (placing_ && !SameText(programFile_, InstallFolder() + "install.exe")) StageUninstaller();
    return TFormType::InstallationRun();
}

void SetupForm::InstallationDone() {
    if (placing_) PlaceUninstaller();
}

void SetupForm::StageUninstaller() {
    try {
        stageFolder_ = CreateWorkFolder("~qkuninst");
        staged_ = stageFolder_ + "install.exe";
        if (!platform::CopyFileTo(programFile_, staged_, false)) return staged_.clear();
        // The uninstaller must not carry the game, appended or as a resource:
        // it would run the setup again (and be as large as the whole download).
        CutToProgramPart(staged_);
        platform::RemoveModuleResource(staged_, kArchiveResourceName, kArchiveResourceType);
    } catch (const Error&) {
        staged_.clear();
    }
}

void SetupForm::PlaceUninstaller() {
    const std::string folder = InstallFolder();
    const std::string uninstaller = folder + "install.exe";
    if (!SameText(programFile_, uninstaller)) {
        ClearReadOnly(uninstaller);
        if (staged_.empty() || !platform::CopyFileTo(staged_, uninstaller, false)) {
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
