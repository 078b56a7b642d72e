#include "base/path_helpers.h"

#include "base/cp932.h"

namespace qi {

std::string AddBackslash(const std::string& text) {
    if (!text.empty() && IsPathDelimiter(text, text.size() - 1)) return text;
    return text + "\\";
}

void ParentKeyPath(std::string& path) {
    if (!path.empty() && IsPathDelimiter(path, path.size() - 1)) path.pop_back();
    size_t last = LastDelimiter("\\", path);
    path.erase(last == std::string::npos ? 0 : last);
}

std::string FormatThousands(int64_t value) {
    // No caller passes a negative value; one still gets its sign in front.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string text = std::to_string(magnitude);
    // 1-based P as the grouping walks it: insert before the character at P.
    for (int64_t p = static_cast<int64_t>(text.size()) - 2; p > 1; p -= 3) {
        text.insert(static_cast<size_t>(p - 1), ",");
    }
    return value < 0 ? "-" + text : text;
}

std::string ExtractFileName(const std::string& path) {
    size_t last = LastDelimiter("\\:", path);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string ExtractFilePath(const std::string& path) {
    size_t last = LastDelimiter("\\:", path);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string ExtractFileExt(const std::string& path) {
    size_t last = LastDelimiter(".\\:", path);
    if (last == std::string::npos || path[last] != '.') return {};
    return path.substr(last);
}

}  // namespace qi
