#pragma once
// Pictures for the image commands: loading and saving any of the picture
// files qpack knows by their extension (png, tga, bmp, ico, cur, and vxa
// layered images), and describing them.
#include <string>
#include <vector>

#include "image/dib_surface.h"
#include "image/vexa.h"
#include "image/vexa_writer.h"

namespace qpack {

// Reads a layered image into list; damage is bad input naming file.
void LoadLayered(qi::TVexaFrameList& list, const std::string& file, bool firstOnly, bool keepLayers);
// The composite of frame index, refused when there is none or it is empty.
const qi::TDIBSurface& LayeredFrame(qi::TVexaFrameList& list, const std::string& file, int index);

// Picture index of the file (the image of an icon or cursor file, the
// frame of a layered image), its alpha as the Mask. An extension qpack does
// not know is a usage error.
void LoadPicture(const std::string& file, int index, qi::TDIBSurface& out);
void SavePicture(const std::string& file, const qi::TDIBSurface& s);
// The format and one line per picture ("%.3d : %d x %d  %d bpp" for each
// image of an icon or cursor file).
std::string PictureInfo(const std::string& file);
bool IsLayered(const std::string& file);

int Convert(const std::vector<std::string>& args);

}  // namespace qpack
