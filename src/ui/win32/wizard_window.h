#pragma once
// The wizard as a window over its form model: a fixed dialog with the
// model's client area, the ten pages as child panels (only the current one
// shown), every control of the layout table at its place, and the three
// buttons below. The window forwards clicks, typed text, picked folders and
// drives and the close box to the model, and shows the model's state again
// after every handler and whenever the model reports a change.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "wizard/form_type.h"

namespace qi::win32 {

class WizardWindow {
public:
    // Created hidden, owned by and centred on owner.
    WizardWindow(TFormType& form, HWND owner, std::string title);
    ~WizardWindow();
    WizardWindow(const WizardWindow&) = delete;
    WizardWindow& operator=(const WizardWindow&) = delete;

    HWND Handle() const { return window_; }
    // The window's messages.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Shows the window modally (the owner disabled) until the model's
    // modal result ends the dialog; returns that result.
    TModalResult RunModal();
    // Shows the model's state.
    void Refresh();

private:
    static LRESULT CALLBACK PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Command(int id, int code, HWND control);
    int DefaultButtonId() const;
    void ShowControl(const ControlPlace& place);
    void SetCaption(HWND control, const std::string& text);
    void FillFolderList();
    void FillDriveList();

    TFormType& form_;
    std::string title_;
    HWND owner_;
    HWND window_ = nullptr;
    std::array<HWND, kWizardPageCount> pages_{};
    std::vector<HWND> controls_;  // by WizardControl
    std::vector<std::string> folders_;  // the folder list's entries
    std::string listedFolder_;
    std::string focused_;
    bool refreshing_ = false;
};

}  // namespace qi::win32
