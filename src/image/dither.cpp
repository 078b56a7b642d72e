#include "image/dither.h"

#include <algorithm>
#include <vector>

#include "image/pixel_access.h"

namespace qi {

namespace {

int Clamp(int v) { return std::clamp(v, 0, 255); }

void MapOrdered(const TDIBSurface& source, TDIBSurface& target, int spread, const TNearestColor& nearest) {
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x) {
            uint32_t c = source.PixelToColor(source.Pixel(x, y));
            int offset = (2 * pixels::kBayer[y & 3][x & 3] + 1 - 16) * spread / 32;
            int r = Clamp(static_cast<int>(c & 0xFF) + offset), g = Clamp(static_cast<int>(c >> 8 & 0xFF) + offset),
                b = Clamp(static_cast<int>(c >> 16 & 0xFF) + offset);
            target.SetPixel(x, y, nearest(r, g, b));
        }
    }
}

// Errors are kept in sixteenths, one row ahead, with a spare cell at each end.
void MapDiffused(const TDIBSurface& source, TDIBSurface& target, const TNearestColor& nearest) {
    const size_t cells = (static_cast<size_t>(source.Width()) + 2) * 3;
    std::vector<int> current(cells), next(cells);
    for (int y = 0; y < source.Height(); ++y) {
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < source.Width(); ++x) {
            uint32_t c = source.PixelToColor(source.Pixel(x, y));
            int* e = &current[(static_cast<size_t>(x) + 1) * 3];
            int want[3] = {Clamp(static_cast<int>(c & 0xFF) + e[0] / 16),
                           Clamp(static_cast<int>(c >> 8 & 0xFF) + e[1] / 16),
                           Clamp(static_cast<int>(c >> 16 & 0xFF) + e[2] / 16)};
            int got[3] = {want[0], want[1], want[2]};
            target.SetPixel(x, y, nearest(got[0], got[1], got[2]));
            int* below = &next[static_cast<size_t>(x) * 3];
            for (int k = 0; k < 3; ++k) {
                int error = want[k] - got[k];
                e[3 + k] += error * 7;
                below[k] += error * 3;
                below[3 + k] += error * 5;
                below[6 + k] += error;
            }
        }
        current.swap(next);
    }
}

}  // namespace

void MapColors(const TDIBSurface& source, TDIBSurface& target, TDither dither, int spread,
               const TNearestColor& nearest) {
    switch (dither) {
        case TDither::Ordered:
            MapOrdered(source, target, spread, nearest);
            break;
        case TDither::ErrorDiffusion:
            MapDiffused(source, target, nearest);
            break;
        case TDither::None:
            MapOrdered(source, target, 0, nearest);
            break;
    }
}

}  // namespace qi
