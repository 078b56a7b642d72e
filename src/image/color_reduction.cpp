// Changing a picture's bit count with a palette built for it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "image/dib_surface.h"
#include "image/dither.h"
#include "image/nearest_color.h"
#include "image/quantize_median_cut.h"
#include "image/quantize_octree.h"
#include "platform/error.h"

namespace qi {

namespace {

// The largest palette built: its ordered-dither spread compares every pair
// of entries.
constexpr int kMaxPalette = 4096;

uint8_t Level(int i, int levels) { return static_cast<uint8_t>(levels > 1 ? i * 255 / (levels - 1) : 0); }

// The fast method's fixed palette: a grey ramp below 8 colours, else evenly
// spaced levels per channel whose product is the largest that fits (then the
// most even, then green and red before blue).
std::vector<TRGBQuad> UniformPalette(int colors) {
    std::vector<TRGBQuad> palette;
    if (colors < 8) {
        for (int i = 0; i < colors; ++i) palette.push_back({Level(i, colors), Level(i, colors), Level(i, colors), 0});
        return palette;
    }
    int best[3] = {1, 1, 1};
    auto better = [&](int r, int g, int b) {
        int product = r * g * b, bestProduct = best[0] * best[1] * best[2];
        if (product != bestProduct) return product > bestProduct;
        int low = std::min({r, g, b}), bestLow = std::min({best[0], best[1], best[2]});
        if (low != bestLow) return low > bestLow;
        return g != best[1] ? g > best[1] : r > best[0];
    };
    for (int r = 1; r <= 16; ++r)
        for (int g = 1; g <= 16; ++g)
            for (int b = 1; b <= 16; ++b)
                if (r * g * b <= colors && better(r, g, b)) best[0] = r, best[1] = g, best[2] = b;
    for (int r = 0; r < best[0]; ++r)
        for (int g = 0; g < best[1]; ++g)
            for (int b = 0; b < best[2]; ++b)
                palette.push_back({Level(b, best[2]), Level(g, best[1]), Level(r, best[0]), 0});
    return palette;
}

// Ordered dithering spreads colours by about the distance between
// neighbouring entries: their mean distance to the nearest other entry.
int Spread(const std::vector<TRGBQuad>& entries) {
    if (entries.size() < 2) return 0;
    double sum = 0;
    for (const TRGBQuad& a : entries) {
        int nearest = -1;
        for (const TRGBQuad& b : entries) {
            int dr = a.Red - b.Red, dg = a.Green - b.Green, db = a.Blue - b.Blue;
            int d = dr * dr + dg * dg + db * db;
            if (&a != &b && (nearest < 0 || d < nearest)) nearest = d;
        }
        sum += std::sqrt(static_cast<double>(nearest));
    }
    return static_cast<int>(sum / static_cast<double>(entries.size()));
}

template <typename Quantizer>
std::vector<TRGBQuad> Quantize(const TDIBSurface& s, Quantizer quantizer) {
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            uint32_t c = s.PixelToColor(s.Pixel(x, y));
            quantizer.Add(static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16));
        }
    }
    return quantizer.Palette();
}

std::vector<TRGBQuad> BuildPalette(const TDIBSurface& s, TReduceMethod method, int colors) {
    switch (method) {
        case TReduceMethod::Fast: return UniformPalette(colors);
        case TReduceMethod::Octree: return Quantize(s, TOctree(colors));
        case TReduceMethod::MedianCut: return Quantize(s, TMedianCut(colors, TMedianCut::TSplit::Median));
        case TReduceMethod::MedianCutVariance: return Quantize(s, TMedianCut(colors, TMedianCut::TSplit::Variance));
    }
    return {};
}

}  // namespace

void TDIBSurface::ReduceColors(TReduceMethod method, int bitCount, TDither dither, int colors) {
    TDIBSurface target;
    target.SetSize(width_, height_, bitCount);  // refuses a bad bit count
    const bool palette = target.bitCount_ <= 8;
    if (palette && colors == 0) colors = 1 << target.bitCount_;
    if (colors < 0 || colors > kMaxPalette || (palette && colors > (1 << target.bitCount_))) {
        throw Error(std::to_string(colors) + " colours do not fit " + std::to_string(bitCount) + " bits");
    }
    if (colors == 0) {
        // No palette: the target's own levels.
        MapColors(*this, target, dither, 8, [&target](int& r, int& g, int& b) {
            uint32_t raw = target.ColorToPixel(r, g, b), c = target.PixelToColor(raw);
            r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
            return raw;
        });
    } else {
        std::vector<TRGBQuad> entries;
        if (method != TReduceMethod::Fast && CountColors() <= colors) {
            entries = GetUsedColors();
            dither = TDither::None;  // exact: nothing to spread
        } else {
            entries = BuildPalette(*this, method, colors);
        }
        if (entries.empty()) entries.resize(1);
        TPaletteSearch search(entries.data(), static_cast<int>(entries.size()));
        MapColors(*this, target, dither, dither == TDither::Ordered ? Spread(entries) : 0, [&](int& r, int& g, int& b) {
            int index = search.Nearest(r, g, b);
            const TRGBQuad& e = entries[static_cast<size_t>(index)];
            r = e.Red, g = e.Green, b = e.Blue;
            return palette ? static_cast<uint32_t>(index) : target.ColorToPixel(r, g, b);
        });
        std::fill(std::begin(target.ColorTable), std::end(target.ColorTable), TRGBQuad{});
        std::copy_n(entries.begin(), std::min<size_t>(entries.size(), 256), target.ColorTable);
    }
    SwapPixels(target);
    std::memcpy(ColorTable, target.ColorTable, sizeof ColorTable);
}

}  // namespace qi
