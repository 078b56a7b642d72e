#include "base/cp932.h"

#include <cstdint>

namespace qi {
namespace {

char FoldUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char FoldLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

template <typename Fold>
std::string FoldSingleBytes(const std::string& text, Fold fold) {
    std::string result = text;
    for (size_t i = 0; i < result.size(); i += CharLength(result, i)) {
        if (CharLength(result, i) == 1) result[i] = fold(result[i]);
    }
    return result;
}

// The byte at index of UpperCase(text): letters are folded unless they are
// the second byte of a double-byte character. second tells whether index
// is such a byte and is set for the next index.
unsigned char FoldedByte(std::string_view text, size_t index, bool& second) {
    const auto c = static_cast<unsigned char>(text[index]);
    const bool single = !second && !(IsLeadByte(c) && index + 1 < text.size());
    second = !second && !single;
    return single ? static_cast<unsigned char>(FoldUpper(static_cast<char>(c))) : c;
}

}  // namespace

size_t CharLength(const std::string& text, size_t index) {
    return IsLeadByte(static_cast<unsigned char>(text[index])) && index + 1 < text.size() ? 2 : 1;
}

bool IsPathDelimiter(const std::string& text, size_t index) {
    if (index >= text.size() || text[index] != '\\') return false;
    size_t i = 0;
    while (i < index) i += CharLength(text, i);
    return i == index;
}

std::vector<std::string> SplitAtDelimiters(std::string_view text) {
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            part += text.substr(i, 2);
            ++i;
        } else if (text[i] == '\\') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part += text[i];
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

size_t LastDelimiter(const std::string& delimiters, const std::string& text) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (CharLength(text, i) == 1 && delimiters.find(text[i]) != std::string::npos) found = i;
    }
    return found;
}

std::string UpperCase(const std::string& text) { return FoldSingleBytes(text, FoldUpper); }
std::string LowerCase(const std::string& text) { return FoldSingleBytes(text, FoldLower); }

int CompareText(const std::string& a, const std::string& b) {
    std::string ua = UpperCase(a), ub = UpperCase(b);
    return ua.compare(ub) < 0 ? -1 : (ua == ub ? 0 : 1);
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    bool secondA = false, secondB = false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldedByte(a, i, secondA) != FoldedByte(b, i, secondB)) return false;
    }
    return true;
}

size_t HashIgnoringCase(std::string_view text) {
    uint64_t hash = 0xCBF29CE484222325;  // FNV-1a
    bool second = false;
    for (size_t i = 0; i < text.size(); ++i) hash = (hash ^ FoldedByte(text, i, second)) * 0x100000001B3;
    return static_cast<size_t>(hash);
}

}  // namespace qi
