#pragma once
// The state of the wizard's controls and the three connections to whatever
// shows the wizard: message boxes, the delivery of pending window messages
// and the fixed pauses. A window shows the state; tests read it directly.
#include <cstddef>
#include <cstdint>
#include <string>

#include "wizard/shell_link.h"

namespace qi {

enum class TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrYes = 6, mrNo = 7 };

enum class TMsgDlgType { mtWarning, mtInformation, mtConfirmation };

// The buttons of a message box, combined with "|".
enum TMsgDlgButtons : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbAbort = 8 };
constexpr TMsgDlgButtons operator|(TMsgDlgButtons a, TMsgDlgButtons b) {
    return static_cast<TMsgDlgButtons>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// Why a message box is asked; the reason fixes the box's kind and buttons.
enum class BoxReason {
    DiscPrompt,     // information, OK and Abort: insert the next disc
    Failure,        // warning, OK: something could not be done
    GoOnQuestion,   // warning, Yes and No: go on in spite of a problem?
    AbortQuestion,  // confirmation, Yes and No: abort the work?
    Notice,         // information, OK: what was done
};

constexpr TMsgDlgType KindOf(BoxReason reason) {
    switch (reason) {
        case BoxReason::DiscPrompt:
        case BoxReason::Notice: return TMsgDlgType::mtInformation;
        case BoxReason::AbortQuestion: return TMsgDlgType::mtConfirmation;
        default: return TMsgDlgType::mtWarning;
    }
}

constexpr TMsgDlgButtons ButtonsOf(BoxReason reason) {
    switch (reason) {
        case BoxReason::DiscPrompt: return mbOK | mbAbort;
        case BoxReason::Failure:
        case BoxReason::Notice: return mbOK;
        default: return mbYes | mbNo;
    }
}

// Shows a modal message box (of the kind and with the buttons its reason
// gives) and answers with the button pressed.
class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    virtual TModalResult MessageDlg(BoxReason reason, const std::string& text) = 0;
};

// Lets the view repaint and deliver the user's clicks during long work; a
// click on the abort button arrives inside ProcessMessages.
class IMessagePump {
public:
    virtual ~IMessagePump() = default;
    virtual void ProcessMessages() = 0;
    virtual void BringToFront() {}
    // What the end of an installation shows the user: the new Start-menu
    // folder in the file manager and the readme in its program. A view
    // without a desktop (and a test) may do nothing.
    virtual void OpenShortcutFolder(TShellLinkType linkType, const std::string& subDir);
    virtual void OpenDocument(const std::string& file, const std::string& folder);
};

// The fixed pauses after shortcuts, registry changes and disc prompts.
class IWaiter {
public:
    virtual ~IWaiter() = default;
    virtual void Wait(unsigned milliseconds) = 0;
};

struct TControl {
    std::string Caption;
    bool Visible = true;
    bool Enabled = true;
};

struct TCheckBox : TControl {
    bool Checked = false;
};

using TRadioButton = TCheckBox;
using TButton = TControl;
using TLabel = TControl;

struct TEdit : TControl {
    std::string Text;
    size_t MaxLength = 0;  // in characters; 0: no limit
};

struct TProgressBar : TControl {
    int64_t Position = 0;
    int64_t Max = 100;
};

// The folder list of the folder page: the folder shown, "C:\" for a root,
// otherwise without a trailing delimiter.
struct TDirectoryList : TControl {
    std::string Directory;
};

// The drive list linked to the folder list.
struct TDriveList : TControl {
    char Drive = 'C';
};

}  // namespace qi
