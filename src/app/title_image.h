#pragma once
// The title image in a paint box, and the backdrop and launcher as
// pictures: what their windows show, rendered into a pixel surface (24 bits)
// so that it can be checked and saved. Text is not drawn.
#include <string>

#include "app/start_forms.h"
#include "image/dib_surface.h"
#include "settings/install_set.h"

namespace qi {

class TVrFileCollection;

// A control that owns a picture: empty, it paints nothing; otherwise at its
// own size at the top-left corner, centred (Center; a larger picture is
// cropped evenly), or stretched over the whole box (Stretch).
struct TDXPaintBox {
    int Width = 0, Height = 0;
    bool Stretch = false, Center = false;
    TDIBSurface Image;
    bool Empty() const { return Image.Width() <= 0 || Image.Height() <= 0; }
};

// Decodes the archive entry TitleImage (first frame) and puts it into the
// box by TitleImageMode: 0 centred, 1 stretched, 2 tiled over the box, any
// other value nothing. An empty TitleImage does nothing. Errors (a missing
// entry, a damaged image) go to the caller with the box left empty.
void DrawTitleImage(TDXPaintBox& box, const TQuorInstallSet& settings, TVrFileCollection& archive);

// Paints the box onto target, whose top-left corner is the box's.
void PaintDXBox(TDIBSurface& target, const TDXPaintBox& box);

// The backdrop: gradient, title image, footer strip.
void RenderBackdrop(const TFormMain& form, const TDXPaintBox& box, TDIBSurface& out);

// The launcher: the dialog face, the title image, and the visible buttons
// as raised faces in their places.
void RenderLauncher(const TFormStart& form, const TDXPaintBox& box, TDIBSurface& out);

}  // namespace qi
