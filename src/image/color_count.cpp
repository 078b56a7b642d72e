// The colours a picture uses: one table of used keys per bit count (an index
// at 8 bits or less, the 16-bit word, or the 24-bit colour in a 2 MiB bit
// table at 24 and 32 bits).
#include <algorithm>
#include <vector>

#include "image/dib_surface.h"
#include "image/pixel_access.h"

namespace qi {

namespace {

// Key of a raw value: what tells two colours of the bit count apart.
uint32_t KeyMask(const TDIBSurface& s) {
    switch (s.LogicalBitCount()) {
        case 15: return 0x7FFF;
        case 24:
        case 32: return 0xFFFFFF;
        default: return 0xFFFF;
    }
}

// One flag per key the pixels use.
std::vector<bool> UsedKeys(const TDIBSurface& s) {
    const uint32_t mask = KeyMask(s);
    std::vector<bool> used(s.BitCount() <= 8 ? 256 : size_t{mask} + 1);
    pixels::ByBits(s.BitCount(), [&]<int B>() {
        for (int y = 0; y < s.Height(); ++y) {
            const uint8_t* row = s.ScanLine(y);
            for (int x = 0; x < s.Width(); ++x) used[pixels::Get<B>(row, x) & mask] = true;
        }
    });
    return used;
}

}  // namespace

std::vector<TRGBQuad> TDIBSurface::GetUsedColors() const {
    std::vector<TRGBQuad> colors;
    if (bitCount_ == 0) return colors;
    const std::vector<bool> used = UsedKeys(*this);
    for (uint32_t key = 0; key < used.size(); ++key) {
        if (!used[key]) continue;
        uint32_t c = PixelToColor(key);
        TRGBQuad q{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c), 0};
        // Colour-table entries of the same colour count once.
        auto same = [&q](const TRGBQuad& e) { return e.Red == q.Red && e.Green == q.Green && e.Blue == q.Blue; };
        if (bitCount_ <= 8 && std::any_of(colors.begin(), colors.end(), same)) continue;
        colors.push_back(q);
    }
    return colors;
}

int64_t TDIBSurface::CountColors() const {
    if (bitCount_ <= 8) return static_cast<int64_t>(GetUsedColors().size());
    const std::vector<bool> used = UsedKeys(*this);
    return std::count(used.begin(), used.end(), true);
}

int TDIBSurface::FindUnusedIndex() const {
    if (bitCount_ == 0 || bitCount_ > 8) return -1;
    const std::vector<bool> used = UsedKeys(*this);
    for (int i = 0; i < (1 << bitCount_); ++i) {
        if (!used[static_cast<size_t>(i)]) return i;
    }
    return -1;
}

}  // namespace qi
