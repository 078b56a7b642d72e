#pragma once
// Icon and cursor files: several images in one file, each a device-
// independent bitmap followed by its AND mask (which becomes the surface's
// Mask) or a PNG picture.
#include <string>
#include <vector>

#include "image/dib_surface.h"

namespace qi {

struct TIconEntry {
    int Width = 0, Height = 0, BitCount = 0;  // from the image's own header
    int HotspotX = 0, HotspotY = 0;           // cursors only
    bool Png = false;
};

struct TIconImage {
    const TDIBSurface* Surface = nullptr;
    int HotspotX = 0, HotspotY = 0;
};

// The images of an icon or cursor file.
std::vector<TIconEntry> ReadIconDirectory(const std::string& bytes);
// Image index of the file, always with a Mask (from the AND mask, or the
// alpha of 32-bit and PNG images).
void ReadIconImage(const std::string& bytes, int index, TDIBSurface& out);
// Images of up to 256 x 256 pixels; 256-pixel ones are PNG-coded, the others
// bitmaps of their own bit count (15 and 16 bits as 24, 24 bits with a Mask
// between 0 and 255 as 32), with an AND mask where the Mask is below 128
// and, below 32 bits, the pixel there set to black.
std::string WriteIcon(const std::vector<TIconImage>& images, bool cursor);

}  // namespace qi
