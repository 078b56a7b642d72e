#include "image/vexa_from_png.h"

#include "image/dib_surface.h"

namespace qi {

std::string VexaFromRgba(const RgbaImage& picture, const VexaWriteOptions& options) {
    TDIBSurface pixels;
    pixels.SetSize(picture.Width, picture.Height, 24);
    if (picture.HasAlpha) pixels.EnsureMask();
    for (int y = 0; y < picture.Height; ++y) {
        for (int x = 0; x < picture.Width; ++x) {
            const uint8_t* p = picture.Pixels.data() + (static_cast<size_t>(y) * picture.Width + x) * 4;
            pixels.SetPixel(x, y, static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2]);
            if (picture.HasAlpha) pixels.Mask->SetPixel(x, y, p[3]);
        }
    }
    VexaFrameData frame;
    frame.Name = "frame";
    frame.Width = picture.Width;
    frame.Height = picture.Height;
    frame.BitCount = 24;
    VexaLayerData layer;
    layer.Name = "layer";
    layer.Pixels = &pixels;
    layer.AlphaEnabled = picture.HasAlpha ? 1 : 0;
    frame.Layers.push_back(layer);
    TMemoryStream out;
    WriteVexaImage(out, options, {frame});
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

}  // namespace qi
