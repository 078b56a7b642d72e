#pragma once
// What a release is made for: discs of a capacity, or one download.
#include <cstdint>
#include <optional>
#include <string>

namespace qi {

struct Medium {
    bool Download = false;
    int64_t Capacity = 0;  // bytes one disc holds
};

// "cd650", "cd700", "dvd", "dvd-dl", "download" or a byte count with an
// optional K, M or G suffix (powers of 1024), such as "2G"; nothing for any
// other text.
std::optional<Medium> ParseMedium(const std::string& text);

}  // namespace qi
