#include "platform/win32/path_text.h"

#include "base/cp932.h"

namespace qi::platform::win32 {

std::vector<size_t> DelimiterOffsets(const std::string& path) {
    std::vector<size_t> offsets;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(byte)) {
            ++i;  // the trail byte is part of this character
        } else if (byte == '\\') {
            offsets.push_back(i);
        }
    }
    return offsets;
}

size_t RootLength(const std::string& path) {
    auto offsets = DelimiterOffsets(path);
    if (path.size() >= 2 && offsets.size() >= 2 && offsets[0] == 0 && offsets[1] == 1) {
        return offsets.size() >= 4 ? offsets[3] + 1 : path.size();
    }
    char letter = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
    if (path.size() >= 2 && path[1] == ':' && letter >= 'a' && letter <= 'z') {
        return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
    }
    return !offsets.empty() && offsets[0] == 0 ? 1 : 0;
}

bool EndsWithDelimiter(const std::string& path) {
    auto offsets = DelimiterOffsets(path);
    return !offsets.empty() && offsets.back() + 1 == path.size();
}

std::string ParentFolder(const std::string& path) {
    auto offsets = DelimiterOffsets(path);
    if (!offsets.empty() && offsets.back() + 1 == path.size()) offsets.pop_back();
    if (offsets.empty() || offsets.back() + 1 < RootLength(path)) return {};
    return path.substr(0, offsets.back() + 1);
}

}  // namespace qi::platform::win32
