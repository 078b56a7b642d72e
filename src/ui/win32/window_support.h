#pragma once
// What every window of the program shares: its class, a window sized by its
// client area, child controls in the form's font, pictures put on the
// screen, the error box, and handlers guarded so that an error
// never crosses the system's message dispatch.
#include <windows.h>

#include <exception>
#include <string>

#include "image/dib_surface.h"

namespace qi::win32 {

// Registers a window class of the program once (further calls do nothing).
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// Dialog-border windows (fixed size, caption and close box) whose client
// area is width x height, centred on the given rectangle; hidden until
// shown. extra is handed to WM_NCCREATE / WM_CREATE.
HWND CreateFormWindow(const wchar_t* className, const std::string& caption, int width, int height, HWND owner,
                      const RECT& centreOn, void* extra);
RECT DesktopRect();
RECT WindowRect(HWND window);

// A child control in the form's font at its design place.
HWND CreateControl(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle, int id, int left, int top,
                   int width, int height, const std::string& caption);


// An error shown the way the toolkit shows errors: its message, an error
// icon, OK; caption the application's title.
void ShowErrorBox(HWND owner, const std::string& title, const std::string& message);

// Delivers the pending messages of this thread, dialog keys (tab, enter,
// mnemonics) going to dialog as a dialog's would. False once the program
// is asked to quit (the request stays queued for the outer loop).
bool DeliverPending(HWND dialog);
// Waits a little for messages and delivers them; false when the program
// is asked to quit.
bool DeliverNext(HWND dialog);

// Runs a handler of the form behind a window; an error it raises is shown
// in the error box and goes no further.
template <typename Handler>
void Guarded(HWND owner, const std::string& title, Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowErrorBox(owner, title, e.what());
    }
}

// The object that a window's procedure serves, kept in the window's user data.
template <typename T>
T* ObjectOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The window procedure of a window class served by objects of type T: once
// an object's window exists, its OnMessage handles the messages.
template <typename T>
LRESULT CALLBACK ProcedureOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    T* self = ObjectOf<T>(window, message, lParam);
    if (!self || !self->Handle()) return DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

// Paints the client area with a picture of its size (WM_PAINT).
void PaintPicture(HWND window, const TDIBSurface& picture);


}  // namespace qi::win32
