#pragma once
// The wizard window's pages and controls: which page each control lies on,
// its kind, and its place in the client area. Views draw from this table;
// the terminal and unattended front ends walk it instead of knowing pages.
#include <array>
#include <span>

namespace qi {

// The pages in their order; navigation walks this order.
enum class WizardPage : int { None = -1, Hello, License, Media, File, SelDir, Confirm, Copy, Exit, Uninst, Delete };
inline constexpr int kWizardPageCount = 10;

// The notebook page's own name ("Hello", "License", ..., "seldir", ...).
const char* PageName(WizardPage page);
inline int PageIndex(WizardPage page) { return static_cast<int>(page); }
inline WizardPage PageAt(int index) {
    return index >= 0 && index < kWizardPageCount ? static_cast<WizardPage>(index) : WizardPage::None;
}

enum class ControlKind { Label, TextView, CheckBox, RadioButton, Edit, DirectoryList, DriveList, ProgressBar, Bevel, Button };

enum class WizardControl {
    EditHello,
    LicenseLabel1, LicenseLabel2, EditLicense, CheckLicense,
    LabelDisk, RadioDiskAll, RadioDiskThis,
    Label1, CheckProg, CheckData, CheckSound, CheckMovie, LabelSize,
    Label3, EditDir, Directory, Drive, LabelSzDrv, LabelSzNeed,
    Label5, LabelBack, LabelBack2,
    LabelCopyCap, LabelCopy, Progress,
    LabelExit,
    LabelUninst, Label7, CheckDelSave,
    LabelDelTitle, LabelDel,
    Bevel, btnBack, btnNext, btnAbort,
};

struct ControlPlace {
    WizardControl id;
    ControlKind kind;
    const char* name;  // the control's name, "btnNext"
    WizardPage page;   // None: below the pages, on every page
    int left, top, width, height;
};

// The client area: the pages fill the top, the bevel and the buttons the
// strip below them.
inline constexpr int kWizardClientWidth = 497;
inline constexpr int kWizardClientHeight = 336;
inline constexpr int kWizardPageHeight = 293;

// Every control page by page in tab order, then the bevel and the buttons.
std::span<const ControlPlace> WizardLayout();
const ControlPlace& PlaceOf(WizardControl id);

}  // namespace qi
