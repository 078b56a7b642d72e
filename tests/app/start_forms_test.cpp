#include <gtest/gtest.h>

#include "app/app_harness.h"
#include "app/start_forms.h"

namespace qi {
namespace {

using test::WriteBytes;

class Launcher : public test::AppTest {
protected:
    TFormStart& Create() {
        form = std::make_unique<TFormStart>(settings, programFile, [this](const std::string& file, const std::string& args) {
            opened.push_back(file + "|" + args);
            return 42;
        });
        form->FormCreate();
        return *form;
    }
    std::unique_ptr<TFormStart> form;
    std::vector<std::string> opened;
};

TEST_F(Launcher, RuntimeButtonsGoWhenNotWantedOrNotOnTheMedium) {
    // Both hidden: the window shrinks by two button steps.
    settings.ShowRuntimeButtons = true;
    TFormStart& plain = Create();
    EXPECT_FALSE(plain.btnDirectX.Visible);
    EXPECT_FALSE(plain.btnWinMedia.Visible);
    EXPECT_EQ(plain.btnExit.Top, 116);
    EXPECT_EQ(plain.ClientHeight, 158);

    // Only the media player's installer is there.
    platform::CreateFolders(disc / "winmedia");
    WriteBytes(disc / "winmedia\\mp71.exe", "installer");
    TFormStart& media = Create();
    EXPECT_FALSE(media.btnDirectX.Visible);
    EXPECT_TRUE(media.btnWinMedia.Visible);
    EXPECT_EQ(media.btnWinMedia.Top, 100);
    EXPECT_EQ(media.btnExit.Top, 152);
    EXPECT_EQ(media.ClientHeight, 194);
    media.btnWinMediaClick();
    EXPECT_EQ(opened, std::vector<std::string>{disc / "winmedia\\mp71.exe|"});
    EXPECT_EQ(media.ModalResult, TModalResult::mrNone);

    // Both there, but the settings do not want them.
    platform::CreateFolders(disc / "directx");
    WriteBytes(disc / "directx\\dxsetup.exe", "installer");
    settings.ShowRuntimeButtons = false;
    EXPECT_EQ(Create().ClientHeight, 158);
    settings.ShowRuntimeButtons = true;
    TFormStart& both = Create();
    EXPECT_TRUE(both.btnDirectX.Visible && both.btnWinMedia.Visible);
    EXPECT_EQ(both.btnExit.Top, 188);
    EXPECT_EQ(both.ClientHeight, 230);
}

TEST_F(Launcher, StartNeedsTheInstalledGameAndButtonsReportTheirTag) {
    settings.Title = "Game title";
    TFormStart& f = Create();
    EXPECT_EQ(f.Caption, "Game title");
    EXPECT_FALSE(f.btnStart.Enabled);
    f.btnExitClick();
    EXPECT_EQ(f.ModalResult, TModalResult::mrCancel);

    test::ScratchFolder installed;
    WriteBytes(installed / "game.exe", "game");
    settings.SetValue("InstallPath", installed.Path());
    TFormStart& again = Create();
    EXPECT_TRUE(again.btnStart.Enabled);
    again.btnStartClick(again.btnInstall);
    EXPECT_EQ(again.ModalResult, TModalResult::mrOk);
    EXPECT_EQ(again.ChosenAction, kLaunchInstall);
    again.btnStartClick(again.btnStart);
    EXPECT_EQ(again.ChosenAction, kLaunchGame);
}

TEST(Backdrop, SizeCaptionAndFooter) {
    TQuorInstallSet settings;
    settings.Title = "T";
    TFormMain form(settings);
    form.FormCreate(1024, 768);
    EXPECT_EQ(form.ClientWidth, 924);
    EXPECT_EQ(form.ClientHeight, 568);
    EXPECT_EQ(form.Caption, "Tのセットアップ");
    // An empty footer is a single blank on a strip 12 pixels high, 8 above the edge.
    EXPECT_EQ(form.LabelRight.Caption, " ");
    EXPECT_EQ(form.LabelRight.Top, 568 - 12 - 8);
    EXPECT_EQ(form.LabelRight.Width, 924);

    settings.Installed = true;
    settings.FooterText = "(C) Maker";
    form.FormCreate(640, 480);
    EXPECT_EQ(form.ClientWidth, 600);
    EXPECT_EQ(form.ClientHeight, 400);
    EXPECT_EQ(form.Caption, "Tの削除");
    EXPECT_EQ(form.LabelRight.Caption, "(C) Maker ");
}

TEST(Backdrop, GradientBandsStepFromBlueToNavy) {
    EXPECT_EQ(DivRoundHalfEven(5, 2), 2);
    EXPECT_EQ(DivRoundHalfEven(7, 2), 4);
    EXPECT_EQ(DivRoundHalfEven(-5, 2), -2);
    EXPECT_EQ(DivRoundHalfEven(-7, 2), -4);
    EXPECT_EQ(DivRoundHalfEven(-127 * 65, 129), -64);

    // 568 pixels: bands of 4 pixels (568 / 129 = 4.4), 130 of them, and the
    // 48 pixels left below in navy.
    auto bands = GradientBands(568, TFormMain::kStartColor, TFormMain::kEndColor, TFormMain::kGradStep);
    ASSERT_EQ(bands.size(), 131u);
    EXPECT_EQ(bands[0].Color, 0x00FF0000u);
    EXPECT_EQ(bands[1].Top, 4);
    EXPECT_EQ(bands[1].Color, 0x00FE0000u);
    EXPECT_EQ(bands[129].Top, 516);
    EXPECT_EQ(bands[129].Color, 0x00800000u);
    EXPECT_EQ(bands[130].Top, 520);
    EXPECT_EQ(bands[130].Height, 48);
    EXPECT_EQ(bands[130].Color, 0x00800000u);

    // A low box: bands of one pixel, cut at its bottom, nothing below.
    auto low = GradientBands(100, TFormMain::kStartColor, TFormMain::kEndColor, TFormMain::kGradStep);
    ASSERT_EQ(low.size(), 100u);
    EXPECT_EQ(low.back().Top, 99);
    EXPECT_EQ(low.back().Height, 1);
    // 9 / 2 = 4.5 rounds to the even 4; the last band is cut to one pixel.
    auto rising = GradientBands(9, 0x00000000, 0x000000FF, 1);
    ASSERT_EQ(rising.size(), 3u);
    EXPECT_EQ(rising[1].Top, 4);
    EXPECT_EQ(rising[1].Color, 0x00000080u);  // 127.5 rounds to the even 128
    EXPECT_EQ(rising[2].Top, 8);
    EXPECT_EQ(rising[2].Height, 1);
    EXPECT_EQ(rising[2].Color, 0x000000FFu);
}

}  // namespace
}  // namespace qi
