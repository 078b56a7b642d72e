#include "release/medium.h"

#include <cctype>

namespace qi {

namespace {

constexpr int64_t kSector = 2048;

struct Preset {
    const char* name;
    int64_t sectors;
};
// The sectors a recorder can write on each kind of disc.
constexpr Preset kPresets[] = {
    {"cd650", 333000}, {"cd700", 360000}, {"dvd", 2295104}, {"dvd-dl", 4171712}};

std::optional<int64_t> ParseByteCount(const std::string& text) {
    size_t digits = 0;
    int64_t value = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
        if (value > (int64_t{1} << 50)) return std::nullopt;
        value = value * 10 + (text[digits++] - '0');
    }
    if (digits == 0 || value == 0) return std::nullopt;
    const std::string suffix = text.substr(digits);
    if (suffix.empty()) return value;
    if (suffix.size() != 1) return std::nullopt;
    switch (std::toupper(static_cast<unsigned char>(suffix[0]))) {
        case 'K': return value << 10;
        case 'M': return value << 20;
        case 'G': return value << 30;
        default: return std::nullopt;
    }
}

}  // namespace

std::optional<Medium> ParseMedium(const std::string& text) {
    if (text == "download") return Medium{true, 0};
    for (const Preset& preset : kPresets) {
        if (text == preset.name) return Medium{false, preset.sectors * kSector};
    }
    if (auto bytes = ParseByteCount(text)) return Medium{false, *bytes};
    return std::nullopt;
}

}  // namespace qi
