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

// The steps of the delete page's run, in their order; each step first
// shows what it does and lets the user abort.
class UninstallationSteps {
public:
    explicit UninstallationSteps(TFormType& form) : f_(form), s_(form.settings_), folder_(AddBackslash(form.sourcePath_)) {}

    bool Run() {
        f_.LabelDelTitle.Caption = s_.Title + " を削除しています";
        f_.btnNext.Visible = false;
        f_.Caption = "削除";

        if (!Step("ショートカットを削除しています...")) return false;
        DeleteShortcuts(TFormType::ProgramsMenu(), s_.Title, f_.ShortcutNames());
        f_.waiter_.Wait(3000);
        f_.pump_.BringToFront();
        ReleaseFolderList();

        if (!Step("ファイルを削除しています...")) return false;
        DeleteRecordedFiles();
        if (f_.CheckDelSave.Visible && f_.CheckDelSave.Checked) DeleteSaveData();
        platform::RemoveFile(folder_ + "game.ini");
        RemoveEmptyFolders(folder_);

        Step("レジストリを削除しています...");
        s_.DeleteRegistryKey(folder_);
        f_.waiter_.Wait(1000);

        f_.LabelExit.Caption = "アンインストールが完了しました";
        f_.ShowPage(WizardPage::Exit);
        return true;
    }

private:
    // Shows the step and delivers pending messages; false when the user
    // aborted.
    bool Step(const char* label) {
        f_.LabelDel.Caption = label;
        f_.pump_.ProcessMessages();
        return f_.ModalResult != TModalResult::mrAbort;
    }

    // The folder list lets go of the installation folder.
    void ReleaseFolderList() {
        const std::string windows = platform::WindowsFolder();
        if (!windows.empty()) f_.Drive.Drive = windows[0];
        f_.Directory.Directory = windows;
    }

    void DeleteRecordedFiles() {
        for (const auto& name : s_.InstalledFiles) {
            if (InsideFolder(name) && !IsSaveData(name) && !PassesThroughLink(folder_, name)) {
                DeleteFileForced(folder_ + name);
            }
        }
    }

    void DeleteSaveData() {
        if (platform::FileExists(folder_ + "save.dat")) platform::RemoveFile(folder_ + "save.dat");
        std::vector<std::string> saveFolders;
        FindUserSaveFolders(s_.Title, saveFolders);
        for (const auto& saveFolder : saveFolders) {
            if (!platform::FileExists(saveFolder + "save.dat")) continue;
            platform::RemoveFile(saveFolder + "save.dat");
            platform::RemoveFolder(saveFolder);
        }
    }

    TFormType& f_;
    TQuorInstallSet& s_;
    const std::string folder_;
};

bool TFormType::UninstallationRun() { return UninstallationSteps(*this).Run(); }

}  // namespace qi
