#include "ui/pictures/picture_host.h"

#include <cstdio>
#include <utility>

#include "image/png.h"
#include "ui/console_text.h"

namespace qi {

namespace {

constexpr int kLargestScreen = 16384;

// "1024x768" into its two numbers; false when it is not such a size.
bool ReadScreenSize(const std::string& text, int& width, int& height) {
    size_t x = text.find('x');
    if (x == std::string::npos) return false;
    auto number = [](const std::string& digits, int& value) {
        if (digits.empty() || digits.size() > 5) return false;
        value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        return value > 0 && value <= kLargestScreen;
    };
    return number(text.substr(0, x), width) && number(text.substr(x + 1), height);
}

}  // namespace

std::string ReadPictureOptions(const CommandLine& line, PictureRequest& request) {
    request.LauncherFile = line.Option("save-launcher");
    request.BackdropFile = line.Option("save-backdrop");
    if (line.Has("save-launcher") && request.LauncherFile.empty()) return "--save-launcher needs a file name";
    if (line.Has("save-backdrop") && request.BackdropFile.empty()) return "--save-backdrop needs a file name";
    if (line.Has("screen") && !ReadScreenSize(line.Option("screen"), request.ScreenWidth, request.ScreenHeight)) {
        return "--screen needs a size such as 1024x768";
    }
    return {};
}

std::string PictureHelp() {
    return "Pictures of the windows (either front end):\n"
           "  --save-launcher=FILE  save the launcher as a PNG picture when the run shows it\n"
           "  --save-backdrop=FILE  save the window behind the wizard as a PNG picture\n"
           "  --screen=WxH          the screen the backdrop is sized for (default 1024x768)\n"
           "The pictures hold the title image, the gradient and the buttons, without their texts;\n"
           "the windows on Windows are saved as the screen shows them, texts included, and the\n"
           "backdrop is sized for the real screen there.\n";
}

void SaveRgbaAsPng(const std::string& file, const RgbaImage& picture) {
    std::string bytes;
    try {
        bytes = EncodePng(picture);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qinstall: %s: %s\n", file.c_str(), e.what());
        return;
    }
    std::FILE* out = std::fopen(file.c_str(), "wb");
    bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out && std::fclose(out) != 0) written = false;
    if (!written) std::fprintf(stderr, "qinstall: cannot write the picture %s\n", file.c_str());
}

void SavePictureAsPng(const std::string& file, const TDIBSurface& picture, const std::string& problem) {
    if (!problem.empty()) std::fprintf(stderr, "qinstall: the title image: %s\n", ShownText(problem).c_str());
    SaveRgbaAsPng(file, RgbaFromSurface(picture));
}

PictureHost::PictureHost(ISetupHost& frontEnd, PictureRequest request, std::string programFile, Saver saver)
    : frontEnd_(frontEnd), request_(std::move(request)), programFile_(std::move(programFile)), saver_(std::move(saver)) {}

TModalResult PictureHost::RunWizard(TFormType& form, TVrFileCollection* archive) {
    if (!request_.BackdropFile.empty()) {
        TDIBSurface picture;
        std::string problem = RenderBackdropPicture(form.Settings(), archive, request_.ScreenWidth,
                                                    request_.ScreenHeight, picture);
        saver_(request_.BackdropFile, picture, problem);
    }
    return frontEnd_.RunWizard(form, archive);
}

LauncherChoice PictureHost::ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) {
    if (!request_.LauncherFile.empty()) {
        TDIBSurface picture;
        std::string problem = RenderLauncherPicture(settings, archive, programFile_, picture);
        saver_(request_.LauncherFile, picture, problem);
    }
    return frontEnd_.ShowLauncher(settings, archive);
}

}  // namespace qi
