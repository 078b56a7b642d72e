#include "ui/win32/screen_picture.h"

namespace qi::win32 {

void CopyFromScreen(const RECT& area, TDIBSurface& picture) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    picture.SetSize(width, height, 24);
    if (width <= 0 || height <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    // Bottom-up rows, as the surface keeps them.
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), picture.ScanLine(height - 1), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void CopyClientArea(HWND window, TDIBSurface& picture) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    CopyFromScreen(client, picture);
}

}  // namespace qi::win32
