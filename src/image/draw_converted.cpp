// Copies between bit counts through colour conversion.
#include <cstring>
#include <unordered_map>

#include "image/dib_surface.h"
#include "image/nearest_color.h"
#include "image/pixel_access.h"

namespace qi {

namespace {

// Raw value of one surface to the raw value of another of the same colour,
// or of the nearest colour-table entry.
class TValueConverter {
public:
    TValueConverter(const TDIBSurface& from, const TDIBSurface& to)
        : from_(from), to_(to), search_(to.ColorTable, to.BitCount() <= 8 ? 1 << to.BitCount() : 0) {
        if (from.BitCount() > 8) return;
        for (int i = 0; i < (1 << from.BitCount()); ++i) byIndex_[i] = Convert(static_cast<uint32_t>(i));
    }

    uint32_t operator()(uint32_t value) {
        if (from_.BitCount() <= 8) return byIndex_[value & 0xFF];
        if (to_.BitCount() > 8) return Convert(value);
        // A picture has far fewer colours than pixels: each is looked up once.
        auto found = cache_.find(value);
        if (found != cache_.end()) return found->second;
        return cache_[value] = Convert(value);
    }

private:
    uint32_t Convert(uint32_t value) const {
        uint32_t c = from_.PixelToColor(value);
        int r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
        if (to_.BitCount() <= 8) return static_cast<uint32_t>(search_.Nearest(r, g, b));
        return to_.ColorToPixel(r, g, b);
    }

    const TDIBSurface& from_;
    const TDIBSurface& to_;
    TPaletteSearch search_;
    uint32_t byIndex_[256] = {};
    std::unordered_map<uint32_t, uint32_t> cache_;
};

}  // namespace

void TDIBSurface::DrawConverted(int x, int y, const TDIBSurface& source) {
    TRect r = source.GetBounds();
    if (!ClipTo(x, y, r, source)) return;
    TValueConverter convert(source, *this);
    pixels::ByBits(source.bitCount_, [&]<int From>() {
        pixels::ByBits(bitCount_, [&]<int To>() {
            for (int k = 0; k < r.Bottom - r.Top; ++k) {
                const uint8_t* s = source.RowAt(r.Top + k);
                uint8_t* d = RowAt(y + k);
                for (int j = 0; j < r.Right - r.Left; ++j) {
                    pixels::Put<To>(d, x + j, convert(pixels::Get<From>(s, r.Left + j)));
                }
            }
        });
    });
}

void TDIBSurface::SetBitCount(int bitCount) {
    if (bitCount == LogicalBitCount()) return;
    TDIBSurface converted;
    std::memcpy(converted.ColorTable, ColorTable, sizeof ColorTable);
    converted.SetSize(width_, height_, bitCount);
    converted.DrawConverted(0, 0, *this);
    SwapPixels(converted);
}

}  // namespace qi
