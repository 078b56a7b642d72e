#pragma once
// Pictures of what the screen shows, text included: the windows as a
// person sees them.
#include <windows.h>

#include "image/dib_surface.h"

namespace qi::win32 {

// What the screen shows over area (screen coordinates), 24 bits per pixel.
void CopyFromScreen(const RECT& area, TDIBSurface& picture);
// The client area of a shown window as the screen shows it.
void CopyClientArea(HWND window, TDIBSurface& picture);

}  // namespace qi::win32
