#pragma once
// The launcher and the backdrop as pictures, drawn from their form models
// the way their windows show them.
#include <string>

#include "app/start_forms.h"
#include "app/title_image.h"
#include "image/dib_surface.h"
#include "settings/install_set.h"

namespace qi {

class TVrFileCollection;

// The two windows' models made as their windows make them (FormCreate),
// with the title image in a box of the client area's size. An error while
// drawing the image leaves the box empty and is returned; empty when all
// went well.
std::string PrepareLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive, TFormStart& form,
                            TDXPaintBox& box);
std::string PrepareBackdrop(const TQuorInstallSet& settings, TVrFileCollection* archive, int screenWidth,
                            int screenHeight, TFormMain& form, TDXPaintBox& box);

// An error while drawing the title image leaves the picture without it, as
// the window would be, and is returned; empty when all went well.
std::string RenderLauncherPicture(const TQuorInstallSet& settings, TVrFileCollection& archive,
                                  const std::string& programFile, TDIBSurface& out);
std::string RenderBackdropPicture(const TQuorInstallSet& settings, TVrFileCollection* archive, int screenWidth,
                                  int screenHeight, TDIBSurface& out);

}  // namespace qi
