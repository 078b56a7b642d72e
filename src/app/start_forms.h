#pragma once
// The launcher on the medium and the backdrop behind the wizard as form
// models: their controls' positions, captions and texts, the launcher's
// result, and the backdrop's gradient bands. A window (or a renderer) shows
// them; tests read them directly. The title image is drawn by the view.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/install_set.h"
#include "wizard/form_controls.h"

namespace qi {

struct PlacedControl : TControl {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Tag = 0;
};

class TFormStart {
public:
    // startProgram opens a runtime installer of the medium (the shell's
    // "open"); its result is not looked at.
    TFormStart(const TQuorInstallSet& settings, std::string programFile,
               std::function<int(const std::string& file, const std::string& arguments)> startProgram);

    void FormCreate();
    void btnStartClick(const PlacedControl& sender);  // btnStart and btnInstall
    void btnDirectXClick();
    void btnWinMediaClick();
    void btnExitClick() { ModalResult = TModalResult::mrCancel; }
    void Close() { ModalResult = TModalResult::mrCancel; }

    std::string Caption;
    int ClientWidth = 265, ClientHeight = 230;
    PlacedControl btnStart, btnInstall, btnDirectX, btnWinMedia, btnExit;
    TModalResult ModalResult = TModalResult::mrNone;
    // The tag of the button that closed the launcher with OK.
    int ChosenAction = 0;

private:
    const TQuorInstallSet& settings_;
    std::string mediumFolder_;
    std::function<int(const std::string&, const std::string&)> startProgram_;
};

// One horizontal band of the backdrop's gradient.
struct GradientBand {
    int Top = 0, Height = 0;
    uint32_t Color = 0;  // 0x00BBGGRR
};

// The bands a gradient box of that height paints from the top: GradStep + 2
// bands of height / (GradStep + 1) pixels (rounded, halves to even, at
// least 1), colours stepping from startColor to endColor, and, when more
// than one band height stays below them, that space in the last colour.
// Bands that would start below the box are left out.
std::vector<GradientBand> GradientBands(int height, uint32_t startColor, uint32_t endColor, int gradStep);

class TFormMain {
public:
    explicit TFormMain(const TQuorInstallSet& settings);
    // Sizes the window for a screen of that size and sets caption and footer.
    void FormCreate(int screenWidth, int screenHeight);

    std::string Caption;
    int ClientWidth = 444, ClientHeight = 283;
    PlacedControl LabelRight;
    static constexpr uint32_t kStartColor = 0x00FF0000;  // blue
    static constexpr uint32_t kEndColor = 0x00800000;    // navy
    static constexpr int kGradStep = 128;

private:
    const TQuorInstallSet& settings_;
};

// a / b rounded to the nearest integer, halves to even (b > 0).
int64_t DivRoundHalfEven(int64_t a, int64_t b);

}  // namespace qi
