// Conversion between code page 932 and UTF-8 through UTF-16, refusing
// whatever the other side cannot hold instead of putting "?" in its place.
#include <windows.h>

#include "platform/platform.h"

namespace qi::platform {
namespace {

constexpr UINT kJapanese = 932;

std::wstring Utf16From(UINT codePage, const std::string& text, const char* invalid) {
    if (text.empty()) return {};
    int length = static_cast<int>(text.size());
    int needed = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (needed == 0) throw Error(invalid);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), needed);
    return wide;
}

// usedDefault is only allowed for code pages other than UTF-8.
std::string BytesFrom(UINT codePage, DWORD flags, const std::wstring& wide, BOOL* usedDefault) {
    if (wide.empty()) return {};
    int length = static_cast<int>(wide.size());
    int needed = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, usedDefault);
    std::string text(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), length, text.data(), needed, nullptr, usedDefault);
    return text;
}

}  // namespace

std::string Utf8FromCp932(const std::string& text) {
    return BytesFrom(CP_UTF8, 0, Utf16From(kJapanese, text, "invalid code page 932 text"), nullptr);
}

std::string Cp932FromUtf8(const std::string& text) {
    BOOL usedDefault = FALSE;
    std::string converted = BytesFrom(kJapanese, WC_NO_BEST_FIT_CHARS,
                                      Utf16From(CP_UTF8, text, "invalid UTF-8 text"), &usedDefault);
    if (usedDefault || (converted.empty() && !text.empty())) {
        throw Error("text with characters that code page 932 cannot hold");
    }
    return converted;
}

}  // namespace qi::platform
