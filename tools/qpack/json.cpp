#include "json.h"

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace qpack {

Json Json::Bool(bool value) {
    Json j;
    j.kind_ = Kind::Bool;
    j.bool_ = value;
    return j;
}

Json Json::Integer(int64_t value) {
    Json j;
    j.kind_ = Kind::Number;
    j.text_ = std::to_string(value);
    return j;
}

Json Json::Unsigned(uint64_t value) {
    Json j;
    j.kind_ = Kind::Number;
    j.text_ = std::to_string(value);
    return j;
}

Json Json::String(std::string utf8) {
    Json j;
    j.kind_ = Kind::String;
    j.text_ = std::move(utf8);
    return j;
}

Json Json::Array() {
    Json j;
    j.kind_ = Kind::Array;
    return j;
}

Json Json::Object() {
    Json j;
    j.kind_ = Kind::Object;
    return j;
}

bool Json::AsInt64(int64_t& out) const {
    if (kind_ != Kind::Number || text_.find_first_of(".eE") != std::string::npos) return false;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text_.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    out = value;
    return true;
}

Json& Json::Add(Json value) {
    items_.push_back(std::move(value));
    return items_.back();
}

Json& Json::Set(const std::string& key, Json value) {
    for (auto& member : members_) {
        if (member.first == key) return member.second = std::move(value);
    }
    members_.emplace_back(key, std::move(value));
    return members_.back().second;
}

const Json* Json::Find(const std::string& key) const {
    for (const auto& member : members_) {
        if (member.first == key) return &member.second;
    }
    return nullptr;
}

// ---- Writing ----------------------------------------------------------

namespace {

void DumpString(const std::string& text, std::string& out) {
    static const char* kHex = "0123456789abcdef";
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

void DumpValue(const Json& j, int indent, int depth, std::string& out) {
    std::string pad = indent ? "\n" + std::string(static_cast<size_t>(indent * (depth + 1)), ' ') : "";
    std::string closePad = indent ? "\n" + std::string(static_cast<size_t>(indent * depth), ' ') : "";
    switch (j.kind()) {
        case Json::Kind::Null: out += "null"; break;
        case Json::Kind::Bool: out += j.AsBool() ? "true" : "false"; break;
        case Json::Kind::Number: out += j.Text(); break;
        case Json::Kind::String: DumpString(j.Text(), out); break;
        case Json::Kind::Array:
            out += '[';
            for (size_t i = 0; i < j.Items().size(); ++i) {
                out += (i ? "," : "") + pad;
                DumpValue(j.Items()[i], indent, depth + 1, out);
            }
            out += (j.Items().empty() ? "" : closePad) + "]";
            break;
        case Json::Kind::Object:
            out += '{';
            for (size_t i = 0; i < j.Members().size(); ++i) {
                out += (i ? "," : "") + pad;
                DumpString(j.Members()[i].first, out);
                out += indent ? ": " : ":";
                DumpValue(j.Members()[i].second, indent, depth + 1, out);
            }
            out += (j.Members().empty() ? "" : closePad) + "}";
            break;
    }
}

}  // namespace

std::string Json::Dump(int indent) const {
    std::string out;
    DumpValue(*this, indent, 0, out);
    return out;
}

// ---- Parsing ----------------------------------------------------------

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : s_(text) {}

    Json Document() {
        Json value = Value(0);
        SkipSpace();
        if (i_ != s_.size()) Fail("unexpected text after the value");
        return value;
    }

private:
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void Fail(const std::string& what) const {
        size_t line = 1, column = 1;
        for (size_t k = 0; k < i_ && k < s_.size(); ++k) {
            if (s_[k] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        throw std::runtime_error("JSON line " + std::to_string(line) + " column " + std::to_string(column) + ": " +
                                 what);
    }

    void SkipSpace() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
    }

    bool Consume(const char* word) {
        size_t n = std::char_traits<char>::length(word);
        if (s_.compare(i_, n, word) != 0) return false;
        i_ += n;
        return true;
    }

    void Expect(char c) {
        SkipSpace();
        if (i_ >= s_.size() || s_[i_] != c) Fail(std::string("expected '") + c + "'");
        ++i_;
    }

    Json Value(int depth) {
        if (depth > kMaxDepth) Fail("nesting too deep");
        SkipSpace();
        if (i_ >= s_.size()) Fail("unexpected end");
        char c = s_[i_];
        if (c == '{') return ObjectValue(depth);
        if (c == '[') return ArrayValue(depth);
        if (c == '"') return Json::String(StringValue());
        if (Consume("true")) return Json::Bool(true);
        if (Consume("false")) return Json::Bool(false);
        if (Consume("null")) return Json();
        if (c == '-' || (c >= '0' && c <= '9')) return NumberValue();
        Fail("unexpected character");
    }

    Json ObjectValue(int depth) {
        Json object = Json::Object();
        ++i_;
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == '}') {
            ++i_;
            return object;
        }
        for (;;) {
            SkipSpace();
            if (i_ >= s_.size() || s_[i_] != '"') Fail("expected a key");
            std::string key = StringValue();
            if (object.Find(key)) Fail("duplicate key \"" + key + "\"");
            Expect(':');
            object.Set(key, Value(depth + 1));
            SkipSpace();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            Expect('}');
            return object;
        }
    }

    Json ArrayValue(int depth) {
        Json array = Json::Array();
        ++i_;
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == ']') {
            ++i_;
            return array;
        }
        for (;;) {
            array.Add(Value(depth + 1));
            SkipSpace();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            Expect(']');
            return array;
        }
    }

    Json NumberValue() {
        size_t start = i_;
        if (s_[i_] == '-') ++i_;
        auto digits = [&] {
            size_t from = i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
            if (i_ == from) Fail("malformed number");
        };
        digits();
        if (i_ < s_.size() && s_[i_] == '.') {
            ++i_;
            digits();
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            ++i_;
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
            digits();
        }
        Json j;
        j.kind_ = Json::Kind::Number;
        j.text_ = s_.substr(start, i_ - start);
        return j;
    }

    unsigned Hex4() {
        if (i_ + 4 > s_.size()) Fail("truncated \\u escape");
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            char c = s_[i_++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') v |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v |= static_cast<unsigned>(c - 'A' + 10);
            else Fail("bad \\u escape");
        }
        return v;
    }

    static void AppendUtf8(unsigned cp, std::string& out) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    unsigned EscapedCodePoint() {
        unsigned cp = Hex4();
        if (cp >= 0xD800 && cp < 0xDC00) {
            if (!Consume("\\u")) Fail("lone surrogate");
            unsigned low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) Fail("bad surrogate pair");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            Fail("lone surrogate");
        }
        return cp;
    }

    std::string StringValue() {
        ++i_;
        std::string out;
        for (;;) {
            if (i_ >= s_.size()) Fail("unterminated string");
            char c = s_[i_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) Fail("unterminated string");
            char e = s_[i_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': AppendUtf8(EscapedCodePoint(), out); break;
                default: Fail("bad escape");
            }
        }
    }

    const std::string& s_;
    size_t i_ = 0;
};

Json ParseJson(const std::string& text) { return JsonParser(text).Document(); }

}  // namespace qpack
