#include "wizard/wizard_layout.h"

namespace qi {

namespace {

using C = WizardControl;
using K = ControlKind;
using P = WizardPage;

// Labels run the page's width from an 8-pixel margin; check boxes and radio
// buttons are indented under their label.
constexpr int kLeft = 8, kWide = 481, kLine = 14, kBox = 18, kIndent = 24;

constexpr ControlPlace kLayout[] = {
    {C::EditHello, K::TextView, "EditHello", P::Hello, kLeft, 8, kWide, 277},

    {C::LicenseLabel1, K::Label, "LicenseLabel1", P::License, kLeft, 8, kWide, kLine},
    {C::LicenseLabel2, K::Label, "LicenseLabel2", P::License, kLeft, 24, kWide, kLine},
    {C::EditLicense, K::TextView, "EditLicense", P::License, kLeft, 44, kWide, 217},
    {C::CheckLicense, K::CheckBox, "CheckLicense", P::License, kLeft, 267, 240, kBox},

    {C::LabelDisk, K::Label, "LabelDisk", P::Media, kLeft, 16, kWide, kLine},
    {C::RadioDiskAll, K::RadioButton, "RadioDiskAll", P::Media, kIndent, 48, 400, kBox},
    {C::RadioDiskThis, K::RadioButton, "RadioDiskThis", P::Media, kIndent, 74, 400, kBox},

    {C::Label1, K::Label, "Label1", P::File, kLeft, 16, kWide, kLine},
    {C::CheckProg, K::CheckBox, "CheckProg", P::File, kIndent, 48, 300, kBox},
    {C::CheckData, K::CheckBox, "CheckData", P::File, kIndent, 74, 300, kBox},
    {C::CheckSound, K::CheckBox, "CheckSound", P::File, kIndent, 100, 300, kBox},
    {C::CheckMovie, K::CheckBox, "CheckMovie", P::File, kIndent, 126, 300, kBox},
    {C::LabelSize, K::Label, "LabelSize", P::File, kLeft, 264, kWide, kLine},

    {C::Label3, K::Label, "Label3", P::SelDir, kLeft, 16, kWide, kLine},
    {C::EditDir, K::Edit, "EditDir", P::SelDir, kLeft, 36, kWide, 21},
    {C::Directory, K::DirectoryList, "Directory", P::SelDir, kLeft, 64, 300, 152},
    {C::Drive, K::DriveList, "Drive", P::SelDir, kLeft, 222, 300, 21},
    {C::LabelSzDrv, K::Label, "LabelSzDrv", P::SelDir, kLeft, 252, kWide, kLine},
    {C::LabelSzNeed, K::Label, "LabelSzNeed", P::SelDir, kLeft, 270, kWide, kLine},

    {C::Label5, K::Label, "Label5", P::Confirm, kLeft, 16, kWide, kLine},
    {C::LabelBack, K::Label, "LabelBack", P::Confirm, kLeft, 48, kWide, kLine},
    {C::LabelBack2, K::Label, "LabelBack2", P::Confirm, kLeft, 64, kWide, kLine},

    {C::LabelCopyCap, K::Label, "LabelCopyCap", P::Copy, kLeft, 16, kWide, kLine},
    {C::LabelCopy, K::Label, "LabelCopy", P::Copy, kLeft, 40, kWide, kLine},
    {C::Progress, K::ProgressBar, "Progress", P::Copy, kLeft, 64, kWide, 18},

    {C::LabelExit, K::Label, "LabelExit", P::Exit, kLeft, 16, kWide, kLine},

    {C::LabelUninst, K::Label, "LabelUninst", P::Uninst, kLeft, 16, kWide, kLine},
    {C::Label7, K::Label, "Label7", P::Uninst, kLeft, 40, kWide, kLine},
    {C::CheckDelSave, K::CheckBox, "CheckDelSave", P::Uninst, kIndent, 72, 300, kBox},

    {C::LabelDelTitle, K::Label, "LabelDelTitle", P::Delete, kLeft, 16, kWide, kLine},
    {C::LabelDel, K::Label, "LabelDel", P::Delete, kLeft, 40, kWide, kLine},

    // Below the pages: the bevel, then Back and Next side by side and Abort
    // apart at the right, 75 x 25 each.
    {C::Bevel, K::Bevel, "Bevel", P::None, 0, kWizardPageHeight, kWizardClientWidth, 2},
    {C::btnBack, K::Button, "btnBack", P::None, 248, 302, 75, 25},
    {C::btnNext, K::Button, "btnNext", P::None, 323, 302, 75, 25},
    {C::btnAbort, K::Button, "btnAbort", P::None, 410, 302, 75, 25},
};

// The table lists the controls in the order of their ids.
constexpr bool InIdOrder() {
    for (int i = 0; i < static_cast<int>(std::size(kLayout)); ++i) {
        if (static_cast<int>(kLayout[i].id) != i) return false;
    }
    return true;
}
static_assert(InIdOrder());

constexpr const char* kPageNames[kWizardPageCount] = {"Hello",   "License", "Media", "file",   "seldir",
                                                      "confirm", "copy",    "exit",  "uninst", "delete"};

}  // namespace

const char* PageName(WizardPage page) {
    return page == WizardPage::None ? "" : kPageNames[PageIndex(page)];
}

std::span<const ControlPlace> WizardLayout() { return kLayout; }

const ControlPlace& PlaceOf(WizardControl id) { return kLayout[static_cast<int>(id)]; }

}  // namespace qi
