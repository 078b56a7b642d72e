#pragma once
// Truevision targa pictures. The reader takes colour-mapped, true-colour
// (15, 16, 24 and 32 bits) and grey pictures, plain or run-length packed,
// with either origin; the writer packs runs and ends the file with the
// "TRUEVISION-XFILE" footer.
#include <string>

#include "image/dib_surface.h"

namespace qi {

// alphaMask: the alpha of 32-bit and grey-with-alpha pixels becomes the Mask.
void ReadTarga(const std::string& bytes, TDIBSurface& out, bool alphaMask);
// Palette pictures as colour-mapped 8-bit ones, 15 bits as 16-bit pixels,
// 5-6-5 as 24 bits; a 24- or 32-bit surface with a Mask as 32 bits with the
// Mask as alpha (the Mask of the others has no place in the file).
std::string WriteTarga(const TDIBSurface& source, bool runLength = true);

}  // namespace qi
