// The colours a picture uses: one table of used keys per bit count (an index
// at 8 bits or less, the 16-bit word, or the 24-bit colour in a 2 MiB bit
// table at 24 and 32 bits).
#include <algorithm>
#include <bit>
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

// One bit per key the pixels use, 64 keys to a word.
std::vector<uint64_t> UsedKeys(const TDIBSurface& s) {
    const uint32_t mask = KeyMask(s);
    std::vector<uint64_t> used(s.BitCount() <= 8 ? 4 : (size_t{mask} + 1) / 64);
    pixels::ByBits(s.BitCount(), [&]<int B>() {
        for (int y = 0; y < s.Height(); ++y) {
            const uint8_t* row = s.ScanLine(y);
            for (int x = 0; x < s.Width(); ++x) {
                uint32_t key = pixels::Get<B>(row, x) & mask;
                used[key >> 6] |= uint64_t{1} << (key & 63);
            }
        }
    });
    return used;
}

// Calls f(key) for each used key, in order.
template <typename F>
void ForEachKey(const std::vector<uint64_t>& used, F f) {
    for (size_t word = 0; word < used.size(); ++word) {
        for (uint64_t bits = used[word]; bits != 0; bits &= bits - 1) {
            f(static_cast<uint32_t>(word * 64 + static_cast<size_t>(std::countr_zero(bits))));
        }
    }
}

}  // namespace

std::vector<TRGBQuad> TDIBSurface::GetUsedColors() const {
    std::vector<TRGBQuad> colors;
    if (bitCount_ == 0) return colors;
    ForEachKey(UsedKeys(*this), [&](uint32_t key) {
        uint32_t c = PixelToColor(key);
        TRGBQuad q{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c), 0};
        // Colour-table entries of the same colour count once.
        auto same = [&q](const TRGBQuad& e) { return e.Red == q.Red && e.Green == q.Green && e.Blue == q.Blue; };
        if (bitCount_ > 8 || std::none_of(colors.begin(), colors.end(), same)) colors.push_back(q);
    });
    return colors;
}

int64_t TDIBSurface::CountColors() const {
    if (bitCount_ <= 8) return static_cast<int64_t>(GetUsedColors().size());
    int64_t count = 0;
    for (uint64_t word : UsedKeys(*this)) count += std::popcount(word);
    return count;
}

int TDIBSurface::FindUnusedIndex() const {
    if (bitCount_ == 0 || bitCount_ > 8) return -1;
    const std::vector<uint64_t> used = UsedKeys(*this);
    for (int i = 0; i < (1 << bitCount_); ++i) {
        if (!(used[static_cast<size_t>(i) >> 6] >> (i & 63) & 1)) return i;
    }
    return -1;
}

}  // namespace qi
