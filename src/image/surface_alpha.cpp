// The fourth byte of 32-bit pixels as alpha: into the Mask and back.
#include "image/dib_surface.h"

namespace qi {

bool TDIBSurface::TakeMaskFromAlpha() {
    if (bitCount_ != 32) return false;
    bool any = false;
    for (int y = 0; y < height_ && !any; ++y) {
        const uint8_t* row = RowAt(y);
        for (int x = 0; x < width_ && !any; ++x) any = row[4 * x + 3] != 0;
    }
    if (!any) return false;
    EnsureMask();
    for (int y = 0; y < height_; ++y) {
        const uint8_t* row = RowAt(y);
        uint8_t* mask = Mask->RowAt(y);
        for (int x = 0; x < width_; ++x) mask[x] = row[4 * x + 3];
    }
    return true;
}

void TDIBSurface::PutMaskIntoAlpha() {
    if (bitCount_ != 32) return;
    for (int y = 0; y < height_; ++y) {
        uint8_t* row = RowAt(y);
        const uint8_t* mask = Mask ? Mask->RowAt(y) : nullptr;
        for (int x = 0; x < width_; ++x) row[4 * x + 3] = mask ? mask[x] : 255;
    }
}

}  // namespace qi
