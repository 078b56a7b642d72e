#include "ui/win32/win32_host.h"

#include <commctrl.h>

#include <utility>

#include "app/window_pictures.h"
#include "ui/win32/backdrop_window.h"
#include "ui/win32/launcher_window.h"
#include "ui/win32/screen_picture.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/window_support.h"
#include "ui/win32/wizard_window.h"

namespace qi::win32 {

namespace {

constexpr unsigned kPaintTime = 300;  // ms

// Makes hwnd the front window for as long as it lives.
class FrontWindow {
public:
    FrontWindow(HWND& front, HWND window) : front_(front), previous_(front) { front_ = window; }
    ~FrontWindow() { front_ = previous_; }
    FrontWindow(const FrontWindow&) = delete;
    FrontWindow& operator=(const FrontWindow&) = delete;

private:
    HWND& front_;
    HWND previous_;
};

// The message box of an information kind has OK and Abort; the system's
// box offers OK and Cancel, so the second button is renamed while it opens.
HHOOK abortHook = nullptr;

LRESULT CALLBACK RenameCancel(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        SetDlgItemTextW(reinterpret_cast<HWND>(wParam), IDCANCEL, Wide("中止").c_str());
        UnhookWindowsHookEx(abortHook);
        abortHook = nullptr;
        return 0;
    }
    return CallNextHookEx(abortHook, code, wParam, lParam);
}

struct BoxLook {
    const char* caption;
    UINT flags;
};

BoxLook LookOf(BoxReason reason) {
    UINT buttons = MB_OK;
    if (ButtonsOf(reason) & mbYes) buttons = MB_YESNO;
    if (ButtonsOf(reason) & mbAbort) buttons = MB_OKCANCEL;
    switch (KindOf(reason)) {
        case TMsgDlgType::mtConfirmation: return {"確認", buttons | MB_ICONQUESTION};
        case TMsgDlgType::mtInformation: return {"情報", buttons | MB_ICONINFORMATION};
        default: return {"警告", buttons | MB_ICONWARNING};
    }
}

TModalResult ResultOf(int answer) {
    switch (answer) {
        case IDYES: return TModalResult::mrYes;
        case IDNO: return TModalResult::mrNo;
        case IDCANCEL: return TModalResult::mrAbort;
        default: return TModalResult::mrOk;
    }
}

}  // namespace

Win32Host::Win32Host(std::string programFile, PictureRequest pictures)
    : programFile_(std::move(programFile)), pictures_(std::move(pictures)) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
}

LauncherChoice Win32Host::ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) {
    title_ = settings.Title;
    TFormStart form(settings, programFile_,
                    [this](const std::string& file, const std::string& arguments) { return StartProgram(file, arguments); });
    TDXPaintBox box;
    const std::string problem = CreateLauncher(form, box, settings, archive);
    LauncherWindow window(form, box);
    FrontWindow front(front_, window.Handle());
    if (!problem.empty()) ShowErrorBox(front_, title_, problem);
    window.Show();
    SavePicture(window.Handle(), pictures_.LauncherFile);
    window.RunModal();
    return {form.ModalResult == TModalResult::mrOk, form.ChosenAction};
}

TModalResult Win32Host::RunWizard(TFormType& form, TVrFileCollection* archive) {
    title_ = form.Settings().Title;
    TFormMain main(form.Settings());
    TDXPaintBox box;
    const RECT desktop = DesktopRect();
    const std::string problem = CreateBackdrop(main, box, form.Settings(), archive, desktop.right, desktop.bottom);
    BackdropWindow backdrop(main, box);
    FrontWindow behind(front_, backdrop.Handle());
    if (!problem.empty()) ShowErrorBox(front_, title_, problem);
    SavePicture(backdrop.Handle(), pictures_.BackdropFile);  // before the wizard covers it
    WizardWindow wizard(form, backdrop.Handle(), title_);
    FrontWindow front(front_, wizard.Handle());
    form.OnChange = [&wizard](FormChange) { wizard.Refresh(); };
    wizard_ = &wizard;
    struct Detach {
        TFormType& form;
        WizardWindow*& shown;
        ~Detach() {
            form.OnChange = nullptr;
            shown = nullptr;
        }
    } detach{form, wizard_};
    form.FormCreate();
    return wizard.RunModal();
}

void Win32Host::SavePicture(HWND window, const std::string& file) {
    if (file.empty()) return;
    // The window paints, and the system puts it on the screen, while the
    // thread waits for messages.
    Wait(kPaintTime);
    TDIBSurface picture;
    CopyClientArea(window, picture);
    SavePictureAsPng(file, picture, "");
}

void Win32Host::ShowError(const std::string& message) {
    failed_ = true;
    ShowErrorBox(front_, title_, message);
}

TModalResult Win32Host::MessageDlg(BoxReason reason, const std::string& text) {
    const BoxLook look = LookOf(reason);
    if (ButtonsOf(reason) & mbAbort) abortHook = SetWindowsHookExW(WH_CBT, RenameCancel, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(front_, Wide(text).c_str(), Wide(look.caption).c_str(), look.flags);
    if (abortHook) {
        UnhookWindowsHookEx(abortHook);
        abortHook = nullptr;
    }
    return ResultOf(answer);
}

// The long work has changed the model (labels, progress): the wizard shows
// it, then the pending messages are delivered.
void Win32Host::ProcessMessages() {
    if (wizard_) wizard_->Refresh();
    DeliverPending(front_);
}

void Win32Host::BringToFront() {
    if (front_) SetForegroundWindow(front_);
}

void Win32Host::Wait(unsigned milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        if (!DeliverPending(front_)) return;
    }
}

}  // namespace qi::win32
