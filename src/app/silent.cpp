// The unattended front end: a view of the wizard that fills each page from
// the options and presses "next" until the wizard closes.
#include "app/silent.h"

#include "base/path_helpers.h"
#include "platform/platform.h"

namespace qi {

namespace {

bool EndsInDelimiterByte(const std::string& text) { return !text.empty() && text.back() == '\\'; }

}  // namespace

std::string ReadSilentOptions(const TCommandLine& line, TSilentOptions& options) {
    options.Dir = line.Option("dir");
    // "C:\" stays a root; any other folder loses its trailing delimiter as
    // the folder edit shows it.
    if (options.Dir.size() > 3 && EndsInDelimiterByte(options.Dir)) options.Dir.pop_back();
    if (line.Has("dir") && options.Dir.empty()) return "--dir needs a folder";
    if (line.Has("components")) {
        options.ChooseComponents = true;
        std::string list = line.Option("components") + ",";
        size_t start = 0;
        for (size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1) {
            std::string name = list.substr(start, comma - start);
            if (name == "data") {
                options.Data = true;
            } else if (name == "sound") {
                options.Sound = true;
            } else if (name == "movie") {
                options.Movie = true;
            } else if (!name.empty()) {
                return "--components: unknown component '" + name + "' (data, sound, movie)";
            }
        }
    }
    options.AllDiscs = line.Has("all-discs");
    options.AcceptLicense = line.Has("accept-license");
    options.DeleteSaveData = line.Has("delete-save-data");
    options.StartGame = line.Has("start-game");
    if (line.Has("disc-timeout")) {
        const std::string text = line.Option("disc-timeout");
        int seconds = 0;
        if (text.empty() || text.size() > 6) return "--disc-timeout needs a number of seconds";
        for (char c : text) {
            if (c < '0' || c > '9') return "--disc-timeout needs a number of seconds";
            seconds = seconds * 10 + (c - '0');
        }
        options.DiscTimeoutSeconds = seconds;
    }
    return {};
}

TSilentHost::TSilentHost(const TSilentOptions& options, ISilentReport& report) : options_(options), report_(report) {}

void TSilentHost::Stop(bool needsHuman, const std::string& why) {
    if (needsHuman) {
        needsHuman_ = true;
    } else {
        failed_ = true;
    }
    stopping_ = true;
    report_.Note(why);
}

TModalResult TSilentHost::MessageDlg(TMsgDlgType kind, TMsgDlgButtons buttons, const std::string& text) {
    if (kind == TMsgDlgType::mtInformation && (buttons & mbAbort)) {
        // A disc prompt: wait for the next disc's settings to appear, a
        // second at a time, as long as the options allow; each disc has
        // the whole time.
        if (text != discPrompt_) {
            discPrompt_ = text;
            discWaited_ = 0;
        }
        if (discWaited_ < options_.DiscTimeoutSeconds) {
            if (discWaited_ == 0) report_.Note(text);
            PauseForDisc(1000);
            ++discWaited_;
            return TModalResult::mrOk;
        }
        Stop(true, text + " (--disc-timeout)");
        return TModalResult::mrAbort;
    }
    if (kind == TMsgDlgType::mtConfirmation) {
        // "Abort?" is only ever answered yes when this run decided to stop.
        return stopping_ ? TModalResult::mrYes : TModalResult::mrNo;
    }
    // Warnings report a failure or ask whether to go on despite one: the
    // run does not go on.
    Stop(false, "警告: " + text);
    if (buttons & mbNo) return TModalResult::mrNo;
    return buttons & mbOK ? TModalResult::mrOk : TModalResult::mrNo;
}

void TSilentHost::PauseForDisc(unsigned milliseconds) { platform::SleepMs(milliseconds); }

void TSilentHost::ProcessMessages() {
    if (!form_) return;
    const TFormType& f = *form_;
    const bool deleting = f.CurrentPage() == TFormType::PageIndexOf("delete");
    std::string label = deleting ? f.LabelDel.Caption : f.LabelCopyCap.Caption;
    if (!deleting && f.LabelCopy.Visible) label += " " + f.LabelCopy.Caption;
    if (deleting || !f.Progress.Visible) {
        if (label != lastLabel_) report_.Note(label);
    } else {
        report_.Progress(label, f.Progress.Position, f.Progress.Max);
    }
    lastLabel_ = label;
}

void TSilentHost::FillPage(TFormType& f, const std::string& page) {
    if (page == "License") {
        if (!options_.AcceptLicense) {
            Stop(true, "使用許諾契約への同意が必要です (--accept-license)");
            return;
        }
        f.CheckLicense.Checked = true;
        f.CheckLicenseClick();
    } else if (page == "Media") {
        f.RadioDiskAll.Checked = options_.AllDiscs;
        f.RadioDiskThis.Checked = !options_.AllDiscs;
    } else if (page == "file") {
        // Without a choice every component the disc offers is installed.
        auto choose = [&](TCheckBox& box, bool wanted) {
            box.Checked = box.Visible && (options_.ChooseComponents ? wanted : true);
        };
        choose(f.CheckData, options_.Data);
        choose(f.CheckSound, options_.Sound);
        choose(f.CheckMovie, options_.Movie);
        f.CheckDataClick();
    } else if (page == "seldir") {
        if (!options_.Dir.empty()) f.EditDir.Text = options_.Dir;
        report_.Note("インストール先: " + f.InstallFolder());
    } else if (page == "uninst") {
        f.CheckDelSave.Checked = f.CheckDelSave.Visible && options_.DeleteSaveData;
    }
}

TModalResult TSilentHost::RunWizard(TFormType& form, TVrFileCollection*) {
    form_ = &form;
    struct Detach {
        TFormType*& form;
        ~Detach() { form = nullptr; }
    } detach{form_};

    form.FormCreate();
    // Every page is passed at most once or twice; a wizard that does not
    // move on is stuck.
    for (int step = 0; step < 4 * static_cast<int>(kWizardPages.size()); ++step) {
        if (form.ModalResult != TModalResult::mrNone && form.CheckModalEnd()) return form.ModalResult;
        if (failed_ || needsHuman_) return TModalResult::mrAbort;
        const int current = form.CurrentPage();
        if (current < 0) break;
        const std::string page = kWizardPages[static_cast<size_t>(current)];
        report_.Note("[" + form.Caption + "]");
        if (page == "exit") {
            form.btnAbortClick();
            continue;
        }
        if (page == "copy" || page == "delete") {
            // The run stopped without closing the wizard.
            form.ModalResult = TModalResult::mrAbort;
            continue;
        }
        FillPage(form, page);
        if (failed_ || needsHuman_) return TModalResult::mrAbort;
        if (!form.btnNext.Visible || !form.btnNext.Enabled) break;
        form.btnNextClick();
        if (form.CurrentPage() == current && form.ModalResult == TModalResult::mrNone && !failed_ && !needsHuman_) break;
    }
    if (!failed_ && !needsHuman_) Stop(false, "ウィザードが先に進みません");
    return TModalResult::mrAbort;
}

TLauncherChoice TSilentHost::ShowLauncher(const TQuorInstallSet&, TVrFileCollection&) {
    return {true, options_.StartGame ? kLaunchGame : kLaunchInstall};
}

void TSilentHost::ShowError(const std::string& message) { Stop(false, "エラー: " + message); }

int TSilentHost::ExitCode(const TSetupOutcome& outcome) const {
    switch (outcome.End) {
        case TSetupEnd::InstallFolderBusy:
        case TSetupEnd::AlreadyRunning: return ecNeedsHuman;
        case TSetupEnd::LauncherClosed: return ecCancelled;
        case TSetupEnd::Finished: break;
        default: return ecError;
    }
    if (failed_) return ecError;
    if (needsHuman_) return ecNeedsHuman;
    if (!outcome.LaunchFile.empty()) return outcome.StartResult > 32 ? ecDone : ecError;
    if (outcome.Role == TSetupRole::Launcher && outcome.WizardResult == TModalResult::mrNone) return ecDone;
    return outcome.WizardResult == TModalResult::mrOk ? ecDone : ecCancelled;
}

std::string SilentHelp() {
    return "Unattended run (--silent):\n"
           "  --dir=FOLDER          install folder (a Windows path; on Linux also an absolute path)\n"
           "  --components=LIST     data,sound,movie (default: every component the disc offers)\n"
           "  --all-discs           install from all discs (asks for each in turn)\n"
           "  --disc-timeout=SEC    wait up to SEC seconds for each next disc's install.dat (default 0)\n"
           "  --accept-license      accept the licence agreement (without it a licence page stops the run)\n"
           "  --delete-save-data    the uninstaller deletes save data as well\n"
           "  --start-game          the launcher's choice is to start the game, not to install\n"
           "  --log=FILE            also write the notes to FILE\n"
           "The launcher's \"install\" runs in this process; the uninstaller's first run hands over\n"
           "to its temporary copy (with these options). On Linux the copy takes over this process,\n"
           "so the exit code is the uninstallation's.\n"
           "Exit codes: 0 done, 1 error, 2 wrong usage, 3 cancelled, 4 a person is needed\n"
           "(licence not accepted, disc not inserted, the game or another setup is running).\n";
}

}  // namespace qi
