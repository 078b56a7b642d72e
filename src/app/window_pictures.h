#pragma once
// The launcher and the backdrop as their windows create them (form and
// title image), and as pictures drawn from their form models the way their
// windows show them.
#include <string>

#include "app/start_forms.h"
#include "app/title_image.h"
#include "image/dib_surface.h"
#include "settings/install_set.h"

namespace qi {

class TVrFileCollection;

// Creation of the two windows: FormCreate with the title image drawn into
// the box, which is sized as the window's client area. An error while
// drawing the title image leaves the box empty, as the window would be, and
// is returned; empty when all went well.
std::string CreateLauncher(TFormStart& form, TDXPaintBox& box, const TQuorInstallSet& settings,
                           TVrFileCollection& archive);
std::string CreateBackdrop(TFormMain& form, TDXPaintBox& box, const TQuorInstallSet& settings,
                           TVrFileCollection* archive, int screenWidth, int screenHeight);

// The windows as pictures; the error of the title image as above.
std::string RenderLauncherPicture(const TQuorInstallSet& settings, TVrFileCollection& archive,
                                  const std::string& programFile, TDIBSurface& out);
std::string RenderBackdropPicture(const TQuorInstallSet& settings, TVrFileCollection* archive, int screenWidth,
                                  int screenHeight, TDIBSurface& out);

}  // namespace qi
