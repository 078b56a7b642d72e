#pragma once
// The launcher and the backdrop as pictures, drawn from their form models
// the way their windows show them.
#include <string>

#include "image/dib_surface.h"
#include "settings/install_set.h"

namespace qi {

class TVrFileCollection;

// An error while drawing the title image leaves the picture without it, as
// the window would be, and is returned; empty when all went well.
std::string RenderLauncherPicture(const TQuorInstallSet& settings, TVrFileCollection& archive,
                                  const std::string& programFile, TDIBSurface& out);
std::string RenderBackdropPicture(const TQuorInstallSet& settings, TVrFileCollection* archive, int screenWidth,
                                  int screenHeight, TDIBSurface& out);

}  // namespace qi
