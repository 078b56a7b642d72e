// Mirroring the pixels and the Mask.
#include <algorithm>
#include <cstring>
#include <vector>

#include "image/dib_surface.h"
#include "image/pixel_access.h"

namespace qi {

void TDIBSurface::FlipHorizontal() {
    pixels::ByBits(bitCount_, [&]<int B>() {
        for (int y = 0; y < height_; ++y) {
            uint8_t* row = RowAt(y);
            for (int a = 0, b = width_ - 1; a < b; ++a, --b) {
                uint32_t left = pixels::Get<B>(row, a);
                pixels::Put<B>(row, a, pixels::Get<B>(row, b));
                pixels::Put<B>(row, b, left);
            }
        }
    });
    if (Mask) Mask->FlipHorizontal();
}

void TDIBSurface::FlipVertical() {
    std::vector<uint8_t> buffer(static_cast<size_t>(widthBytes_));
    for (int a = 0, b = height_ - 1; a < b; ++a, --b) {
        std::memcpy(buffer.data(), RowAt(a), buffer.size());
        std::memcpy(RowAt(a), RowAt(b), buffer.size());
        std::memcpy(RowAt(b), buffer.data(), buffer.size());
    }
    if (Mask) Mask->FlipVertical();
}

}  // namespace qi
