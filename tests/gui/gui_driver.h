#pragma once
// Drives the setup program's windows from a second thread (a system
// thread: the test's code page keeps <thread> out) through window
// messages, as a user's clicks would arrive, while the test's main thread
// runs the program's modal loops. Problems are collected and reported by
// the main thread once the run is over.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "image/dib_surface.h"

namespace qi::test {

class GuiDriver {
public:
    // Runs script on its own thread; the thread that constructs the driver
    // is the one whose windows it drives, or, with anyProcess, whichever
    // program shows them (one the test started).
    explicit GuiDriver(std::function<void(GuiDriver&)> script, bool anyProcess = false);
    ~GuiDriver();
    // Joins the script; its problems, one per line.
    std::string Finish();

    // Thrown out of the script when a step fails; the driver then closes
    // whatever is open so that the run ends.
    struct Stop {};
    void Fail(const std::string& problem);
    void Check(bool ok, const std::string& problem) {
        if (!ok) Note(problem);
    }
    void Note(const std::string& problem);

    // The visible top window of that class (after a wait); the one whose
    // caption is caption (code page 932), when given.
    HWND Window(const wchar_t* className, const std::string& caption = {});
    // The program's message box, once it is open.
    HWND MessageBox();
    // A control of top (any depth) by its id.
    HWND Control(HWND top, int id);
    // Waits until test holds (about 20 seconds at most).
    void WaitFor(const std::function<bool()>& test, const std::string& what);

    void Click(HWND button);
    void SetText(HWND control, const std::string& text);

    // Client-area figures: a control's place in its top window's client area.
    static RECT PlaceIn(HWND top, HWND control);
    static SIZE ClientSize(HWND window);
    // The screen as shown over the window's rectangle (owned windows on top
    // included), saved as PNG under the screenshot folder.
    void Screenshot(HWND window, const std::string& name, TDIBSurface& picture);
    // Pixels much darker than the face colour inside a control of the
    // photographed window, its border left out: text.
    static int TextPixels(const TDIBSurface& picture, HWND window, HWND control);
    // The same inside place (the picture's coordinates).
    static int TextPixels(const TDIBSurface& picture, const RECT& place);

private:
    static DWORD WINAPI RunScript(void* driver);
    void CloseEverything();
    std::function<void(GuiDriver&)> script_;
    DWORD guiThread_;  // 0: any
    CRITICAL_SECTION lock_;
    std::vector<std::string> problems_;
    HANDLE thread_ = nullptr;
};

}  // namespace qi::test
