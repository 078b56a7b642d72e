// Conversion between code page 932, UTF-16 and UTF-8. Names are never
// folded onto look-alikes: what the other side cannot hold is refused,
// except in texts that are only shown.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {
namespace win32 {
namespace {

constexpr UINT kJapanese = 932;

std::wstring Utf16From(UINT codePage, DWORD flags, const std::string& text) {
    if (text.empty()) return {};
    int length = static_cast<int>(text.size());
    int needed = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    if (needed > 0) MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), needed);
    return wide;
}

// lost: set when a character had no form in the code page (not for UTF-8,
// which holds every one).
std::string BytesFrom(UINT codePage, const std::wstring& wide, bool* lost) {
    if (wide.empty()) return {};
    int length = static_cast<int>(wide.size());
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
    int needed = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, used);
    std::string text(static_cast<size_t>(needed), '\0');
    if (needed > 0) WideCharToMultiByte(codePage, flags, wide.data(), length, text.data(), needed, nullptr, used);
    if (lost) *lost = usedDefault || needed == 0;
    return text;
}

}  // namespace

std::wstring Wide(const std::string& cp932) { return Utf16From(kJapanese, 0, cp932); }

std::optional<std::string> Cp932(const std::wstring& wide) {
    bool lost = false;
    std::string text = BytesFrom(kJapanese, wide, &lost);
    if (lost) return std::nullopt;
    return text;
}

std::string Cp932Name(const std::wstring& wide) {
    if (auto text = Cp932(wide)) return *text;
    throw Error("the name \"" + Utf8(wide) + "\" cannot be written in code page 932");
}

std::string Cp932Shown(const std::wstring& wide) { return BytesFrom(kJapanese, wide, nullptr); }

std::wstring WideFromUtf8(const std::string& utf8) {
    std::wstring wide = Utf16From(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    if (wide.empty() && !utf8.empty()) throw Error("invalid UTF-8 text");
    return wide;
}

std::string Utf8(const std::wstring& wide) { return BytesFrom(CP_UTF8, wide, nullptr); }

}  // namespace win32

std::string Utf8FromCp932(const std::string& text) {
    std::wstring wide = win32::Utf16From(win32::kJapanese, MB_ERR_INVALID_CHARS, text);
    if (wide.empty() && !text.empty()) throw Error("invalid code page 932 text");
    return win32::Utf8(wide);
}

std::string Cp932FromUtf8(const std::string& text) {
    if (auto converted = win32::Cp932(win32::WideFromUtf8(text))) return *converted;
    throw Error("text with characters that code page 932 cannot hold");
}

}  // namespace qi::platform
