#pragma once
// The install wizard as a form model: ten pages in a notebook, the three
// buttons below them, the page flags and the handlers a window calls. The
// model owns no window; a view shows its controls, forwards the user's clicks
// to the handlers and ends the dialog when CheckModalEnd says so.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "settings/install_set.h"
#include "wizard/form_controls.h"
#include "wizard/shell_link.h"
#include "wizard/wizard_layout.h"

namespace qi {

class RunCreations;
class TVrFileCollection;

struct TNotebook : TControl {
    WizardPage ActivePage = WizardPage::None;
};

// What changed, for a view to redraw: another page (caption, panels and
// buttons), or the state of controls on the page shown.
enum class FormChange { Page, Controls };

class TFormType {
public:
    // settings: the one settings object of the run; archive: the source
    // archive (open in setup and update runs, may be null otherwise);
    // sourcePath: the folder the setup program was started for.
    TFormType(TQuorInstallSet& settings, TVrFileCollection* archive, std::string sourcePath, IMessageBoxes& boxes,
              IMessagePump& pump, IWaiter& waiter);
    virtual ~TFormType() = default;
    TFormType(const TFormType&) = delete;
    TFormType& operator=(const TFormType&) = delete;

    // ---- Handlers ----
    void FormCreate();
    void ShowPage(WizardPage page);
    void btnNextClick();
    void btnBackClick();
    void btnAbortClick();
    void FormCloseQuery(bool& canClose);
    void CheckLicenseClick();
    void CheckProgClick();
    void CheckDataClick();  // shared by CheckData, CheckSound and CheckMovie
    void DriveChange();
    void DirectoryChange();

    // The user picks a drive or a folder in the linked lists: the list takes
    // the value and its change handler runs. A new drive moves the folder
    // list to that drive's root.
    void SelectDrive(char letter);
    void SelectDirectory(const std::string& folder);
    // The window's close box: during the work of the copy and delete pages
    // it asks as the abort button does; elsewhere it cancels.
    void Close();

    // ---- Input from a view, by control ----
    // A click on a button, check box or radio button; typed text in the
    // folder box; a folder or a drive ("D") picked in the lists. Each runs
    // the control's handler as the window's control would. False when the
    // control is not shown and enabled, or takes no such input.
    bool Click(WizardControl id);
    bool SetChecked(WizardControl id, bool checked);
    bool SetText(WizardControl id, const std::string& text);
    // A control's state, and whether it is shown: visible itself, and on
    // the current page or below the pages.
    const TControl& Control(WizardControl id) const;
    bool Shown(WizardControl id) const;
    // What the copy and delete pages say of their work: the step, and
    // while copying the file or stage.
    std::string StatusText() const;
    // Called after a handler changed what a view shows.
    std::function<void(FormChange)> OnChange;
    // What a modal loop does after each delivered event: when a result is
    // set, FormCloseQuery decides; a refusal clears the result. True when
    // the dialog ends.
    bool CheckModalEnd();

    // The settings object of the run.
    const TQuorInstallSet& Settings() const { return settings_; }

    // ---- Pages ----
    WizardPage CurrentPage() const { return Notebook.ActivePage; }
    WizardPage FirstEnabledPage() const;
    WizardPage LastEnabledPage() const;
    bool IsPageEnabled(WizardPage page) const { return page != WizardPage::None && PageEnabled[PageIndex(page)]; }
    // The folder to install into, with a trailing delimiter.
    std::string InstallFolder() const;

    // ---- Component choice and disk space ----
    void UpdateRequiredSize();
    void UpdateDriveFreeLabel();

    // ---- Work of the copy page ----
    // The archive's progress while the data file is built, and while it is
    // checked.
    void OnBuildProgress(int64_t size, int index, int count, bool& cancel);
    void OnCheckProgress(int index, int count, bool& cancel);
    void CreateShortcuts();
    // The shortcuts the installation makes in the menu folder, by name.
    std::vector<std::string> ShortcutNames() const;
    void ShowReadme();

    // ---- Controls ----
    std::string Caption;
    TNotebook Notebook;
    TEdit EditHello, EditLicense;
    TLabel LicenseLabel1, LicenseLabel2;
    TCheckBox CheckLicense;
    TLabel LabelDisk;
    TRadioButton RadioDiskAll, RadioDiskThis;
    TLabel Label1;
    TCheckBox CheckProg, CheckData, CheckSound, CheckMovie;
    TLabel LabelSize;
    TLabel Label3;
    TEdit EditDir;
    TDirectoryList Directory;
    TDriveList Drive;
    TLabel LabelSzDrv, LabelSzNeed;
    TLabel Label5, LabelBack, LabelBack2;
    TLabel LabelCopyCap, LabelCopy;
    TProgressBar Progress;
    TLabel LabelExit;
    TLabel LabelUninst, Label7;
    TCheckBox CheckDelSave;
    TLabel LabelDelTitle, LabelDel;
    TControl Bevel;
    TButton btnBack, btnNext, btnAbort;
    // The control that has the keyboard focus, by name.
    std::string ActiveControl;
    // Components the form carries for page work; the wizard makes its own
    // shortcuts with fresh links.
    TFileOperation FileOperation;
    TShellLink ShellLink;

    // ---- Own state ----
    std::array<bool, kWizardPageCount> PageEnabled{};
    int64_t RequiredBytes = 0;
    int64_t ProgressBytes = 0;
    std::string ProposedSubFolder;
    TModalResult ModalResult = TModalResult::mrNone;

protected:
    friend class InstallationSteps;
    friend class UninstallationSteps;
    // The work of the "copy" and "delete" pages. True when the work ran to
    // its end (and showed the next page itself); false when it stopped early.
    virtual bool InstallationRun();
    virtual bool UninstallationRun();
    // Steps of the installation run. False when the run is to stop.
    bool WaitForDisc(int disc);
    // Both note what they make in made.
    bool CopyPlainFiles(const std::string& folder, RunCreations& made);
    // The entries flagged as loose files, written out one by one (an update
    // of an executable skips the entry of that name). Together they may take
    // budget bytes, which they use up: one that would pass it stops the run.
    void WriteLooseFiles(TVrFileCollection& archive, const std::string& folder, const std::string& skipName,
                         int64_t& budget, RunCreations& made);
    // Whether the save-data box is offered on the "uninst" page.
    virtual bool SaveDataPresent();
    // The installation's work is done and recorded; the exit page follows.
    virtual void InstallationDone() {}

    TModalResult Ask(BoxReason reason, const std::string& text) { return boxes_.MessageDlg(reason, text); }
    void Changed(FormChange change) {
        if (OnChange) OnChange(change);
    }
    bool ValidateInstallFolder();
    TControl& ControlState(WizardControl id);
    // Whether the control is of that kind, shown and enabled.
    bool Takes(WizardControl id, ControlKind kind) const;
    // The Start-menu folder the shortcuts go into: all users' on the NT
    // family, the user's own otherwise.
    static TShellLinkType ProgramsMenu();
    bool HoldsSameGame(const std::string& folder) const;

    TQuorInstallSet& settings_;
    TVrFileCollection* archive_;
    std::string sourcePath_;
    IMessageBoxes& boxes_;
    IMessagePump& pump_;
    IWaiter& waiter_;
};

// Free megabytes for the user on the drive of that letter; 0 when unknown.
int64_t DriveFreeMB(char letter);
// Whether a drive with freeMB megabytes free is too small for requiredBytes:
// both figures in whole megabytes, so a fraction of a megabyte never warns.
inline bool NotEnoughSpace(int64_t freeMB, int64_t requiredBytes) { return freeMB < requiredBytes / 1024 / 1024; }
// Removes every folder below folder, deepest first, and folder itself, that
// holds nothing at all; folders that still hold anything stay.
void RemoveEmptyFolders(const std::string& folder);
// 1 for a sound extension, 2 for a movie extension, 0 otherwise (the
// extension with its dot, any case).
int MediaKindOfExt(const std::string& ext);

}  // namespace qi
