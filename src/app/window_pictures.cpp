// The launcher and the backdrop drawn as pictures, the way their windows
// show them.
#include "app/window_pictures.h"


namespace qi {

namespace {

// The title image into the box; the error text when it failed (the box
// stays empty then).
std::string DrawTitleImageOrReason(TDXPaintBox& box, const TQuorInstallSet& settings, TVrFileCollection& archive) {
    try {
        DrawTitleImage(box, settings, archive);
        return {};
    } catch (const std::exception& e) {
        box.Image.MakeEmpty();
        return e.what();
    }
}

}  // namespace

std::string PrepareLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive, TFormStart& form,
                            TDXPaintBox& box) {
    box.Width = form.ClientWidth;
    box.Height = form.ClientHeight;
    // The image is drawn before the runtime buttons are laid out; the box
    // then shrinks with the window.
    std::string problem = DrawTitleImageOrReason(box, settings, archive);
    form.FormCreate();
    box.Width = form.ClientWidth;
    box.Height = form.ClientHeight;
    return problem;
}

std::string PrepareBackdrop(const TQuorInstallSet& settings, TVrFileCollection* archive, int screenWidth,
                            int screenHeight, TFormMain& form, TDXPaintBox& box) {
    form.FormCreate(screenWidth, screenHeight);
    box.Width = form.ClientWidth;
    box.Height = form.ClientHeight;
    return archive ? DrawTitleImageOrReason(box, settings, *archive) : std::string();
}

std::string RenderLauncherPicture(const TQuorInstallSet& settings, TVrFileCollection& archive,
                                  const std::string& programFile, TDIBSurface& out) {
    TFormStart form(settings, programFile, [](const std::string&, const std::string&) { return 0; });
    TDXPaintBox box;
    std::string problem = PrepareLauncher(settings, archive, form, box);
    RenderLauncher(form, box, out);
    return problem;
}

std::string RenderBackdropPicture(const TQuorInstallSet& settings, TVrFileCollection* archive, int screenWidth,
                                  int screenHeight, TDIBSurface& out) {
    TFormMain form(settings);
    TDXPaintBox box;
    std::string problem = PrepareBackdrop(settings, archive, screenWidth, screenHeight, form, box);
    RenderBackdrop(form, box, out);
    return problem;
}

}  // namespace qi
