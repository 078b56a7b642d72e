#include "platform/win32/system_error.h"

#include "platform/error.h"
#include "platform/win32/wide_text.h"

namespace qi::platform::win32 {

std::string SystemErrorText(DWORD code) {
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, text, 512, nullptr);
    std::string description = Cp932Shown(std::wstring(text, length));
    while (!description.empty() && static_cast<unsigned char>(description.back()) <= ' ') {
        description.pop_back();
    }
    std::string number = "(error " + std::to_string(code) + ")";
    return description.empty() ? number : description + " " + number;
}

void RaiseSystemError(const std::string& subject, DWORD code) {
    throw Error(subject + ": " + SystemErrorText(code));
}

}  // namespace qi::platform::win32
