// The work of the "delete" page: the Start-menu shortcuts, the recorded
// files, the save data when the user asked for it, the folders left empty
// and the registry key. Nothing is reported; what cannot be removed stays.
#include <vector>

#include "archive/vrfiles.h"
#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "wizard/form_type.h"
#include "wizard/save_folders.h"

namespace qi {

namespace {

void DeleteFileForced(const std::string& path) {
    uint32_t attributes = platform::GetAttributes(path);
    if (attributes == platform::kInvalidAttributes || (attributes & platform::kAttrDirectory)) return;
    ClearReadOnly(path);
    platform::RemoveFile(path);
}

// A recorded name comes from the installed settings file; one that would
// leave the installation folder is not ours to delete.
bool InsideFolder(const std::string& name) {
    try {
        CheckEntryPath(name);
        return true;
    } catch (const Error&) {
        return false;
    }
}

}  // namespace

void RemoveEmptyFolders(const std::string& folder) {
    std::string base = AddBackslash(folder);
    for (const auto& entry : platform::ListDirectory(base)) {
        if (entry.attributes & platform::kAttrDirectory) RemoveEmptyFolders(base + entry.name);
    }
    if (platform::ListDirectory(base).empty()) platform::RemoveFolder(base);
}

bool TFormType::UninstallationRun() {
    const std::string folder = AddBackslash(sourcePath_);
    auto aborted = [this] { return ModalResult == TModalResult::mrAbort; };

    LabelDelTitle.Caption = settings_.Title + " を削除しています";
    btnNext.Visible = false;
    Caption = "削除";

    LabelDel.Caption = "ショートカットを削除しています...";
    pump_.ProcessMessages();
    if (aborted()) return false;
    DeleteShortcutFolder(ProgramsMenu(), settings_.Title);
    waiter_.Wait(3000);
    pump_.BringToFront();

    // The folder list lets go of the installation folder.
    const std::string windows = platform::WindowsFolder();
    if (!windows.empty()) Drive.Drive = windows[0];
    Directory.Directory = windows;

    LabelDel.Caption = "ファイルを削除しています...";
    pump_.ProcessMessages();
    if (aborted()) return false;
    for (const auto& name : settings_.InstalledFiles) {
        if (InsideFolder(name)) DeleteFileForced(folder + name);
    }

    if (CheckDelSave.Visible && CheckDelSave.Checked) {
        if (platform::FileExists(folder + "save.dat")) platform::RemoveFile(folder + "save.dat");
        std::vector<std::string> saveFolders;
        FindUserSaveFolders(settings_.Title, saveFolders);
        for (const auto& saveFolder : saveFolders) {
            if (!platform::FileExists(saveFolder + "save.dat")) continue;
            platform::RemoveFile(saveFolder + "save.dat");
            platform::RemoveFolder(saveFolder);
        }
    }
    platform::RemoveFile(folder + "game.ini");
    RemoveEmptyFolders(folder);

    LabelDel.Caption = "レジストリを削除しています...";
    pump_.ProcessMessages();
    settings_.DeleteRegistryKey();
    waiter_.Wait(1000);

    LabelExit.Caption = "アンインストールが完了しました";
    ShowPage(WizardPage::Exit);
    return true;
}

}  // namespace qi
