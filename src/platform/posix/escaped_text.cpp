#include "platform/posix/escaped_text.h"

#include <cstdio>

#include "base/cp932.h"
#include "platform/error.h"
#include "platform/platform.h"

namespace qi::platform::posix {
namespace {

// The UTF-8 form of one character when it converts back to the same bytes.
std::optional<std::string> FaithfulUtf8(const std::string& character) {
    try {
        std::string utf8 = Utf8FromCp932(character);
        if (Cp932FromUtf8(utf8) == character) return utf8;
    } catch (const Error&) {
    }
    return std::nullopt;
}

void AppendHexBytes(std::string& out, std::string_view bytes) {
    for (unsigned char byte : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", byte);
        out += hex;
    }
}

void AppendAscii(std::string& out, char c, char terminator) {
    switch (c) {
        case '\\': out += "\\\\"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        case '\t': out += "\\t"; return;
    }
    if (c == terminator) {
        out += '\\';
        out += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        AppendHexBytes(out, std::string_view(&c, 1));
    } else {
        out += c;
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
    return -1;
}

// Decodes one escape at line[pos] (just after the backslash) into a raw byte.
char DecodeEscape(std::string_view line, size_t& pos) {
    if (pos >= line.size()) throw Error("an escape is cut off");
    char c = line[pos++];
    switch (c) {
        case 'n': return '\n';
        case 'r': return '\r';
        case 't': return '\t';
        case 'x': {
            int high = pos + 1 < line.size() ? HexValue(line[pos]) : -1;
            int low = high >= 0 ? HexValue(line[pos + 1]) : -1;
            if (low < 0) throw Error("a \\x escape needs two hexadecimal digits");
            pos += 2;
            return static_cast<char>(high << 4 | low);
        }
        default: return c;
    }
}

}  // namespace

std::string EscapeText(const std::string& cp932, char terminator) {
    std::string out;
    for (size_t i = 0; i < cp932.size();) {
        auto byte = static_cast<unsigned char>(cp932[i]);
        if (byte < 0x80) {
            AppendAscii(out, cp932[i++], terminator);
            continue;
        }
        size_t length = CharLength(cp932, i);
        std::string character = cp932.substr(i, length);
        if (auto utf8 = FaithfulUtf8(character)) {
            out += *utf8;
        } else {
            AppendHexBytes(out, character);
        }
        i += length;
    }
    return out;
}

std::string UnescapeText(std::string_view line, size_t& pos, char terminator) {
    std::string out, utf8Run;
    auto flushRun = [&] {
        out += Cp932FromUtf8(utf8Run);
        utf8Run.clear();
    };
    while (pos < line.size() && line[pos] != terminator) {
        char c = line[pos++];
        if (c == '\\') {
            flushRun();
            out += DecodeEscape(line, pos);
        } else {
            utf8Run += c;
        }
    }
    if (pos >= line.size()) throw Error(std::string("a text misses its closing ") + terminator);
    ++pos;
    flushRun();
    return out;
}

}  // namespace qi::platform::posix
