// Conversion between code page 932 and UTF-8 through iconv. Nothing is ever
// replaced by "?": a sequence the other side cannot hold raises qi::Error.
#include <cerrno>
#include <iconv.h>

#include "platform/error.h"
#include "platform/platform.h"

namespace qi::platform {
namespace {

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

std::string Convert(const std::string& text, const char* to, const char* from) {
    if (IsAscii(text)) return text;  // both sides agree on ASCII
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Error(std::string("no converter from ") + from + " to " + to);
    std::string out(text.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    // The output buffer is large enough for any conversion between the two,
    // so a failure here is always an unconvertible or incomplete sequence.
    size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1) || inLeft != 0) {
        throw Error(std::string("text cannot be converted from ") + from + " to " + to + " at byte " +
                    std::to_string(text.size() - inLeft));
    }
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string Utf8FromCp932(const std::string& text) { return Convert(text, "UTF-8", "CP932"); }

std::string Cp932FromUtf8(const std::string& text) {
    std::string converted = Convert(text, "CP932", "UTF-8");
    // iconv folds some characters onto near neighbours ("¥" becomes the byte
    // "\", U+301C becomes the code of U+FF5E). Such a result would name a
    // different file, or smuggle in a path delimiter, so it counts as
    // unconvertible.
    if (Convert(converted, "UTF-8", "CP932") != text) {
        throw Error("text cannot be converted from UTF-8 to CP932 without loss");
    }
    return converted;
}

}  // namespace qi::platform
