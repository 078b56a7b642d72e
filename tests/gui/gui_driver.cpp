#include "gui/gui_driver.h"

#include "platform/platform.h"
#include "ui/pictures/picture_host.h"
#include "ui/win32/screen_picture.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/window_support.h"

namespace qi::test {

namespace {

constexpr int kPatience = 400;  // times 50 ms
const char kScreenshots[] = "screenshots";

struct Found {
    DWORD thread;
    const wchar_t* className;
    std::wstring caption;
    HWND window = nullptr;
};

BOOL CALLBACK FindTop(HWND window, LPARAM data) {
    auto& found = *reinterpret_cast<Found*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if ((found.thread && GetWindowThreadProcessId(window, nullptr) != found.thread) || !IsWindowVisible(window) ||
        std::wstring(name) != found.className) {
        return TRUE;
    }
    if (!found.caption.empty() && win32::WindowText(window) != found.caption) return TRUE;
    found.window = window;
    return FALSE;
}

struct ById {
    int id;
    HWND window = nullptr;
};

BOOL CALLBACK FindId(HWND window, LPARAM data) {
    auto& found = *reinterpret_cast<ById*>(data);
    if (GetDlgCtrlID(window) != found.id) return TRUE;
    found.window = window;
    return FALSE;
}

}  // namespace

GuiDriver::GuiDriver(std::function<void(GuiDriver&)> script, bool anyProcess)
    : script_(std::move(script)), guiThread_(anyProcess ? 0 : GetCurrentThreadId()) {
    InitializeCriticalSection(&lock_);
    CreateDirectoryA(kScreenshots, nullptr);
    thread_ = CreateThread(nullptr, 0, RunScript, this, 0, nullptr);
}

DWORD WINAPI GuiDriver::RunScript(void* driver) {
    auto& self = *static_cast<GuiDriver*>(driver);
    try {
        self.script_(self);
    } catch (const Stop&) {
        self.CloseEverything();
    }
    return 0;
}

GuiDriver::~GuiDriver() {
    Finish();
    DeleteCriticalSection(&lock_);
}

std::string GuiDriver::Finish() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    std::string all;
    for (const auto& problem : problems_) all += problem + "\n";
    return all;
}

void GuiDriver::Note(const std::string& problem) {
    EnterCriticalSection(&lock_);
    problems_.push_back(problem);
    LeaveCriticalSection(&lock_);
}

void GuiDriver::Fail(const std::string& problem) {
    Note(problem);
    throw Stop{};
}

void GuiDriver::WaitFor(const std::function<bool()>& test, const std::string& what) {
    for (int i = 0; i < kPatience; ++i) {
        if (test()) return;
        Sleep(50);
    }
    Fail("waited in vain for " + what);
}

HWND GuiDriver::Window(const wchar_t* className, const std::string& caption) {
    Found found{guiThread_, className, win32::Wide(caption)};
    WaitFor([&] {
        found.window = nullptr;
        EnumWindows(FindTop, reinterpret_cast<LPARAM>(&found));
        return found.window != nullptr;
    }, "a window " + std::string(className, className + wcslen(className)) + " " + platform::Utf8FromCp932(caption));
    return found.window;
}

HWND GuiDriver::MessageBox() { return Window(L"#32770"); }

HWND GuiDriver::Control(HWND top, int id) {
    ById found{id};
    EnumChildWindows(top, FindId, reinterpret_cast<LPARAM>(&found));
    if (!found.window) Fail("no control with id " + std::to_string(id));
    return found.window;
}

void GuiDriver::Click(HWND button) {
    WaitFor([&] { return IsWindowEnabled(button) && IsWindowVisible(button); }, "an enabled button");
    PostMessageW(button, BM_CLICK, 0, 0);
}

void GuiDriver::SetText(HWND control, const std::string& text) {
    const std::wstring wide = win32::Wide(text);
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

RECT GuiDriver::PlaceIn(HWND top, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE GuiDriver::ClientSize(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

void GuiDriver::Screenshot(HWND window, const std::string& name, TDIBSurface& picture) {
    Sleep(300);  // the last repaint
    win32::CopyFromScreen(win32::WindowRect(window), picture);
    SavePictureAsPng(std::string(kScreenshots) + "\\" + name + ".png", picture, "");
}

int GuiDriver::TextPixels(const TDIBSurface& picture, HWND window, HWND control) {
    RECT outer{}, inner{};
    GetWindowRect(window, &outer);
    GetWindowRect(control, &inner);
    OffsetRect(&inner, -outer.left, -outer.top);
    return TextPixels(picture, inner);
}

int GuiDriver::TextPixels(const TDIBSurface& picture, const RECT& place) {
    int dark = 0;
    for (int y = place.top + 4; y < place.bottom - 4; ++y) {
        for (int x = place.left + 4; x < place.right - 4; ++x) {
            const uint32_t pixel = picture.Pixel(x, y);
            const int sum = static_cast<int>((pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF));
            if (sum < 3 * 100) ++dark;
        }
    }
    return dark;
}

// Answers every box with its first button and closes the program's
// windows until the run has ended.
void GuiDriver::CloseEverything() {
    for (int i = 0; i < kPatience; ++i) {
        bool any = false;
        for (const wchar_t* name : {L"#32770", L"QiWizard", L"QiLauncher"}) {
            Found found{guiThread_, name, {}};
            EnumWindows(FindTop, reinterpret_cast<LPARAM>(&found));
            if (!found.window) continue;
            any = true;
            if (std::wstring(name) == L"#32770") {
                PostMessageW(found.window, WM_COMMAND, IDYES, 0);
                PostMessageW(found.window, WM_COMMAND, IDOK, 0);
            } else {
                PostMessageW(found.window, WM_CLOSE, 0, 0);
            }
        }
        if (!any) return;
        Sleep(100);
    }
}

}  // namespace qi::test
