#include "image/vexa_from_surface.h"

namespace qi {

std::string VexaFromSurface(const TDIBSurface& s, const VexaWriteOptions& options) {
    VexaFrameData frame;
    frame.Name = "frame";
    frame.Width = s.Width();
    frame.Height = s.Height();
    frame.BitCount = s.LogicalBitCount();
    if (s.BitCount() <= 8) frame.Palette.assign(s.ColorTable, s.ColorTable + (1 << s.BitCount()));
    VexaLayerData layer;
    layer.Name = "layer";
    layer.Pixels = &s;
    layer.AlphaEnabled = s.Mask ? 1 : 0;
    frame.Layers.push_back(layer);
    TMemoryStream out;
    WriteVexaImage(out, options, {frame});
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

}  // namespace qi
