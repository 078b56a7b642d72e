#include "ui/win32/backdrop_window.h"

#include "ui/win32/window_ids.h"
#include "ui/win32/window_support.h"

namespace qi::win32 {

BackdropWindow::BackdropWindow(const TFormMain& form, const TDXPaintBox& box) {
    RenderBackdrop(form, box, picture_);
    RegisterWindowClass(kBackdropClass, ProcedureOf<BackdropWindow>);
    window_ = CreateFormWindow(kBackdropClass, form.Caption, form.ClientWidth, form.ClientHeight, nullptr,
                               DesktopRect(), this);
    const PlacedControl& label = form.LabelRight;
    footer_ = CreateControl(window_, L"STATIC", WS_VISIBLE | SS_RIGHT | SS_NOPREFIX, 0, kFooterId, label.Left,
                            label.Top, label.Width, label.Height, label.Caption);
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

BackdropWindow::~BackdropWindow() {
    if (window_) DestroyWindow(window_);
}

LRESULT BackdropWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: PaintPicture(window_, picture_); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(255, 255, 255));
            SetBkColor(dc, RGB(0, 0, 0));
            return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
        }
        case WM_CLOSE: return 0;  // it closes with the wizard
        default: return DefWindowProcW(window_, message, wParam, lParam);
    }
}

}  // namespace qi::win32
