#pragma once
// The one look into a layered image that the archive writer needs: whether
// the image keeps its pixel planes raw (and so is worth compressing).
#include "streams/stream.h"

namespace qi {

// Reads the signature ("Vexa" and three digits) and, for version 103 and
// later, the image header from the stream's position; true exactly when the
// header's storage mode is 1 (raw blocks). The position is not restored. A
// signature whose three version characters are not digits raises an error.
bool IsUncompressedImage(TStream& stream);

}  // namespace qi
