#include "ui/win32/window_support.h"

#include "ui/win32/win32_text.h"

namespace qi::win32 {

namespace {

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// A modal loop looks at its form's result at least this often (ms).
constexpr DWORD kLongestWait = 250;

BITMAPINFO InfoOf(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up rows, as the surface keeps them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Draws a 24-bit surface with its top-left corner at (x, y).
void DrawSurface(HDC dc, const TDIBSurface& surface, int x, int y) {
    if (surface.Width() <= 0 || surface.Height() <= 0 || surface.BitCount() != 24) return;
    BITMAPINFO info = InfoOf(surface.Width(), surface.Height());
    // The lowest row comes first in memory.
    SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(surface.Width()), static_cast<DWORD>(surface.Height()), 0, 0, 0,
                      static_cast<UINT>(surface.Height()), surface.ScanLine(surface.Height() - 1), &info,
                      DIB_RGB_COLORS);
}

}  // namespace

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW known{};
    known.cbSize = sizeof(known);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &known)) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

RECT DesktopRect() {
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

HWND CreateFormWindow(const wchar_t* className, const std::string& caption, int width, int height, HWND owner,
                      const RECT& centreOn, void* extra) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    const int outerWidth = frame.right - frame.left, outerHeight = frame.bottom - frame.top;
    const int left = centreOn.left + (centreOn.right - centreOn.left - outerWidth) / 2;
    const int top = centreOn.top + (centreOn.bottom - centreOn.top - outerHeight) / 2;
    return CreateWindowExW(kFormExStyle, className, Wide(caption).c_str(), kFormStyle, left, top, outerWidth,
                           outerHeight, owner, nullptr, GetModuleHandleW(nullptr), extra);
}

HWND CreateControl(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle, int id, int left, int top,
                   int width, int height, const std::string& caption) {
    HWND control = CreateWindowExW(exStyle, className, Wide(caption).c_str(), WS_CHILD | style, left, top, width,
                                   height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
    return control;
}

void PaintPicture(HWND window, const TDIBSurface& picture) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    DrawSurface(dc, picture, 0, 0);
    EndPaint(window, &paint);
}

void ShowErrorBox(HWND owner, const std::string& title, const std::string& message) {
    MessageBoxW(owner, Wide(message).c_str(), Wide(title).c_str(), MB_OK | MB_ICONERROR);
}

namespace {

void Deliver(HWND dialog, MSG& message) {
    if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace

bool DeliverPending(HWND dialog) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        Deliver(dialog, message);
    }
    return true;
}

bool DeliverNext(HWND dialog) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kLongestWait, QS_ALLINPUT);
    return DeliverPending(dialog);
}

}  // namespace qi::win32
