#pragma once
// Device-independent bitmaps: the ".bmp" file and the images of icon and
// cursor files. The reader takes 1, 4 and 8 bits (plain or run-length
// packed), 16 and 32 bits with any bit fields, and 24 bits, bottom-up or
// top-down, with every header size in use; the writer writes the surface's
// own format (5-6-5 through bit fields).
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/dib_surface.h"

namespace qi {

// What the info header says.
struct TDibHeader {
    int Width = 0, Height = 0;  // Height counts the pixel rows only
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Compression = 0;
    uint32_t Masks[4] = {};      // red, green, blue and alpha bit fields
    int64_t TableEntries = 0;    // colour-table entries in the file
    int EntryBytes = 4;          // 3 in the oldest header
    size_t TableOffset = 0;      // from the header's start
    size_t PixelOffset() const { return TableOffset + static_cast<size_t>(TableEntries) * EntryBytes; }
};

// The header at data; in an icon image the height counts the AND mask too.
TDibHeader ReadDibHeader(const uint8_t* data, size_t size, bool iconImage);
// The colour table (at the header's start data) and the rows at pixels
// (pixelBytes available) into out; returns the bytes the rows took.
size_t ReadDibPixels(const TDibHeader& header, const uint8_t* data, size_t size, const uint8_t* pixels,
                     size_t pixelBytes, TDIBSurface& out, bool alphaMask);
// Info header, bit fields, colour table and rows of a surface of 1, 4, 8,
// 15, 16, 24 or 32 bits; heightFactor 2 for an icon image (its AND mask
// follows).
void AppendDib(std::string& out, const TDIBSurface& s, int heightFactor);

// A ".bmp" file; alphaMask: a 32-bit picture's alpha becomes the Mask.
void ReadBitmap(const std::string& bytes, TDIBSurface& out, bool alphaMask);
// A 24- or 32-bit surface with a Mask is written at 32 bits, the Mask as
// the alpha; the others keep their bit count (and lose the Mask).
std::string WriteBitmap(const TDIBSurface& source);

}  // namespace qi
