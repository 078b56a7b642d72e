#include "ui/win32/wizard_window.h"

#include <commctrl.h>

#include <utility>

#include "base/path_helpers.h"
#include "platform/platform.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/window_ids.h"
#include "ui/win32/window_support.h"

namespace qi::win32 {

namespace {

constexpr int kProgressSteps = 10000;
constexpr uint32_t kDirectoryAttribute = 0x10;
constexpr int kDriveListDropHeight = 200;

struct ControlClass {
    const wchar_t* name;
    DWORD style, exStyle;
};

ControlClass ClassOf(const ControlPlace& place) {
    switch (place.kind) {
        case ControlKind::Label: return {L"STATIC", SS_LEFT, 0};
        case ControlKind::TextView:
            return {L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::CheckBox: return {L"BUTTON", BS_CHECKBOX | WS_TABSTOP, 0};
        case ControlKind::RadioButton: return {L"BUTTON", BS_RADIOBUTTON | WS_TABSTOP, 0};
        case ControlKind::Edit: return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::DirectoryList:
            return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::DriveList: return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::ProgressBar: return {PROGRESS_CLASSW, 0, 0};
        case ControlKind::Bevel: return {L"STATIC", SS_ETCHEDFRAME, 0};
        case ControlKind::Button:
            return {L"BUTTON", static_cast<DWORD>(place.id == WizardControl::btnNext ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, 0};
    }
    return {L"STATIC", 0, 0};
}

// Enter in the folder list opens the selected folder, as a double click
// does, instead of pressing the default button.
LRESULT CALLBACK FolderListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const auto* key = reinterpret_cast<const MSG*>(lParam);
    if (message == WM_GETDLGCODE && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
        return DLGC_WANTMESSAGE;
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(list));
        return 0;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

int ProgressStep(const TProgressBar& bar) {
    if (bar.Max <= 0 || bar.Position <= 0) return 0;
    if (bar.Position >= bar.Max) return kProgressSteps;
    return static_cast<int>(static_cast<double>(bar.Position) / static_cast<double>(bar.Max) * kProgressSteps);
}

}  // namespace

WizardWindow::WizardWindow(TFormType& form, HWND owner, std::string title)
    : form_(form), title_(std::move(title)), owner_(owner) {
    RegisterWindowClass(kWizardClass, ProcedureOf<WizardWindow>);
    RegisterWindowClass(kPageClass, PageProcedure);
    window_ = CreateFormWindow(kWizardClass, form.Caption, kWizardClientWidth, kWizardClientHeight, owner,
                               owner ? WindowRect(owner) : DesktopRect(), this);
    CreateControls();
}

WizardWindow::~WizardWindow() {
    if (window_) DestroyWindow(window_);
}

void WizardWindow::CreateControls() {
    for (int index = 0; index < kWizardPageCount; ++index) {
        pages_[static_cast<size_t>(index)] =
            CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD, 0, 0, kWizardClientWidth,
                            kWizardPageHeight, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(WizardPageId(PageAt(index)))),
                            GetModuleHandleW(nullptr), nullptr);
    }
    for (const ControlPlace& place : WizardLayout()) {
        const ControlClass kind = ClassOf(place);
        HWND parent = place.page == WizardPage::None ? window_ : pages_[static_cast<size_t>(PageIndex(place.page))];
        const int height = place.kind == ControlKind::DriveList ? kDriveListDropHeight : place.height;
        HWND control = CreateControl(parent, kind.name, kind.style, kind.exStyle, WizardControlId(place.id),
                                     place.left, place.top, place.width, height, "");
        const size_t index = static_cast<size_t>(place.id);
        if (controls_.size() <= index) controls_.resize(index + 1);
        controls_[index] = control;
        if (place.kind == ControlKind::ProgressBar) SendMessageW(control, PBM_SETRANGE32, 0, kProgressSteps);
        if (place.kind == ControlKind::DirectoryList) SetWindowSubclass(control, FolderListProcedure, 0, 0);
        if (place.kind == ControlKind::TextView) {
            const auto& edit = static_cast<const TEdit&>(form_.Control(place.id));
            if (edit.MaxLength > 0) SendMessageW(control, EM_SETLIMITTEXT, edit.MaxLength, 0);
        }
    }
    FillDriveList();
}

TModalResult WizardWindow::RunModal() {
    Refresh();
    if (owner_) EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    for (;;) {
        if (form_.ModalResult != TModalResult::mrNone && form_.CheckModalEnd()) break;
        if (!DeliverNext(window_)) Guarded(window_, title_, [&] { form_.Close(); });
    }
    if (owner_) EnableWindow(owner_, TRUE);
    ShowWindow(window_, SW_HIDE);
    return form_.ModalResult;
}

void WizardWindow::SetCaption(HWND control, const std::string& text) {
    const std::wstring wide = Wide(text);
    if (WindowText(control) != wide) SetWindowTextW(control, wide.c_str());
}

void WizardWindow::Refresh() {
    refreshing_ = true;
    SetCaption(window_, form_.Caption);
    for (int index = 0; index < kWizardPageCount; ++index) {
        ShowWindow(pages_[static_cast<size_t>(index)], PageAt(index) == form_.CurrentPage() ? SW_SHOW : SW_HIDE);
    }
    for (const ControlPlace& place : WizardLayout()) ShowControl(place);
    // The control the model gives the keyboard focus ("btnAbort" on the last page).
    if (form_.ActiveControl != focused_) {
        focused_ = form_.ActiveControl;
        for (const ControlPlace& place : WizardLayout()) {
            if (focused_ == place.name) SetFocus(controls_[static_cast<size_t>(place.id)]);
        }
    }
    refreshing_ = false;
}

void WizardWindow::ShowControl(const ControlPlace& place) {
    HWND control = controls_[static_cast<size_t>(place.id)];
    const TControl& state = form_.Control(place.id);
    switch (place.kind) {
        case ControlKind::TextView:
        case ControlKind::Edit: SetCaption(control, WithCrLf(static_cast<const TEdit&>(state).Text)); break;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            SetCaption(control, state.Caption);
            SendMessageW(control, BM_SETCHECK, static_cast<const TCheckBox&>(state).Checked ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::DirectoryList: FillFolderList(); break;
        case ControlKind::DriveList: {
            const std::wstring drive = Wide(std::string(1, static_cast<const TDriveList&>(state).Drive) + ":");
            SendMessageW(control, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive.c_str()));
            break;
        }
        case ControlKind::ProgressBar:
            SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(ProgressStep(static_cast<const TProgressBar&>(state))), 0);
            break;
        case ControlKind::Bevel: break;
        default: SetCaption(control, state.Caption); break;
    }
    EnableWindow(control, state.Enabled);
    ShowWindow(control, state.Visible ? SW_SHOWNA : SW_HIDE);
}

// The folder list as the classic directory list shows it: the folder's
// path from the drive's root, one level deeper per line, then the folders
// inside it. A double click opens a line.
void WizardWindow::FillFolderList() {
    const std::string folder = form_.Directory.Directory;
    if (folder == listedFolder_) return;
    listedFolder_ = folder;
    HWND list = controls_[static_cast<size_t>(WizardControl::Directory)];
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    folders_.clear();
    auto add = [&](const std::string& path, const std::string& name, size_t depth) {
        folders_.push_back(path);
        const std::wstring line = std::wstring(depth * 2, L' ') + Wide(name);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    };
    if (folder.size() < 2) return;
    std::string path = folder.substr(0, 2) + "\\";
    add(path, path, 0);
    size_t depth = 1;
    for (size_t start = 3; start < folder.size(); ++depth) {
        size_t end = folder.find('\\', start);
        if (end == std::string::npos) end = folder.size();
        path = AddBackslash(path) + folder.substr(start, end - start);
        add(path, folder.substr(start, end - start), depth);
        start = end + 1;
    }
    const int current = static_cast<int>(folders_.size()) - 1;
    for (const auto& entry : platform::ListDirectory(folder)) {
        if (entry.attributes & kDirectoryAttribute) add(AddBackslash(folder) + entry.name, entry.name, depth);
    }
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

void WizardWindow::FillDriveList() {
    HWND list = controls_[static_cast<size_t>(WizardControl::Drive)];
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter))) continue;
        const std::wstring name{static_cast<wchar_t>(L'A' + letter), L':'};
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

void WizardWindow::Command(int id, int code, HWND control) {
    if (id < kWizardControlBase) return;
    const auto which = static_cast<WizardControl>(id - kWizardControlBase);
    const ControlKind kind = PlaceOf(which).kind;
    const bool clicked = code == BN_CLICKED && (kind == ControlKind::Button || kind == ControlKind::CheckBox ||
                                                kind == ControlKind::RadioButton);
    const bool typed = code == EN_CHANGE && kind == ControlKind::Edit;
    const bool opened = code == LBN_DBLCLK && kind == ControlKind::DirectoryList;
    const bool picked = code == CBN_SELCHANGE && kind == ControlKind::DriveList;
    if (!clicked && !typed && !opened && !picked) return;
    Guarded(window_, title_, [&] {
        if (clicked) {
            form_.Click(which);
        } else if (typed) {
            form_.SetText(which, Narrow(WindowText(control)));
        } else if (opened) {
            const LRESULT line = SendMessageW(control, LB_GETCURSEL, 0, 0);
            if (line >= 0 && static_cast<size_t>(line) < folders_.size()) {
                form_.SetText(which, folders_[static_cast<size_t>(line)]);
            }
        } else {
            const std::string drive = Narrow(WindowText(control));
            if (!drive.empty()) form_.SetText(which, drive.substr(0, 1));
        }
    });
    Refresh();
}

// Enter presses the button that has the keyboard focus, else Next.
int WizardWindow::DefaultButtonId() const {
    for (WizardControl id : {WizardControl::btnBack, WizardControl::btnNext, WizardControl::btnAbort}) {
        if (GetFocus() == controls_[static_cast<size_t>(id)]) return WizardControlId(id);
    }
    return WizardControlId(WizardControl::btnNext);
}

// A page panel hands its controls' notifications to the wizard.
LRESULT CALLBACK WizardWindow::PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_CTLCOLORSTATIC) {
        return SendMessageW(GetParent(window), message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT WizardWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (refreshing_) return 0;
            // Enter presses the default button.
            if (LOWORD(wParam) == IDOK) {
                Command(WizardControlId(WizardControl::btnNext), BN_CLICKED, nullptr);
            } else {
                Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            }
            return 0;
        case DM_GETDEFID: return MAKELRESULT(DefaultButtonId(), DC_HASDEFID);
        case WM_CLOSE:
            Guarded(window_, title_, [&] { form_.Close(); });
            Refresh();
            return 0;
        default: return DefWindowProcW(window_, message, wParam, lParam);
    }
}

}  // namespace qi::win32
