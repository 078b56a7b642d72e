#pragma once
// The backdrop as a window over its form model: the gradient bands, the
// title image and the footer label (white on black, right-aligned), the
// model's caption; the wizard is owned by it and centred on it.
#include <windows.h>

#include "app/start_forms.h"
#include "app/title_image.h"

namespace qi::win32 {

class BackdropWindow {
public:
    // form: made already for this screen (FormCreate); box: its title image.
    BackdropWindow(const TFormMain& form, const TDXPaintBox& box);
    ~BackdropWindow();
    BackdropWindow(const BackdropWindow&) = delete;
    BackdropWindow& operator=(const BackdropWindow&) = delete;

    HWND Handle() const { return window_; }
    // The window's messages.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:

    TDIBSurface picture_;
    HWND window_ = nullptr;
    HWND footer_ = nullptr;
};

}  // namespace qi::win32
