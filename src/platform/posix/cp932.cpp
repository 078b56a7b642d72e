#include "platform/posix/cp932.h"

namespace qi::platform::posix {

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (size_t i = 0; i < folded.size(); ++i) {
        auto byte = static_cast<unsigned char>(folded[i]);
        if (IsLeadByte(byte)) {
            ++i;
        } else if (byte >= 'A' && byte <= 'Z') {
            folded[i] = static_cast<char>(byte - 'A' + 'a');
        }
    }
    return folded;
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

}  // namespace qi::platform::posix
