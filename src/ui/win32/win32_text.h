#pragma once
// Text and fonts of the windows. The models' texts are code page 932 and
// are converted explicitly to UTF-16 for the W calls, so the captions read
// right whatever the system's own code page is.
#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace qi::win32 {

using platform::win32::Wide;
// Back to code page 932 (text typed into a box); characters that page
// cannot hold become "?".
inline std::string Narrow(const std::wstring& text) { return platform::win32::Cp932Shown(text); }
// A multi-line box shows CR LF line breaks; the texts may carry bare LF.
std::string WithCrLf(const std::string& text);
std::wstring WindowText(HWND window);
// The windows' font: "ＭＳ Ｐゴシック" at 12 pixels, Shift-JIS character set
// (the system substitutes a Japanese GUI font where it is missing). One for
// the whole program, never freed.
HFONT FormFont();

}  // namespace qi::win32
