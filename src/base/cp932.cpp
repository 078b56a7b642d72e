#include "base/cp932.h"

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

}  // namespace qi
