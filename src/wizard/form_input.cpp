// The wizard's controls by id: their state, and the user's input routed to
// the handlers the window's controls would call.
#include "wizard/form_type.h"

namespace qi {

const TControl& TFormType::Control(WizardControl id) const {
    return const_cast<TFormType*>(this)->ControlState(id);
}

TControl& TFormType::ControlState(WizardControl id) {
    using enum WizardControl;
    switch (id) {
        case EditHello: return this->EditHello;
        case LicenseLabel1: return this->LicenseLabel1;
        case LicenseLabel2: return this->LicenseLabel2;
        case EditLicense: return this->EditLicense;
        case CheckLicense: return this->CheckLicense;
        case LabelDisk: return this->LabelDisk;
        case RadioDiskAll: return this->RadioDiskAll;
        case RadioDiskThis: return this->RadioDiskThis;
        case Label1: return this->Label1;
        case CheckProg: return this->CheckProg;
        case CheckData: return this->CheckData;
        case CheckSound: return this->CheckSound;
        case CheckMovie: return this->CheckMovie;
        case LabelSize: return this->LabelSize;
        case Label3: return this->Label3;
        case EditDir: return this->EditDir;
        case Directory: return this->Directory;
        case Drive: return this->Drive;
        case LabelSzDrv: return this->LabelSzDrv;
        case LabelSzNeed: return this->LabelSzNeed;
        case Label5: return this->Label5;
        case LabelBack: return this->LabelBack;
        case LabelBack2: return this->LabelBack2;
        case LabelCopyCap: return this->LabelCopyCap;
        case LabelCopy: return this->LabelCopy;
        case Progress: return this->Progress;
        case LabelExit: return this->LabelExit;
        case LabelUninst: return this->LabelUninst;
        case Label7: return this->Label7;
        case CheckDelSave: return this->CheckDelSave;
        case LabelDelTitle: return this->LabelDelTitle;
        case LabelDel: return this->LabelDel;
        case Bevel: return this->Bevel;
        case btnBack: return this->btnBack;
        case btnNext: return this->btnNext;
        case btnAbort: return this->btnAbort;
    }
    return this->Bevel;
}

bool TFormType::Shown(WizardControl id) const {
    const WizardPage page = PlaceOf(id).page;
    return Control(id).Visible && (page == WizardPage::None || page == CurrentPage());
}

bool TFormType::Takes(WizardControl id, ControlKind kind) const {
    return PlaceOf(id).kind == kind && Shown(id) && Control(id).Enabled;
}

bool TFormType::Click(WizardControl id) {
    switch (PlaceOf(id).kind) {
        case ControlKind::Button:
            if (!Takes(id, ControlKind::Button)) return false;
            if (id == WizardControl::btnBack) btnBackClick();
            if (id == WizardControl::btnNext) btnNextClick();
            if (id == WizardControl::btnAbort) btnAbortClick();
            Changed(FormChange::Controls);
            return true;
        case ControlKind::CheckBox: return SetChecked(id, !static_cast<const TCheckBox&>(Control(id)).Checked);
        case ControlKind::RadioButton: return SetChecked(id, true);
        default: return false;
    }
}

bool TFormType::SetChecked(WizardControl id, bool checked) {
    const ControlKind kind = PlaceOf(id).kind;
    if (!Takes(id, ControlKind::CheckBox) && !Takes(id, ControlKind::RadioButton)) return false;
    auto& box = static_cast<TCheckBox&>(ControlState(id));
    box.Checked = checked;
    if (kind == ControlKind::RadioButton && checked) {
        // A radio button unchecks the others of its page.
        for (const ControlPlace& other : WizardLayout()) {
            if (other.kind == kind && other.page == PlaceOf(id).page && other.id != id) {
                static_cast<TCheckBox&>(ControlState(other.id)).Checked = false;
            }
        }
    }
    using enum WizardControl;
    if (id == CheckLicense) CheckLicenseClick();
    if (id == CheckProg) CheckProgClick();
    if (id == CheckData || id == CheckSound || id == CheckMovie) CheckDataClick();
    Changed(FormChange::Controls);
    return true;
}

bool TFormType::SetText(WizardControl id, const std::string& text) {
    if (Takes(id, ControlKind::Edit)) {
        static_cast<TEdit&>(ControlState(id)).Text = text;
    } else if (Takes(id, ControlKind::DirectoryList) && !text.empty()) {
        SelectDirectory(text);
    } else if (Takes(id, ControlKind::DriveList) && !text.empty()) {
        SelectDrive(text[0]);
    } else {
        return false;
    }
    Changed(FormChange::Controls);
    return true;
}

std::string TFormType::StatusText() const {
    if (CurrentPage() == WizardPage::Delete) return LabelDel.Caption;
    std::string text = LabelCopyCap.Caption;
    if (LabelCopy.Visible) text += " " + LabelCopy.Caption;
    return text;
}

void TFormType::Close() {
    if (CurrentPage() == WizardPage::Copy || CurrentPage() == WizardPage::Delete) {
        btnAbortClick();
    } else {
        ModalResult = TModalResult::mrCancel;
    }
}

}  // namespace qi
