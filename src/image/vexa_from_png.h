#pragma once
// A picture as a one-frame, one-layer layered image: how a game maker's PNG
// becomes a title image (an alpha channel becomes the layer's mask).
#include <string>

#include "image/png.h"
#include "image/vexa_writer.h"

namespace qi {

std::string VexaFromRgba(const RgbaImage& picture, const VexaWriteOptions& options);

}  // namespace qi
