// The wizard and the launcher as text on a terminal.
#include "app/terminal.h"

#include <utility>

#include "app/start_forms.h"
#include "platform/platform.h"

namespace qi {

namespace {

// The buttons' captions without their "&" accelerator marks.
std::string Plain(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(caption[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            out += caption.substr(i, 2);
            ++i;
        } else if (c != '&') {
            out += caption[i];
        }
    }
    return out;
}


std::string Box(const TCheckBox& box) { return std::string(box.Checked ? "[x] " : "[ ] ") + Plain(box.Caption); }

std::string Radio(const TRadioButton& button) { return std::string(button.Checked ? "(*) " : "( ) ") + Plain(button.Caption); }

}  // namespace

TTerminalHost::TTerminalHost(ITerminal& terminal, std::string programFile, bool realPauses)
    : terminal_(terminal), programFile_(std::move(programFile)), realPauses_(realPauses) {}

bool TTerminalHost::Ask(std::string& answer) {
    terminal_.Write("> ");
    if (inputEnded_ || !terminal_.ReadLine(answer)) {
        inputEnded_ = true;
        return false;
    }
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
    return true;
}

TModalResult TTerminalHost::MessageDlg(TMsgDlgType kind, TMsgDlgButtons buttons, const std::string& text) {
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

void TTerminalHost::ProcessMessages() {
    if (!form_) return;
    const TFormType& f = *form_;
    const bool deleting = f.CurrentPage() == TFormType::PageIndexOf("delete");
    std::string status = deleting ? f.LabelDel.Caption : f.LabelCopyCap.Caption;
    if (!deleting && f.Progress.Visible) {
        int64_t max = f.Progress.Max > 0 ? f.Progress.Max : 1;
        int64_t percent = f.Progress.Position * 100 / max;
        if (percent < 0) percent = 0;
        if (percent > 100) percent = 100;
        std::string bar(static_cast<size_t>(percent / 5), '#');
        bar.resize(20, '-');
        status = "[" + bar + "] " + std::to_string(percent) + "% " + status;
        if (f.LabelCopy.Visible) status += " " + f.LabelCopy.Caption;
    }
    if (status != lastStatus_) terminal_.Status(status);
    lastStatus_ = status;
}

void TTerminalHost::Wait(unsigned milliseconds) {
    if (realPauses_) platform::SleepMs(milliseconds);
}

void TTerminalHost::ShowError(const std::string& message) {
    failed_ = true;
    terminal_.Write("\n== エラー ==\n" + message + "\n");
}

void TTerminalHost::ShowPage(TFormType& f) {
    const std::string page = kWizardPages[static_cast<size_t>(f.CurrentPage())];
    std::string text = "\n==== " + f.Caption + " ====\n";
    auto line = [&](const TControl& c) {
        if (c.Visible && !c.Caption.empty()) text += c.Caption + "\n";
    };
    if (page == "Hello") {
        text += f.EditHello.Text + "\n";
    } else if (page == "License") {
        line(f.LicenseLabel1);
        line(f.LicenseLabel2);
        text += f.EditLicense.Text + "\n1 " + Box(f.CheckLicense) + "\n";
    } else if (page == "Media") {
        line(f.LabelDisk);
        text += "1 " + Radio(f.RadioDiskAll) + "\n2 " + Radio(f.RadioDiskThis) + "\n";
    } else if (page == "file") {
        line(f.Label1);
        int number = 1;
        for (TCheckBox* box : {&f.CheckProg, &f.CheckData, &f.CheckSound, &f.CheckMovie}) {
            if (box->Visible) text += std::to_string(number) + " " + Box(*box) + (box->Enabled ? "" : " (固定)") + "\n";
            ++number;
        }
        line(f.LabelSize);
    } else if (page == "seldir") {
        line(f.Label3);
        text += "d " + f.EditDir.Text + "\n";
        line(f.LabelSzDrv);
        line(f.LabelSzNeed);
    } else if (page == "confirm") {
        line(f.Label5);
        line(f.LabelBack);
        line(f.LabelBack2);
    } else if (page == "exit") {
        line(f.LabelExit);
    } else if (page == "uninst") {
        line(f.LabelUninst);
        line(f.Label7);
        if (f.CheckDelSave.Visible) text += "1 " + Box(f.CheckDelSave) + "\n";
    }
    std::string buttons;
    if (f.btnBack.Visible && f.btnBack.Enabled) buttons += "  b=" + Plain(f.btnBack.Caption);
    if (f.btnNext.Visible && f.btnNext.Enabled) buttons += "  n=" + Plain(f.btnNext.Caption);
    if (f.btnAbort.Visible && f.btnAbort.Enabled) buttons += "  a=" + Plain(f.btnAbort.Caption);
    text += buttons.empty() ? "" : buttons.substr(2) + "\n";
    terminal_.Write(text);
}

TModalResult TTerminalHost::RunWizard(TFormType& f, TVrFileCollection*) {
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
            if (f.CurrentPage() == TFormType::PageIndexOf("exit")) {
                f.btnAbortClick();
            } else {
                f.Close();
            }
            if (f.CheckModalEnd()) return f.ModalResult;
            return TModalResult::mrCancel;
        }
        const std::string page = kWizardPages[static_cast<size_t>(f.CurrentPage())];
        if (answer == "n" && f.btnNext.Visible && f.btnNext.Enabled) {
            f.btnNextClick();
        } else if (answer == "b" && f.btnBack.Visible && f.btnBack.Enabled) {
            f.btnBackClick();
        } else if (answer == "a" && f.btnAbort.Visible && f.btnAbort.Enabled) {
            f.btnAbortClick();
        } else if (page == "License" && answer == "1") {
            f.CheckLicense.Checked = !f.CheckLicense.Checked;
            f.CheckLicenseClick();
        } else if (page == "Media" && (answer == "1" || answer == "2")) {
            f.RadioDiskAll.Checked = answer == "1";
            f.RadioDiskThis.Checked = answer == "2";
        } else if (page == "file" && answer.size() == 1 && answer[0] >= '1' && answer[0] <= '4') {
            TCheckBox* boxes[] = {&f.CheckProg, &f.CheckData, &f.CheckSound, &f.CheckMovie};
            TCheckBox& box = *boxes[answer[0] - '1'];
            if (box.Visible && box.Enabled) {
                box.Checked = !box.Checked;
                if (&box == &f.CheckProg) {
                    f.CheckProgClick();
                } else {
                    f.CheckDataClick();
                }
            }
        } else if (page == "seldir" && answer.size() > 2 && answer.compare(0, 2, "d ") == 0) {
            f.EditDir.Text = answer.substr(2);
        } else if (page == "uninst" && answer == "1" && f.CheckDelSave.Visible) {
            f.CheckDelSave.Checked = !f.CheckDelSave.Checked;
        } else {
            terminal_.Write("?\n");
        }
    }
}

TLauncherChoice TTerminalHost::ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection&) {
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
        }
        if (form.ModalResult != TModalResult::mrNone) {
            return {form.ModalResult == TModalResult::mrOk, form.ChosenAction};
        }
    }
}

}  // namespace qi
