#pragma once
// Texts from the A-APIs that fill a caller's buffer and answer with the
// length they wrote, or with the size they need when the buffer is too small.
#include <windows.h>

#include <string>

namespace qi::platform::win32 {

// call(buffer, size) -> length written (0 on failure) or size needed.
template <typename Call>
std::string TextFromApi(Call call) {
    std::string text(MAX_PATH, '\0');
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
