// Layout of the launcher and the backdrop, and the backdrop's gradient.
#include "app/start_forms.h"

#include <algorithm>
#include <utility>

#include "base/path_helpers.h"
#include "platform/platform.h"

namespace qi {

namespace {

PlacedControl Button(const char* caption, int top, int tag) {
    PlacedControl button;
    button.Caption = caption;
    button.Left = 28;
    button.Top = top;
    button.Width = 213;
    button.Height = 29;
    button.Tag = tag;
    return button;
}

int Channel(uint32_t color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

}  // namespace

int64_t DivRoundHalfEven(int64_t a, int64_t b) {
    int64_t q = a / b, r = a % b;
    if (r < 0) {
        q -= 1;
        r += b;
    }
    // Now a = q * b + r with 0 <= r < b.
    if (2 * r > b || (2 * r == b && (q & 1) != 0)) ++q;
    return q;
}

TFormStart::TFormStart(const TQuorInstallSet& settings, std::string programFile,
                       std::function<int(const std::string&, const std::string&)> startProgram)
    : settings_(settings),
      mediumFolder_(AddBackslash(ExtractFilePath(programFile))),
      startProgram_(std::move(startProgram)) {
    btnStart = Button("ゲームスタート", 12, 0);
    btnInstall = Button("インストール", 64, 1);
    btnDirectX = Button("DirectXをインストール", 100, 2);
    btnWinMedia = Button("WindowsMediaPlayerをインストール", 136, 3);
    btnExit = Button("終了", 188, 0);
}

void TFormStart::FormCreate() {
    Caption = settings_.Title;
    btnStart.Enabled = settings_.IsInstalled();
    // A runtime button without its installer on the medium goes, and what
    // lies below it moves up by the distance between two buttons.
    const int step = btnDirectX.Top - btnInstall.Top;
    if (!settings_.ShowRuntimeButtons || !platform::FileExists(mediumFolder_ + "directx\\dxsetup.exe")) {
        btnDirectX.Visible = false;
        btnWinMedia.Top -= step;
        btnExit.Top -= step;
        ClientHeight -= step;
    }
    if (!settings_.ShowRuntimeButtons || !platform::FileExists(mediumFolder_ + "winmedia\\mp71.exe")) {
        btnWinMedia.Visible = false;
        btnExit.Top -= step;
        ClientHeight -= step;
    }
}

void TFormStart::btnStartClick(const PlacedControl& sender) {
    ChosenAction = sender.Tag;
    ModalResult = TModalResult::mrOk;
}

void TFormStart::btnDirectXClick() { startProgram_(mediumFolder_ + "directx\\" + "dxsetup.exe", ""); }

void TFormStart::btnWinMediaClick() { startProgram_(mediumFolder_ + "winmedia\\" + "mp71.exe", ""); }

std::vector<GradientBand> GradientBands(int height, uint32_t startColor, uint32_t endColor, int gradStep) {
    std::vector<GradientBand> bands;
    if (height <= 0 || gradStep < 0) return bands;
    const int64_t parts = static_cast<int64_t>(gradStep) + 1;
    const int bandHeight = static_cast<int>(std::max<int64_t>(1, DivRoundHalfEven(height, parts)));
    auto colorAt = [&](int64_t k) {
        uint32_t color = 0;
        for (int shift : {0, 8, 16}) {
            int start = Channel(startColor, shift), end = Channel(endColor, shift);
            int64_t value = start + DivRoundHalfEven((end - start) * k, parts);
            color |= static_cast<uint32_t>(value) << shift;
        }
        return color;
    };
    int top = 0;
    for (int64_t k = 0; k <= parts && top < height; ++k, top += bandHeight) {
        bands.push_back({top, std::min(bandHeight, height - top), colorAt(k)});
    }
    if (height - top > bandHeight) bands.push_back({top, height - top, colorAt(parts)});
    return bands;
}

TFormMain::TFormMain(const TQuorInstallSet& settings) : settings_(settings) {}

void TFormMain::FormCreate(int screenWidth, int screenHeight) {
    ClientWidth = std::max(600, screenWidth - 100);
    ClientHeight = std::max(400, screenHeight - 200);
    Caption = settings_.Installed ? settings_.Title + "の削除" : settings_.GetSetupCaption();
    LabelRight.Caption = settings_.FooterText + " ";
    LabelRight.Height = 12;
    LabelRight.Left = 0;
    LabelRight.Top = ClientHeight - LabelRight.Height - 8;
    LabelRight.Width = ClientWidth;
}

}  // namespace qi
