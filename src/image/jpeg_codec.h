#pragma once
// JPEG-coded pixel planes: decoding into a 24-bit surface and, for the
// writers, encoding one. Builds without a JPEG library raise an error.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/dib_surface.h"

namespace qi {

bool JpegSupported();
// Decodes the JPEG stream into target (24 bits, the JPEG's size). A stream
// whose size is not expectedWidth x expectedHeight is refused before its
// pixels are decoded.
void DecodeJpeg(const uint8_t* data, size_t size, TDIBSurface& target, int expectedWidth, int expectedHeight);
// Encodes a 24-bit surface at quality 1 .. 100.
std::vector<uint8_t> EncodeJpeg(const TDIBSurface& source, int quality);

}  // namespace qi
