#include "app/title_image.h"

#include "archive/vrfiles.h"
#include "image/vexa.h"
#include "streams/stream.h"

namespace qi {

namespace {

// A plain copy of source into target at (x, y), clipped; pictures of
// another bit count go through their colours.
void CopyPicture(TDIBSurface& target, int x, int y, const TDIBSurface& source) {
    if (source.BitCount() == target.BitCount()) {
        target.Draw(x, y, source);
        return;
    }
    for (int sy = 0; sy < source.Height(); ++sy) {
        int ty = y + sy;
        if (ty < 0 || ty >= target.Height()) continue;
        for (int sx = 0; sx < source.Width(); ++sx) {
            int tx = x + sx;
            if (tx < 0 || tx >= target.Width()) continue;
            uint32_t c = source.PixelToColor(source.Pixel(sx, sy), true);
            target.SetPixel(tx, ty, target.ColorToPixel(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        }
    }
}

uint32_t Pixel24(const TDIBSurface& surface, uint32_t color) {
    return surface.ColorToPixel(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

}  // namespace

void DrawTitleImage(TDXPaintBox& box, const TQuorInstallSet& settings, TVrFileCollection& archive) {
    if (settings.TitleImage.empty()) return;
    box.Image.MakeEmpty();
    TMemoryStream stream;
    archive.ExtractToStream(stream, settings.TitleImage);
    TVexaFrameList frames(settings.ImageSeed);
    frames.LoadFromStream(stream, true, false, false);
    const TDIBSurface& picture = frames.GetFrame(0).Surface;
    const int w = picture.Width(), h = picture.Height();
    switch (settings.TitleImageMode) {
        case 0:
        case 1:
            box.Image.SetSize(w, h, 24);
            CopyPicture(box.Image, 0, 0, picture);
            box.Stretch = settings.TitleImageMode == 1;
            box.Center = settings.TitleImageMode == 0;
            break;
        case 2:
            if (w <= 0 || h <= 0 || box.Width <= 0 || box.Height <= 0) break;
            box.Image.SetSize(box.Width, box.Height, 24);
            for (int y = 0; y < box.Height; y += h) {
                for (int x = 0; x < box.Width; x += w) CopyPicture(box.Image, x, y, picture);
            }
            break;
        default: break;
    }
}

void PaintDXBox(TDIBSurface& target, const TDXPaintBox& box) {
    if (box.Empty()) return;
    const TDIBSurface& image = box.Image;
    if (box.Stretch) {
        // Nearest source pixel for each pixel of the box.
        for (int y = 0; y < box.Height && y < target.Height(); ++y) {
            int sy = static_cast<int>(static_cast<int64_t>(y) * image.Height() / box.Height);
            for (int x = 0; x < box.Width && x < target.Width(); ++x) {
                int sx = static_cast<int>(static_cast<int64_t>(x) * image.Width() / box.Width);
                uint32_t c = image.PixelToColor(image.Pixel(sx, sy), true);
                target.SetPixel(x, y, Pixel24(target, c));
            }
        }
        return;
    }
    int x = 0, y = 0;
    if (box.Center) {
        x = (box.Width - image.Width()) / 2;
        y = (box.Height - image.Height()) / 2;
    }
    CopyPicture(target, x, y, image);
}

void RenderBackdrop(const TFormMain& form, const TDXPaintBox& box, TDIBSurface& out) {
    out.SetSize(form.ClientWidth, form.ClientHeight, 24);
    for (const auto& band : GradientBands(form.ClientHeight, TFormMain::kStartColor, TFormMain::kEndColor,
                                          TFormMain::kGradStep)) {
        out.FillRect({0, band.Top, form.ClientWidth, band.Top + band.Height}, Pixel24(out, band.Color));
    }
    PaintDXBox(out, box);
    const TPlacedControl& footer = form.LabelRight;
    out.FillRect({footer.Left, footer.Top, footer.Left + footer.Width, footer.Top + footer.Height}, Pixel24(out, 0));
}

}  // namespace qi
