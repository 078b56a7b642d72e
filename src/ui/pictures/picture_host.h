#pragma once
// The launcher and the backdrop as pictures. Wrapped around a front end,
// the picture host renders each of the two windows as the run opens it (for
// a screen of a chosen size) and hands the picture to a saver; every call
// then goes on to the front end unchanged.
#include <functional>
#include <string>

#include "app/command_line.h"
#include "app/setup_app.h"
#include "app/window_pictures.h"
#include "image/png.h"

namespace qi {

struct PictureRequest {
    std::string LauncherFile, BackdropFile;  // empty: not wanted
    int ScreenWidth = 1024, ScreenHeight = 768;
};

// Reads --save-launcher, --save-backdrop and --screen=WIDTHxHEIGHT. An
// empty result, or the text of what is wrong.
std::string ReadPictureOptions(const CommandLine& line, PictureRequest& request);
// Their help text (ASCII).
std::string PictureHelp();

// The saver of the program: writes the picture as PNG; a picture that
// cannot be written, and a title image that could not be drawn, are
// reported on stderr and the run goes on.
void SavePictureAsPng(const std::string& file, const TDIBSurface& picture, const std::string& problem);
// The same for a picture a window toolkit took.
void SaveRgbaAsPng(const std::string& file, const RgbaImage& picture);

class PictureHost : public ISetupHost {
public:
    // file: the file the request names; problem: see the render functions.
    using Saver = std::function<void(const std::string& file, const TDIBSurface& picture, const std::string& problem)>;
    PictureHost(ISetupHost& frontEnd, PictureRequest request, std::string programFile, Saver saver);

    IMessageBoxes& Boxes() override { return frontEnd_.Boxes(); }
    IMessagePump& Pump() override { return frontEnd_.Pump(); }
    IWaiter& Waiter() override { return frontEnd_.Waiter(); }
    TModalResult RunWizard(TFormType& form, TVrFileCollection* archive) override;
    LauncherChoice ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) override;
    void ShowError(const std::string& message) override { frontEnd_.ShowError(message); }
    int StartProgram(const std::string& file, const std::string& arguments) override {
        return frontEnd_.StartProgram(file, arguments);
    }
    int StartTemporaryCopy(const std::string& file, const std::string& arguments) override {
        return frontEnd_.StartTemporaryCopy(file, arguments);
    }
    bool IsUserAdmin() override { return frontEnd_.IsUserAdmin(); }
    bool InstallInPlace() const override { return frontEnd_.InstallInPlace(); }

private:
    ISetupHost& frontEnd_;
    PictureRequest request_;
    std::string programFile_;
    Saver saver_;
};

}  // namespace qi
