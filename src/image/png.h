#pragma once
// A small PNG reader and writer for pictures leaving or entering the
// system: 8-bit RGB or RGBA out; in, every colour type at 8 bits per sample,
// palette and grey at fewer, and 16 bits (the high byte kept). No interlacing.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"

namespace qi {

class TDIBSurface;

struct RgbaImage {
    int Width = 0, Height = 0;
    bool HasAlpha = false;
    std::vector<uint8_t> Pixels;  // R, G, B, A per pixel, top row first
};

// Raises Error with a plain English reason.
RgbaImage DecodePng(const std::string& bytes);
// RGB, or RGBA when HasAlpha.
std::string EncodePng(const RgbaImage& image);
// The surface's colours; its mask, when it has one, as alpha.
RgbaImage RgbaFromSurface(const TDIBSurface& surface);
// A 24-bit surface of the picture; its alpha, when it has one, as the Mask.
void SurfaceFromRgba(const RgbaImage& image, TDIBSurface& out);

}  // namespace qi
