// The unattended front end: a view of the wizard that fills each page from
// the options and presses "next" until the wizard closes.
#include "ui/silent/silent_host.h"

#include "platform/platform.h"

namespace qi {

namespace {

bool EndsInDelimiterByte(const std::string& text) { return !text.empty() && text.back() == '\\'; }

// "C:\..." (a folder relative to a drive's current folder, "C:games", is
// not one), or a network folder "\\server\share".
bool IsAbsoluteFolder(const std::string& folder) {
    const bool drive = folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\' &&
                       ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
    return drive || folder.compare(0, 2, "\\\\") == 0;
}

}  // namespace

std::string ReadSilentOptions(const CommandLine& line, SilentOptions& options) {
    options.Dir = line.Option("dir");
    // "C:\" stays a root; any other folder loses its trailing delimiter as
    // the folder edit shows it.
    if (options.Dir.size() > 3 && EndsInDelimiterByte(options.Dir)) options.Dir.pop_back();
    if (line.Has("dir") && options.Dir.empty()) return "--dir needs a folder";
    if (!options.Dir.empty() && !IsAbsoluteFolder(options.Dir)) {
        return "--dir needs a whole path from a drive's root (C:\\Games\\Title; on Linux also /home/me/games)";
    }
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
    options.LogFile = line.Option("log");
    if (line.Has("log") && options.LogFile.empty()) return "--log needs a file name";
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

SilentHost::SilentHost(const SilentOptions& options, ISilentReport& report) : options_(options), report_(report) {}

void SilentHost::Stop(bool needsHuman, const std::string& why) {
    if (needsHuman) {
        needsHuman_ = true;
    } else {
        failed_ = true;
    }
    stopping_ = true;
    report_.Note(why);
}

TModalResult SilentHost::MessageDlg(BoxReason reason, const std::string& text) {
    switch (reason) {
        case BoxReason::DiscPrompt:
            // Wait for the next disc's settings to appear, a second at a
            // time, as long as the options allow; each disc has the whole
            // time.
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
        case BoxReason::AbortQuestion:
            // Only ever answered yes when this run decided to stop.
            return stopping_ ? TModalResult::mrYes : TModalResult::mrNo;
        case BoxReason::GoOnQuestion:
            // The run does not go on in spite of a problem.
            Stop(false, "警告: " + text);
            return TModalResult::mrNo;
        case BoxReason::Notice: report_.Note(text); return TModalResult::mrOk;
        case BoxReason::Failure: break;
    }
    Stop(false, "警告: " + text);
    return TModalResult::mrOk;
}

void SilentHost::PauseForDisc(unsigned milliseconds) { platform::SleepMs(milliseconds); }

void SilentHost::ProcessMessages() {
    if (!form_) return;
    const std::string label = form_->StatusText();
    if (form_->Shown(WizardControl::Progress)) {
        report_.Progress(label, form_->Progress.Position, form_->Progress.Max);
    } else if (label != lastLabel_) {
        report_.Note(label);
    }
    lastLabel_ = label;
}

void SilentHost::FillPage(TFormType& f) {
    using enum WizardControl;
    switch (f.CurrentPage()) {
        case WizardPage::License:
            if (!options_.AcceptLicense) return Stop(true, "使用許諾契約への同意が必要です (--accept-license)");
            f.SetChecked(CheckLicense, true);
            break;
        case WizardPage::Media: f.SetChecked(options_.AllDiscs ? RadioDiskAll : RadioDiskThis, true); break;
        case WizardPage::File:
            // Without a choice every component the disc offers is installed;
            // boxes the disc does not offer stay hidden and unchecked.
            f.SetChecked(CheckData, !options_.ChooseComponents || options_.Data);
            f.SetChecked(CheckSound, !options_.ChooseComponents || options_.Sound);
            f.SetChecked(CheckMovie, !options_.ChooseComponents || options_.Movie);
            break;
        case WizardPage::SelDir:
            if (!options_.Dir.empty()) f.SetText(EditDir, options_.Dir);
            report_.Note("インストール先: " + f.InstallFolder());
            break;
        case WizardPage::Uninst: f.SetChecked(CheckDelSave, options_.DeleteSaveData); break;
        default: break;
    }
}

TModalResult SilentHost::RunWizard(TFormType& form, TVrFileCollection*) {
    form_ = &form;
    struct Detach {
        TFormType*& form;
        ~Detach() { form = nullptr; }
    } detach{form_};

    form.FormCreate();
    // Every page is passed at most once or twice; a wizard that does not
    // move on is stuck.
    for (int step = 0; step < 4 * kWizardPageCount; ++step) {
        if (form.ModalResult != TModalResult::mrNone && form.CheckModalEnd()) return form.ModalResult;
        if (failed_ || needsHuman_) return TModalResult::mrAbort;
        const WizardPage current = form.CurrentPage();
        if (current == WizardPage::None) break;
        report_.Note("[" + form.Caption + "]");
        if (current == WizardPage::Exit) {
            form.Click(WizardControl::btnAbort);
            continue;
        }
        if (current == WizardPage::Copy || current == WizardPage::Delete) {
            // The run stopped without closing the wizard.
            form.ModalResult = TModalResult::mrAbort;
            continue;
        }
        FillPage(form);
        if (failed_ || needsHuman_) return TModalResult::mrAbort;
        if (!form.Click(WizardControl::btnNext)) break;
        if (form.CurrentPage() == current && form.ModalResult == TModalResult::mrNone && !failed_ && !needsHuman_) break;
    }
    if (!failed_ && !needsHuman_) Stop(false, "ウィザードが先に進みません");
    return TModalResult::mrAbort;
}

LauncherChoice SilentHost::ShowLauncher(const TQuorInstallSet&, TVrFileCollection&) {
    return {true, options_.StartGame ? kLaunchGame : kLaunchInstall};
}

void SilentHost::ShowError(const std::string& message) { Stop(false, "エラー: " + message); }

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
