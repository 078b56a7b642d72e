#pragma once
// Texts for the W calls. The system's texts and names are code page 932
// byte strings whatever the code page of the Windows they run on; they are
// converted explicitly to UTF-16 for the system and back, so a Japanese
// game installs and reads right on a Windows with another code page.
#include <windows.h>

#include <optional>
#include <string>

namespace qi::platform::win32 {

// Code page 932 bytes as UTF-16; a byte sequence that is not code page 932
// becomes U+30FB and names nothing that exists.
std::wstring Wide(const std::string& cp932);
// UTF-16 from the system as code page 932; nullopt when a character has no
// code page 932 form.
std::optional<std::string> Cp932(const std::wstring& wide);
// As Cp932, for a name the program must use: raises qi::Error naming it
// (in UTF-8) when it cannot be written in code page 932.
std::string Cp932Name(const std::wstring& wide);
// For texts only shown to a person: characters without a code page 932
// form become "?".
std::string Cp932Shown(const std::wstring& wide);

std::wstring WideFromUtf8(const std::string& utf8);  // raises qi::Error on invalid UTF-8
std::string Utf8(const std::wstring& wide);

// Calls an API that fills a wide buffer: call(buffer, size) answers with the
// length written, or with the size needed when the buffer was too small.
template <typename Call>
std::wstring WideFromApi(Call call) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(length > text.size() ? length : text.size() * 2);
    }
}

}  // namespace qi::platform::win32
