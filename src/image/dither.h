#pragma once
// Maps every pixel of a picture to the colours of a target, plainly, with
// ordered dithering (the 4 x 4 matrix, offsets of +-spread/2) or with error
// diffusion (Floyd and Steinberg's weights 7, 3, 5 and 1 sixteenths).
#include <functional>

#include "image/dib_surface.h"

namespace qi {

// The target's raw value for a colour; sets r, g and b to the colour that
// value shows.
using TNearestColor = std::function<uint32_t(int& r, int& g, int& b)>;

// target has the source's size.
void MapColors(const TDIBSurface& source, TDIBSurface& target, TDither dither, int spread,
               const TNearestColor& nearest);

}  // namespace qi
