#pragma once
// The launcher as a window over its form model: a dialog of the model's
// client size centred on the desktop, the title image painted behind the
// five buttons, each button at its place with its caption and state.
#include <windows.h>

#include <array>
#include <string>

#include "app/start_forms.h"
#include "app/title_image.h"

namespace qi::win32 {

class LauncherWindow {
public:
    // form: made already (FormCreate); box: its title image.
    LauncherWindow(TFormStart& form, const TDXPaintBox& box);
    ~LauncherWindow();
    LauncherWindow(const LauncherWindow&) = delete;
    LauncherWindow& operator=(const LauncherWindow&) = delete;

    HWND Handle() const { return window_; }
    // The window's messages.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Shows the window, the keyboard focus on its first button.
    void Show();
    // Runs the shown window modally until the form has its result.
    void RunModal();

private:
    void Click(int index);

    TFormStart& form_;
    // The client area as painted: the dialog face and the title image.
    TDIBSurface face_;
    HWND window_ = nullptr;
};

}  // namespace qi::win32
