// The setup program's real windows under a display: their layout against
// the models' tables, their pictures, a whole installation clicked through,
// Abort during the copy, a disc prompt, and the uninstallation by the
// installed uninstaller; screenshots are kept for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/start_forms.h"
#include "gui/gui_driver.h"
#include "image/png.h"
#include "ui/front_ends.h"
#include "ui/recording_host.h"
#include "ui/win32/win32_host.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/window_ids.h"
#include "wizard/run_harness.h"

namespace qi {
namespace {

using test::Dos;
using test::Entry;
using test::GuiDriver;
using test::ReadBytes;
using test::WriteBytes;
using namespace win32;

using TestHost = test::RecordingHost<Win32Host>;

// A saved PNG picture as a surface.
void LoadPicture(const std::string& file, TDIBSurface& picture) {
    const RgbaImage image = DecodePng(ReadBytes(file));
    picture.SetSize(image.Width, image.Height, 24);
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* rgba = &image.Pixels[static_cast<size_t>(y * image.Width + x) * 4];
            picture.SetPixel(x, y, picture.ColorToPixel(rgba[0], rgba[1], rgba[2]));
        }
    }
}

uint32_t ColorAt(const TDIBSurface& picture, int x, int y) { return picture.PixelToColor(picture.Pixel(x, y)); }

// The text of a message box (its static control that is not the icon).
std::wstring BoxText(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        const std::wstring text = WindowText(child);
        if (lstrcmpiW(name, L"Static") == 0 && text.size() > 1) return text;
    }
    return {};
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

class Windows : public test::RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        settings.Title = "窓のゲーム " + settings.Title.substr(6);
        settings.HelloText = "ようこそ。\nこのゲームをインストールします。";
        settings.LicenseText = "ライセンス";
        PutSourceFiles({{"game.exe", "exe"}});
        PutArchive({Entry("scene.txt", "scene", Dos(2020, 1, 1))});
        programFile = disc / "setup.exe";
        WriteBytes(programFile, "program");
    }
    // The run on the main thread while script drives its windows.
    SetupOutcome Run(std::vector<std::string> arguments, const std::function<void(GuiDriver&)>& script) {
        settings.SaveToFile(disc / "install.dat");
        TestHost host(programFile);
        GuiDriver driver(script);
        SetupApp app(host, {std::move(arguments), programFile, temp.Path(), ""});
        SetupOutcome outcome = app.Run();
        EXPECT_EQ(driver.Finish(), "");
        started = host.started;
        return outcome;
    }

    // Every control shown on the wizard's current page, and those below the
    // pages, at its place in the layout table.
    static void CheckPage(GuiDriver& gui, HWND wizard) {
        for (const ControlPlace& place : WizardLayout()) {
            HWND control = gui.Control(wizard, WizardControlId(place.id));
            if (!IsWindowVisible(control)) continue;
            const RECT at = GuiDriver::PlaceIn(wizard, control);
            const bool placed = at.left == place.left && at.top == place.top && at.right - at.left == place.width &&
                                (place.kind == ControlKind::DriveList || at.bottom - at.top == place.height);
            gui.Check(placed, std::string(place.name) + " at " + Text(at));
        }
    }
    // Photographs the backdrop with the wizard on it, checks the page, and
    // checks that the Next button's caption was drawn.
    static HWND Page(GuiDriver& gui, const std::string& caption, const std::string& shot) {
        HWND wizard = gui.Window(kWizardClass, caption);
        CheckPage(gui, wizard);
        TDIBSurface picture;
        HWND backdrop = gui.Window(kBackdropClass);
        gui.Screenshot(backdrop, shot, picture);
        HWND next = gui.Control(wizard, WizardControlId(WizardControl::btnAbort));
        gui.Check(GuiDriver::TextPixels(picture, backdrop, next) > 20, "no caption drawn on " + shot);
        return wizard;
    }
    static void Press(GuiDriver& gui, HWND wizard, WizardControl id) {
        gui.Click(gui.Control(wizard, WizardControlId(id)));
    }
    // From the first page to the folder page.
    HWND WalkToFolderPage(GuiDriver& gui, const std::string& shots) {
        HWND wizard = Page(gui, "ようこそ", shots + "-1-hello");
        Press(gui, wizard, WizardControl::btnNext);
        wizard = Page(gui, "ライセンス契約", shots + "-2-license");
        gui.Check(!IsWindowEnabled(gui.Control(wizard, WizardControlId(WizardControl::btnNext))),
                  "next is enabled before the licence is accepted");
        Press(gui, wizard, WizardControl::CheckLicense);
        Press(gui, wizard, WizardControl::btnNext);
        if (settings.DiscCount > 1) {
            wizard = Page(gui, "インストールするCD-ROM", shots + "-2-media");
            gui.Check(SendMessageW(gui.Control(wizard, WizardControlId(WizardControl::RadioDiskAll)), BM_GETCHECK, 0,
                                   0) == BST_CHECKED,
                      "all discs are not chosen");
            Press(gui, wizard, WizardControl::btnNext);
        }
        wizard = Page(gui, "インストールするファイル", shots + "-3-file");
        Press(gui, wizard, WizardControl::CheckData);
        Press(gui, wizard, WizardControl::btnNext);
        return Page(gui, "インストール先の選択", shots + "-4-seldir");
    }
    // From the first page to the confirmation page.
    void WalkToConfirm(GuiDriver& gui, const std::string& shots) {
        HWND wizard = WalkToFolderPage(gui, shots);
        gui.SetText(gui.Control(wizard, WizardControlId(WizardControl::EditDir)), Folder());
        Press(gui, wizard, WizardControl::btnNext);
        Page(gui, "インストール準備完了", shots + "-5-confirm");
    }
    std::string Folder() const { return target.Path().substr(0, target.Path().size() - 1); }
    // The backdrop's client size on this screen.
    static SIZE BackdropClient() {
        return {std::max(600, GetSystemMetrics(SM_CXSCREEN) - 100), std::max(400, GetSystemMetrics(SM_CYSCREEN) - 200)};
    }
    std::string InstallPath() const { return settings.GetValue("InstallPath", ""); }

    test::ScratchFolder temp;
    std::string programFile;
    std::vector<std::string> started;
};

// The launcher without the runtime installers, then with both: client
// size, the buttons' places and captions, and the choice it reports, made
// by a click or by Enter.
TEST_F(Windows, TheLauncherInBothLayouts) {
    auto launcher = [&](int clientHeight, std::vector<int> tops, const std::string& shot, int pressed) {
        return [=, this](GuiDriver& gui) {
            HWND window = gui.Window(kLauncherClass, settings.Title);
            const SIZE client = GuiDriver::ClientSize(window);
            gui.Check(client.cx == 265 && client.cy == clientHeight,
                      "launcher client " + std::to_string(client.cx) + "x" + std::to_string(client.cy));
            for (int i = 0; i < kLauncherButtonCount; ++i) {
                HWND button = gui.Control(window, kLauncherButtonId + i);
                const RECT at = GuiDriver::PlaceIn(window, button);
                const bool shown = tops[static_cast<size_t>(i)] >= 0;
                gui.Check(IsWindowVisible(button) == shown, "button " + std::to_string(i) + " shown");
                if (shown) {
                    gui.Check(at.left == 28 && at.top == tops[static_cast<size_t>(i)] && at.right - at.left == 213 &&
                                  at.bottom - at.top == 29,
                              "button " + std::to_string(i) + " at " + Text(at));
                }
            }
            gui.Check(!IsWindowEnabled(gui.Control(window, kLauncherButtonId)), "the start button is enabled");
            TDIBSurface picture;
            gui.Screenshot(window, shot, picture);
            gui.Check(GuiDriver::TextPixels(picture, window, gui.Control(window, kLauncherButtonId + 1)) > 20,
                      "no caption drawn on the install button");
            if (pressed >= 0) {
                gui.Click(gui.Control(window, kLauncherButtonId + pressed));
            } else {
                // Enter presses the focused button, the first enabled one: install.
                PostMessageW(gui.Control(window, kLauncherButtonId + 1), WM_KEYDOWN, VK_RETURN, 0);
            }
            gui.WaitFor([&] { return !IsWindowVisible(window); }, "the launcher closed");
        };
    };
    EXPECT_EQ(Run({}, launcher(158, {12, 64, -1, -1, 116}, "launcher-158", 4)).End, SetupEnd::LauncherClosed);

    settings.ShowRuntimeButtons = true;
    Put(disc / "directx\\dxsetup.exe", "dx");
    Put(disc / "winmedia\\mp71.exe", "mp");
    Run({}, launcher(230, {12, 64, 100, 136, 188}, "launcher-230", -1));
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], temp / "~qinstall.exe|\"" + disc.Path() + "\"");
}

// A whole installation clicked through on the backdrop; then the game's
// uninstaller, this setup program installed as "install.exe", started as a
// program of its own: its temporary copy's windows remove the game.
TEST_F(Windows, AnInstallationClickedThroughThenTheInstalledUninstaller) {
    std::string program = "Z:" QI_SETUP_PROGRAM;
    std::replace(program.begin(), program.end(), '/', '\\');
    PutSourceFiles({{"install.exe", ReadBytes(program)}});
    SetupOutcome outcome = Run({disc.Path()}, [&](GuiDriver& gui) {
        HWND backdrop = gui.Window(kBackdropClass);
        const SIZE client = GuiDriver::ClientSize(backdrop), expected = BackdropClient();
        gui.Check(client.cx == expected.cx && client.cy == expected.cy,
                  "backdrop client " + std::to_string(client.cx) + "x" + std::to_string(client.cy));
        const RECT footer = GuiDriver::PlaceIn(backdrop, gui.Control(backdrop, kFooterId));
        gui.Check(footer.left == 0 && footer.top == client.cy - 20 && footer.right == client.cx &&
                      footer.bottom == client.cy - 8,
                  "footer at " + Text(footer));
        HWND wizard = gui.Window(kWizardClass);
        const SIZE dialog = GuiDriver::ClientSize(wizard);
        gui.Check(dialog.cx == kWizardClientWidth && dialog.cy == kWizardClientHeight, "wizard client size");
        WalkToConfirm(gui, "install");
        Press(gui, gui.Window(kWizardClass), WizardControl::btnNext);
        wizard = Page(gui, "完了", "install-6-exit");
        // Enter presses the button the last page gives the focus: close.
        PostMessageW(gui.Control(wizard, WizardControlId(WizardControl::btnAbort)), WM_KEYDOWN, VK_RETURN, 0);
        gui.WaitFor([&] { return !IsWindowVisible(wizard); }, "the wizard closed by Enter");
    });
    ASSERT_EQ(outcome.WizardResult, TModalResult::mrOk);
    ASSERT_EQ(InstallPath(), target.Path());
    EXPECT_TRUE(Saved().Installed);
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
    ASSERT_TRUE(LinkExists(MenuFolder(), settings.Title + "のアンインストール"));

    // The installed uninstaller hands over to its temporary copy, whose
    // windows come up; the test waits for both programs to end.
    HANDLE copy = nullptr;
    GuiDriver driver([&](GuiDriver& gui) {
        HWND wizard = Page(gui, "アンインストール", "uninstall-1");
        DWORD id = 0;
        GetWindowThreadProcessId(wizard, &id);
        copy = OpenProcess(SYNCHRONIZE, FALSE, id);
        gui.Check(WindowText(gui.Control(wizard, WizardControlId(WizardControl::btnNext))) == Wide("実行"),
                  "the execute button");
        Press(gui, wizard, WizardControl::btnNext);
        wizard = Page(gui, "完了", "uninstall-2-exit");
        Press(gui, wizard, WizardControl::btnAbort);
    }, true);
    std::wstring command = L"\"" + Wide(target / "install.exe") + L"\"";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION uninstaller{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &uninstaller));
    CloseHandle(uninstaller.hThread);
    EXPECT_EQ(WaitForSingleObject(uninstaller.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(uninstaller.hProcess);
    EXPECT_EQ(driver.Finish(), "");
    ASSERT_TRUE(copy);
    EXPECT_EQ(WaitForSingleObject(copy, 20000), WAIT_OBJECT_0);
    CloseHandle(copy);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_FALSE(platform::FileExists(target / "install.exe"));
    EXPECT_FALSE(platform::FileExists(target / "game.dat"));
    EXPECT_EQ(InstallPath(), "");
    EXPECT_FALSE(LinkExists(MenuFolder(), settings.Title + "のアンインストール"));
}

// Abort pressed as the copy starts: the question comes up as a message box
// owned by the wizard, and Yes stops the installation.
TEST_F(Windows, AbortDuringTheCopy) {
    SetupOutcome outcome = Run({disc.Path()}, [&](GuiDriver& gui) {
        WalkToConfirm(gui, "abort");
        HWND wizard = gui.Window(kWizardClass);
        Press(gui, wizard, WizardControl::btnNext);
        PostMessageW(gui.Control(wizard, WizardControlId(WizardControl::btnAbort)), BM_CLICK, 0, 0);
        HWND box = gui.MessageBox();
        gui.Check(GetWindow(box, GW_OWNER) == wizard, "the box is owned by the wizard");
        TDIBSurface picture;
        gui.Screenshot(box, "abort-question", picture);
        gui.Click(GetDlgItem(box, IDYES));
    });
    EXPECT_EQ(outcome.WizardResult, TModalResult::mrAbort);
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_EQ(InstallPath(), "");
}

// Enter in the folder list opens the chosen folder, as a double click does,
// the proposed sub-folder appended; it does not press the default button.
TEST_F(Windows, EnterInTheFolderListOpensTheFolder) {
    Run({disc.Path()}, [&](GuiDriver& gui) {
        HWND wizard = WalkToFolderPage(gui, "folders");
        HWND list = gui.Control(wizard, WizardControlId(WizardControl::Directory));
        wchar_t line[MAX_PATH] = {};
        SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(line));  // the root's first folder
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
        const std::wstring opened = L"C:\\" + std::wstring(line).substr(2) + Wide("\\QiWizardGames\\Game");
        HWND edit = gui.Control(wizard, WizardControlId(WizardControl::EditDir));
        gui.WaitFor([&] { return WindowText(edit) == opened; }, "the folder opened in the folder box");
        gui.Check(WindowText(wizard) == Wide("インストール先の選択"), "the folder page was left");
        Press(gui, wizard, WizardControl::btnAbort);
        gui.Click(GetDlgItem(gui.MessageBox(), IDYES));
    });
}

// The second of two discs asked for in a message box with the run's text
// and its OK and Abort buttons, over the copy page showing the work so far;
// the disc is changed, OK pressed, and the installation ends with both
// discs' entries.
TEST_F(Windows, TheSecondDiscAskedForInAMessageBox) {
    Discs(2, 100, 1000);
    SetupOutcome outcome = Run({disc.Path()}, [&](GuiDriver& gui) {
        WalkToConfirm(gui, "discs");
        Press(gui, gui.Window(kWizardClass), WizardControl::btnNext);
        HWND box = gui.MessageBox();
        gui.Check(BoxText(box) == Wide("ディスク2を入れてからOKをクリックしてください"), "the prompt's text");
        HWND copying = gui.Control(gui.Window(kWizardClass), WizardControlId(WizardControl::LabelCopy));
        gui.Check(WindowText(copying) == Wide("game.exe をコピー中..."),
                  "the copy page shows " + Narrow(WindowText(copying)));
        gui.Check(WindowText(GetDlgItem(box, IDCANCEL)) == Wide("中止"), "the abort button");
        TDIBSurface picture;
        gui.Screenshot(gui.Window(kBackdropClass), "discs-6-copy-prompt", picture);  // the box on the copy page
        TQuorInstallSet second = settings;
        second.DiscIndex = 1;
        second.SourceFiles.clear();
        second.SaveToFile(disc / "install.dat");
        PutArchive({Entry("second.txt", "disc two", Dos(2020, 1, 1))});
        gui.Click(GetDlgItem(box, IDOK));
        Press(gui, Page(gui, "完了", "discs-7-exit"), WizardControl::btnAbort);
    });
    ASSERT_EQ(outcome.WizardResult, TModalResult::mrOk);
    EXPECT_EQ(DataEntry("scene.txt"), "scene");
    EXPECT_EQ(DataEntry("second.txt"), "disc two");
}

// The windows front end saves the launcher and the backdrop as the screen
// shows them: the buttons' captions, the footer's text, and the title image
// where the models put it (200 x 100, centred in both windows).
TEST_F(Windows, ThePicturesOfTheWindowsShowTextAndTitleImage) {
    settings.TitleImage = "title.vxa";
    settings.FooterText = "フッター";
    PutArchive({Entry("scene.txt", "scene", Dos(2020, 1, 1)), test::TitleImageEntry(200, 100)});
    settings.SaveToFile(disc / "install.dat");
    // Kept with the screenshots.
    const PictureRequest pictures{"screenshots\\saved-launcher.png", "screenshots\\saved-backdrop.png"};
    platform::RemoveFile(pictures.LauncherFile);
    platform::RemoveFile(pictures.BackdropFile);
    {
        GuiDriver driver([&](GuiDriver& gui) {
            HWND launcher = gui.Window(kLauncherClass);
            gui.WaitFor([&] { return platform::FileExists(pictures.LauncherFile); }, "the launcher's picture");
            gui.Click(gui.Control(launcher, kLauncherButtonId + 4));
        });
        RunWindowsFrontEnd({{}, programFile, temp.Path(), ""}, pictures);
        EXPECT_EQ(driver.Finish(), "");
    }
    {
        GuiDriver driver([&](GuiDriver& gui) {
            HWND wizard = gui.Window(kWizardClass);
            gui.WaitFor([&] { return platform::FileExists(pictures.BackdropFile); }, "the backdrop's picture");
            Press(gui, wizard, WizardControl::btnAbort);
            gui.Click(GetDlgItem(gui.MessageBox(), IDYES));
        });
        RunWindowsFrontEnd({{disc.Path()}, programFile, temp.Path(), ""}, pictures);
        EXPECT_EQ(driver.Finish(), "");
    }
    constexpr uint32_t kRed = 0x0000FF, kYellowEnd = 0x00FDFF;  // the image's first and last column

    TDIBSurface launcher;
    LoadPicture(pictures.LauncherFile, launcher);
    ASSERT_EQ(launcher.Width(), 265);
    ASSERT_EQ(launcher.Height(), 158);
    EXPECT_GT(GuiDriver::TextPixels(launcher, RECT{28, 64, 241, 93}), 20) << "the install button's caption";
    EXPECT_EQ(ColorAt(launcher, 32, 50), kRed);  // left (265 - 200) / 2, between two buttons
    EXPECT_NE(ColorAt(launcher, 31, 50), kRed);

    TDIBSurface backdrop;
    LoadPicture(pictures.BackdropFile, backdrop);
    const SIZE client = BackdropClient();
    ASSERT_EQ(backdrop.Width(), client.cx);
    ASSERT_EQ(backdrop.Height(), client.cy);
    const int left = (client.cx - 200) / 2, top = (client.cy - 100) / 2;
    EXPECT_EQ(ColorAt(backdrop, left, top), kRed);
    EXPECT_EQ(ColorAt(backdrop, left + 199, top + 99), kYellowEnd);
    EXPECT_NE(ColorAt(backdrop, left - 1, top), kRed);  // the gradient around it
    int lit = 0;  // the footer's white text on its black strip
    for (int y = client.cy - 20; y < client.cy - 8; ++y) {
        for (int x = client.cx / 2; x < client.cx; ++x) lit += ColorAt(backdrop, x, y) == 0xFFFFFF;
    }
    EXPECT_GT(lit, 20);
}

}  // namespace
}  // namespace qi
