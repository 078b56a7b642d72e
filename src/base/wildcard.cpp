#include "base/wildcard.h"

#include "base/cp932.h"

namespace qi {

bool WildcardMatch(const std::string& pattern, const std::string& text) {
    size_t p = 0, t = 0, starP = std::string::npos, starT = 0;
    auto same = [](char a, char b) { return SameText(std::string(1, a), std::string(1, b)); };
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && same(pattern[p], text[t])))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace qi
