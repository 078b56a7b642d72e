// The launcher and the backdrop as windows.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

#include "app/window_pictures.h"
#include "qt/desktop_harness.h"
#include "ui/qt/backdrop_window.h"
#include "ui/qt/qt_text.h"

namespace qi {
namespace {

using namespace test;

QRect Place(const char* button) { return Child("FormStart", button)->geometry(); }

TEST_F(DesktopRun, TheLauncherInBothLayouts) {
    EXPECT_TRUE(QFontMetrics(WindowFont()).inFontUcs4(U'ス')) << "no Japanese font";
    settings.TitleImage = "title.vxa";
    settings.ShowRuntimeButtons = true;
    PutArchive({TitleImageEntry(265, 230)});  // covers the whole window
    Put(disc / "directx\\dxsetup.exe", "installer");
    Put(disc / "winmedia\\mp71.exe", "installer");
    // Both runtime installers on the disc: five buttons over the title
    // image; a runtime button starts its installer and the launcher stays.
    robot.Then("the launcher", [] { return Window("FormStart"); }, [] {
        EXPECT_EQ(Window("FormStart")->size(), QSize(265, 230));
        EXPECT_EQ(Place("btnWinMedia"), QRect(28, 136, 213, 29));
        EXPECT_EQ(Place("btnExit"), QRect(28, 188, 213, 29));
        EXPECT_FALSE(Child("FormStart", "btnStart")->isEnabled());  // nothing installed
        QImage picture = Snapshot("FormStart", "launcher-runtime-buttons");
        EXPECT_EQ(qRed(picture.pixel(5, 5)), 255);  // the title image behind the buttons
        EXPECT_EQ(qBlue(picture.pixel(5, 5)), 0);
        Click("FormStart", "btnDirectX");
        Click("FormStart", "btnExit");
    });
    EXPECT_EQ(Run({}).End, SetupEnd::LauncherClosed);
    EXPECT_EQ(host->started, std::vector<std::string>{disc / "directx\\dxsetup.exe|"});

    // Without them the window is two steps lower; "install" starts the
    // temporary copy with the disc folder.
    settings.ShowRuntimeButtons = false;
    robot.Then("the small launcher", [] { return Window("FormStart"); }, [] {
        EXPECT_EQ(Window("FormStart")->size(), QSize(265, 158));
        EXPECT_EQ(Place("btnExit"), QRect(28, 116, 213, 29));
        EXPECT_FALSE(Child("FormStart", "btnDirectX")->isVisible());
        Snapshot("FormStart", "launcher");
        Click("FormStart", "btnInstall");
    });
    SetupOutcome outcome = Run({});
    EXPECT_EQ(outcome.End, SetupEnd::Finished);
    ASSERT_EQ(host->started.size(), 2u);
    EXPECT_EQ(host->started[1], "copy " + temp / "~qinstall.exe|\"" + disc.Path() + "\"");
}

// --save-launcher and --save-backdrop save the windows themselves, their
// texts included.
TEST_F(DesktopRun, SavedPicturesShowTheWindowsWithTheirTexts) {
    settings.FooterText = Core("(C) ゲームの作り手");
    PictureRequest pictures;
    pictures.LauncherFile = platform::NativePath(temp / "launcher.png");
    pictures.BackdropFile = platform::NativePath(temp / "backdrop.png");
    host = std::make_unique<TestQtHost>(programFile, pictures);
    robot.Then("the launcher", [] { return Window("FormStart"); }, [] { Click("FormStart", "btnExit"); });
    Run({});
    robot.Then("the wizard", [] { return Window("FormType"); }, [] { Window("FormType")->close(); });
    robot.Answer("Yes", [] {});
    Run({disc.Path()});
    QImage launcher(QString::fromStdString(pictures.LauncherFile));
    ASSERT_EQ(launcher.size(), QSize(265, 158));
    EXPECT_GT(Ink(launcher, QRect(28, 116, 213, 29)), 20);  // "終了" on its button
    QImage backdrop(QString::fromStdString(pictures.BackdropFile));
    ASSERT_FALSE(backdrop.isNull());
    EXPECT_GT(Ink(backdrop, QRect(backdrop.width() / 2, backdrop.height() - 20, backdrop.width() / 2, 12)), 20);
}

TEST_F(DesktopRun, TheBackdropIsSizedForTheScreen) {
    settings.FooterText = Core("(C) ゲームの作り手");
    struct Case {
        QSize screen, client;
    };
    for (const Case& c : {Case{{1024, 768}, {924, 568}}, Case{{640, 480}, {600, 400}}}) {
        TFormMain form(settings);
        TDXPaintBox box;
        EXPECT_EQ(CreateBackdrop(form, box, settings, nullptr, c.screen.width(), c.screen.height()), "");
        BackdropWindow window(form, box);
        window.ShowCentred();
        EXPECT_EQ(window.size(), c.client);
        auto* footer = window.findChild<QLabel*>("LabelRight");
        ASSERT_TRUE(footer);
        EXPECT_EQ(footer->geometry(), QRect(0, c.client.height() - 20, c.client.width(), 12));
        EXPECT_EQ(footer->text(), QString::fromUtf8("(C) ゲームの作り手 "));
        QImage picture = Snapshot("FormMain", "backdrop-" + std::to_string(c.screen.width()));
        EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 0, 255));  // the gradient's first band
        EXPECT_GT(Ink(picture, footer->geometry().adjusted(c.client.width() / 2, 0, 0, 0)), 20);
    }
}

}  // namespace
}  // namespace qi
