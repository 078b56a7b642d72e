// The wizard and the launcher as text on a terminal.
#include "ui/terminal/terminal_host.h"

#include <utility>

#include "app/start_forms.h"
#include "base/cp932.h"
#include "platform/platform.h"
#include "ui/progress_text.h"

namespace qi {

namespace {

// The buttons' captions without their "&" accelerator marks.
std::string Plain(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); i += CharLength(caption, i)) {
        if (caption[i] != '&') out += caption.substr(i, CharLength(caption, i));
    }
    return out;
}


// A check box or radio button with its state.
std::string Box(const ControlPlace& place, const TCheckBox& box) {
    const bool radio = place.kind == ControlKind::RadioButton;
    const char* mark = box.Checked ? (radio ? "(*) " : "[x] ") : (radio ? "( ) " : "[ ] ");
    return mark + Plain(box.Caption) + (box.Enabled ? "" : " (固定)");
}

bool IsChoice(const ControlPlace& place) {
    return place.kind == ControlKind::CheckBox || place.kind == ControlKind::RadioButton;
}

// The check boxes and radio buttons of the current page are typed by their
// number on the page, counted with the hidden ones, so a number always
// means the same box.
WizardControl ChoiceNumbered(const TFormType& form, int number, bool& found) {
    found = false;
    for (const ControlPlace& place : WizardLayout()) {
        if (place.page != form.CurrentPage() || !IsChoice(place)) continue;
        if (--number == 0) {
            found = true;
            return place.id;
        }
    }
    return WizardControl::Bevel;
}

// The buttons below the pages, and the letter that presses each where its
// caption has no mnemonic.
struct ButtonKey {
    WizardControl id;
    char key;
};
constexpr ButtonKey kButtonKeys[] = {
    {WizardControl::btnBack, 'b'}, {WizardControl::btnNext, 'n'}, {WizardControl::btnAbort, 'a'}};

// The key that presses a button: its caption's mnemonic ("閉じる(&C)" is
// "c"), else its own letter.
std::string KeyOf(const TFormType& form, WizardControl button) {
    char key = 'a';
    for (const ButtonKey& known : kButtonKeys) {
        if (known.id == button) key = known.key;
    }
    const std::string& caption = form.Control(button).Caption;
    const size_t mark = caption.find('&');
    if (mark != std::string::npos && mark + 1 < caption.size()) {
        const char letter = caption[mark + 1];
        if (letter >= 'A' && letter <= 'Z') key = static_cast<char>(letter - 'A' + 'a');
        if (letter >= 'a' && letter <= 'z') key = letter;
    }
    return std::string(1, key);
}

}  // namespace

TerminalHost::TerminalHost(ITerminal& terminal, std::string programFile, bool realPauses)
    : terminal_(terminal), programFile_(std::move(programFile)), realPauses_(realPauses) {}

bool TerminalHost::ReadAnswer(std::string& answer) {
    if (inputEnded_ || !terminal_.ReadLine(answer)) {
        inputEnded_ = true;
        return false;
    }
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
    return true;
}

bool TerminalHost::Ask(std::string& answer) {
    terminal_.Write("> ");
    if (typedAhead_.empty()) return ReadAnswer(answer);
    answer = typedAhead_.front();
    typedAhead_.pop_front();
    return true;
}

void TerminalHost::PollInput() {
    std::string line;
    while (!inputEnded_ && terminal_.InputWaiting() && ReadAnswer(line)) {
        if (typedAhead_.empty() && line == KeyOf(*form_, WizardControl::btnAbort)) {
            form_->Click(WizardControl::btnAbort);
        } else {
            typedAhead_.push_back(line);
        }
    }
}

TModalResult TerminalHost::MessageDlg(BoxReason reason, const std::string& text) {
    const TMsgDlgType kind = KindOf(reason);
    const TMsgDlgButtons buttons = ButtonsOf(reason);
    const char* title = kind == TMsgDlgType::mtWarning ? "警告" : kind == TMsgDlgType::mtConfirmation ? "確認" : "情報";
    std::string shown = text;
    for (size_t at; (at = shown.find("\r\n")) != std::string::npos;) shown.replace(at, 2, "\n");
    std::string choices;
    if (buttons & mbYes) choices += " y=はい";
    if (buttons & mbNo) choices += " n=いいえ";
    if (buttons & mbOK) choices += " o=OK";
    if (buttons & mbAbort) choices += " a=中止";
    terminal_.Write("\n== " + std::string(title) + " ==\n" + shown + "\n[" + choices.substr(1) + "]\n");
    for (;;) {
        std::string answer;
        // Without input the safe answer: no, abort, or OK where it is the only one.
        if (!Ask(answer)) {
            if (buttons & mbNo) return TModalResult::mrNo;
            if (buttons & mbAbort) return TModalResult::mrAbort;
            return TModalResult::mrOk;
        }
        if (answer == "y" && (buttons & mbYes)) return TModalResult::mrYes;
        if (answer == "n" && (buttons & mbNo)) return TModalResult::mrNo;
        if ((answer == "o" || (answer.empty() && buttons == mbOK)) && (buttons & mbOK)) return TModalResult::mrOk;
        if (answer == "a" && (buttons & mbAbort)) return TModalResult::mrAbort;
    }
}

void TerminalHost::ProcessMessages() {
    if (!form_) return;
    PollInput();
    std::string status = form_->StatusText();
    if (form_->Shown(WizardControl::Progress)) {
        status = ProgressBarText(form_->Progress.Position, form_->Progress.Max) + " " + status;
    }
    if (status != lastStatus_) terminal_.Status(status);
    lastStatus_ = status;
}

void TerminalHost::Wait(unsigned milliseconds) {
    if (realPauses_) platform::SleepMs(milliseconds);
}

void TerminalHost::ShowError(const std::string& message) {
    failed_ = true;
    terminal_.Write("\n== エラー ==\n" + message + "\n");
}

void TerminalHost::ShowPage(const TFormType& f) {
    std::string text = "\n==== " + f.Caption + " ====\n";
    int number = 0;
    for (const ControlPlace& place : WizardLayout()) {
        if (place.page != f.CurrentPage()) continue;
        const TControl& control = f.Control(place.id);
        if (IsChoice(place)) ++number;
        if (!control.Visible) continue;
        switch (place.kind) {
            case ControlKind::Label:
                if (!control.Caption.empty()) text += control.Caption + "\n";
                break;
            case ControlKind::TextView: text += static_cast<const TEdit&>(control).Text + "\n"; break;
            case ControlKind::CheckBox:
            case ControlKind::RadioButton:
                text += std::to_string(number) + " " + Box(place, static_cast<const TCheckBox&>(control)) + "\n";
                break;
            case ControlKind::Edit:
                text += "d " + static_cast<const TEdit&>(control).Text +
                        "\n  (別のフォルダにするには d に続けてフォルダを入力します)\n";
                break;
            default: break;
        }
    }
    std::string buttons;
    for (const ButtonKey& button : kButtonKeys) {
        if (f.Shown(button.id) && f.Control(button.id).Enabled) {
            buttons += "  " + KeyOf(f, button.id) + "=" + Plain(f.Control(button.id).Caption);
        }
    }
    if (!buttons.empty()) text += buttons.substr(2) + "\n";
    terminal_.Write(text);
}

bool TerminalHost::Answer(TFormType& f, const std::string& answer) {
    for (const ButtonKey& button : kButtonKeys) {
        if (f.Shown(button.id) && answer == KeyOf(f, button.id)) return f.Click(button.id);
    }
    if (answer.size() > 2 && answer.compare(0, 2, "d ") == 0) return f.SetText(WizardControl::EditDir, answer.substr(2));
    if (answer.size() == 1 && answer[0] >= '1' && answer[0] <= '9') {
        bool found = false;
        WizardControl box = ChoiceNumbered(f, answer[0] - '0', found);
        return found && f.Click(box);
    }
    return false;
}

TModalResult TerminalHost::RunWizard(TFormType& f, TVrFileCollection*) {
    form_ = &f;
    struct Detach {
        TFormType*& form;
        ~Detach() { form = nullptr; }
    } detach{form_};
    f.FormCreate();
    for (;;) {
        if (f.ModalResult != TModalResult::mrNone && f.CheckModalEnd()) return f.ModalResult;
        ShowPage(f);
        std::string answer;
        if (!Ask(answer)) {
            // The input ended: the window is closed; on the last page, whose
            // work is done, by its own close button.
            if (f.CurrentPage() == WizardPage::Exit) {
                f.Click(WizardControl::btnAbort);
            } else {
                f.Close();
            }
            if (f.CheckModalEnd()) return f.ModalResult;
            return TModalResult::mrCancel;
        }
        if (!Answer(f, answer)) terminal_.Write("?\n");
    }
}

LauncherChoice TerminalHost::ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection&) {
    TFormStart form(settings, programFile_,
                    [this](const std::string& file, const std::string& arguments) { return StartProgram(file, arguments); });
    form.FormCreate();
    for (;;) {
        std::string text = "\n==== " + form.Caption + " ====\n";
        if (form.btnStart.Enabled) text += "s " + form.btnStart.Caption + "\n";
        text += "i " + form.btnInstall.Caption + "\n";
        if (form.btnDirectX.Visible) text += "d " + form.btnDirectX.Caption + "\n";
        if (form.btnWinMedia.Visible) text += "w " + form.btnWinMedia.Caption + "\n";
        text += "q " + form.btnExit.Caption + "\n";
        terminal_.Write(text);
        std::string answer;
        if (!Ask(answer)) {
            form.Close();
        } else if (answer == "s" && form.btnStart.Enabled) {
            form.btnStartClick(form.btnStart);
        } else if (answer == "i") {
            form.btnStartClick(form.btnInstall);
        } else if (answer == "d" && form.btnDirectX.Visible) {
            form.btnDirectXClick();
        } else if (answer == "w" && form.btnWinMedia.Visible) {
            form.btnWinMediaClick();
        } else if (answer == "q") {
            form.btnExitClick();
        } else {
            terminal_.Write("?\n");
        }
        if (form.ModalResult != TModalResult::mrNone) {
            return {form.ModalResult == TModalResult::mrOk, form.ChosenAction};
        }
    }
}

}  // namespace qi
