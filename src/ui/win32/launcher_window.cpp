#include "ui/win32/launcher_window.h"

#include "ui/win32/window_ids.h"
#include "ui/win32/window_support.h"

namespace qi::win32 {

namespace {

std::array<PlacedControl*, kLauncherButtonCount> Buttons(TFormStart& form) {
    return {&form.btnStart, &form.btnInstall, &form.btnDirectX, &form.btnWinMedia, &form.btnExit};
}

}  // namespace

LauncherWindow::LauncherWindow(TFormStart& form, const TDXPaintBox& box) : form_(form) {
    face_.SetSize(form.ClientWidth, form.ClientHeight, 24);
    const COLORREF faceColor = GetSysColor(COLOR_BTNFACE);
    face_.FillRect({0, 0, form.ClientWidth, form.ClientHeight},
                   face_.ColorToPixel(GetRValue(faceColor), GetGValue(faceColor), GetBValue(faceColor)));
    PaintDXBox(face_, box);
    RegisterWindowClass(kLauncherClass, ProcedureOf<LauncherWindow>);
    window_ = CreateFormWindow(kLauncherClass, form.Caption, form.ClientWidth, form.ClientHeight, nullptr,
                               DesktopRect(), this);
    int id = kLauncherButtonId;
    for (const PlacedControl* button : Buttons(form)) {
        DWORD style = WS_TABSTOP | BS_PUSHBUTTON;
        if (button->Visible) style |= WS_VISIBLE;
        if (!button->Enabled) style |= WS_DISABLED;
        CreateControl(window_, L"BUTTON", style, 0, id++, button->Left, button->Top, button->Width, button->Height,
                      button->Caption);
    }
}

LauncherWindow::~LauncherWindow() {
    if (window_) DestroyWindow(window_);
}

void LauncherWindow::Show() {
    ShowWindow(window_, SW_SHOW);
    if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
}

void LauncherWindow::RunModal() {
    while (form_.ModalResult == TModalResult::mrNone) {
        if (!DeliverNext(window_)) form_.Close();
    }
    ShowWindow(window_, SW_HIDE);
}

void LauncherWindow::Click(int index) {
    switch (index) {
        case 0: form_.btnStartClick(form_.btnStart); break;
        case 1: form_.btnStartClick(form_.btnInstall); break;
        case 2: form_.btnDirectXClick(); break;
        case 3: form_.btnWinMediaClick(); break;
        default: form_.btnExitClick(); break;
    }
}

LRESULT LauncherWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: PaintPicture(window_, face_); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_COMMAND: {
            const int index = LOWORD(wParam) - kLauncherButtonId;
            if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < kLauncherButtonCount) {
                Guarded(window_, form_.Caption, [&] { Click(index); });
            }
            return 0;
        }
        case DM_GETDEFID: {
            // Enter presses the button that has the keyboard focus.
            HWND focus = GetFocus();
            if (!focus || GetParent(focus) != window_) return 0;
            return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
        }
        case WM_CLOSE: form_.Close(); return 0;
        default: return DefWindowProcW(window_, message, wParam, lParam);
    }
}

}  // namespace qi::win32
