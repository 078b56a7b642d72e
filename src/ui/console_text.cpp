#include "ui/console_text.h"

#include <cstdio>

#include "platform/platform.h"
#include "ui/exit_code.h"
#include "ui/front_ends.h"

namespace qi {

std::string CoreText(const std::string& word) {
#if defined(_WIN32)
    return word;
#else
    if (!word.empty() && word[0] == '/') return platform::FromNativePath(word);
    return platform::Cp932FromUtf8(word);
#endif
}

std::string ShownText(const std::string& text) {
    try {
        return platform::Utf8FromCp932(text);
    } catch (const Error&) {
        return text;
    }
}

std::string TerminalText(const std::string& text) {
    std::string shown;
    try {
        shown = platform::Utf8FromCp932(text);
    } catch (const Error&) {
        // Not code page 932: no byte beyond ASCII goes out as it is.
        shown = text;
        for (char& c : shown) {
            if (static_cast<unsigned char>(c) >= 0x80) c = '?';
        }
    }
    std::string harmless;
    harmless.reserve(shown.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        const auto c = static_cast<unsigned char>(shown[i]);
        const bool lineBreak = c == '\n' || (c == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n');
        if (lineBreak || c == '\t') {
            if (c != '\r') harmless += shown[i];
        } else if (c < 0x20 || c == 0x7F) {
            harmless += '^';
            harmless += static_cast<char>(c ^ 0x40);
        } else if (c == 0xC2 && i + 1 < shown.size() && static_cast<unsigned char>(shown[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(shown[i + 1]) <= 0x9F) {
            harmless += '?';  // U+0080 to U+009F
            ++i;
        } else {
            harmless += shown[i];
        }
    }
    return harmless;
}

void ReportEndReason(SetupEnd end) {
    const std::string why = EndReasonText(end);
    if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
}

}  // namespace qi
