#pragma once
// Pixel pickers of the writers: read the next 8-, 16-, 24- or 32-bit pixel
// of a row and step on.
#include <cstdint>

#include "base/little_endian.h"

namespace qi {

template <int Bits>
class TPickPxOf {
public:
    explicit TPickPxOf(const uint8_t* row) : at_(row) {}
    uint32_t Next() {
        uint32_t v = LoadLe<uint32_t, Bits / 8>(at_);
        at_ += Bits / 8;
        return v;
    }

private:
    const uint8_t* at_;
};

using TPickPx = TPickPxOf<8>;
using TPickPx16 = TPickPxOf<16>;
using TPickPx24 = TPickPxOf<24>;
using TPickPx32 = TPickPxOf<32>;

}  // namespace qi
