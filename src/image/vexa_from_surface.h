#pragma once
// A picture as a one-frame, one-layer layered image: how a game maker's
// picture becomes a title image (its Mask becomes the layer's mask).
#include <string>

#include "image/dib_surface.h"
#include "image/vexa_writer.h"

namespace qi {

// The surface's bit count, colour table and Mask (with alpha enabled) are
// kept.
std::string VexaFromSurface(const TDIBSurface& s, const VexaWriteOptions& options);

}  // namespace qi
