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

void ReportEndReason(SetupEnd end) {
    const std::string why = EndReasonText(end);
    if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
}

}  // namespace qi
