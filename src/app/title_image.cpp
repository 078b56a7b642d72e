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

constexpr uint32_t kButtonFace = 0xF0F0F0;

void FillControl(TDIBSurface& out, const PlacedControl& control, uint32_t color) {
    out.FillRect({control.Left, control.Top, control.Left + control.Width, control.Top + control.Height},
                 Pixel24(out, color));
}

// A push button as the classic raised face: a light edge above and left, a
// dark one below and right, the shadow just inside it.
void DrawButtonFace(TDIBSurface& out, const PlacedControl& button) {
    constexpr uint32_t kLight = 0xFFFFFF, kShadow = 0xA0A0A0, kDark = 0x696969;
    const int left = button.Left, top = button.Top;
    const int right = left + button.Width, bottom = top + button.Height;
    FillControl(out, button, kButtonFace);
    out.FillRect({left, top, right, top + 1}, Pixel24(out, kLight));
    out.FillRect({left, top, left + 1, bottom}, Pixel24(out, kLight));
    out.FillRect({left + 1, bottom - 2, right - 1, bottom - 1}, Pixel24(out, kShadow));
    out.FillRect({right - 2, top + 1, right - 1, bottom - 1}, Pixel24(out, kShadow));
    out.FillRect({left, bottom - 1, right, bottom}, Pixel24(out, kDark));
    out.FillRect({right - 1, top, right, bottom}, Pixel24(out, kDark));
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
    FillControl(out, form.LabelRight, 0);
}

void RenderLauncher(const TFormStart& form, const TDXPaintBox& box, TDIBSurface& out) {
    out.SetSize(form.ClientWidth, form.ClientHeight, 24);
    out.FillRect({0, 0, form.ClientWidth, form.ClientHeight}, Pixel24(out, kButtonFace));
    PaintDXBox(out, box);
    for (const PlacedControl* button :
         {&form.btnStart, &form.btnInstall, &form.btnDirectX, &form.btnWinMedia, &form.btnExit}) {
        if (button->Visible) DrawButtonFace(out, *button);
    }
}

}  // namespace qi
