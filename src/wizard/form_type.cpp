// The wizard's pages, which of them are shown, their captions, the three
// buttons, the folder proposal and the closing rules.
#include "wizard/form_type.h"

#include <utility>

#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/platform.h"
#include "wizard/save_folders.h"

namespace qi {

namespace {

const std::string kProgramFilesTag = "<ProgramFiles>";
const std::string kBadFolder = "正しいインストール先を指定してください";

bool EndsInDelimiter(const std::string& text) { return !text.empty() && IsPathDelimiter(text, text.size() - 1); }

std::string WithoutTrailingDelimiter(std::string text) {
    if (EndsInDelimiter(text)) text.pop_back();
    return text;
}

std::string WithoutLeadingDelimiter(const std::string& text) {
    return !text.empty() && text[0] == '\\' ? text.substr(1) : text;
}

char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDriveRoot(const std::string& folder) { return folder.size() == 3 && folder[1] == ':' && folder[2] == '\\'; }

}  // namespace

TFormType::TFormType(TQuorInstallSet& settings, TVrFileCollection* archive, std::string sourcePath,
                     IMessageBoxes& boxes, IMessagePump& pump, IWaiter& waiter)
    : settings_(settings),
      archive_(archive),
      sourcePath_(std::move(sourcePath)),
      boxes_(boxes),
      pump_(pump),
      waiter_(waiter) {
    Caption = "インストールタイプの選択";
    LicenseLabel1.Caption = "以下のライセンス同意書をお読みください。セットアップを継続するには、必ず全ての契約条項";
    LicenseLabel2.Caption = "に同意しなければなりません。";
    CheckLicense.Caption = "同意する(&P)";
    Label1.Caption = "インストールするファイルを選択してください";
    CheckProg.Caption = "プログラム";
    CheckProg.Checked = true;
    CheckProg.Enabled = false;
    CheckData.Caption = "シナリオ・グラフィック";
    CheckSound.Caption = "サウンド";
    CheckMovie.Caption = "ムービー";
    Label3.Caption = "インストール先を選択してください";
    Label5.Caption = "ファイルをコピーする準備が整いました";
    LabelBack.Caption = "[インストール] をクリックするとコピーを開始します。設定を確認・変更したい場合は [戻る] を";
    LabelBack2.Caption = "クリックしてください";
    LabelCopyCap.Caption = "ファイルをコピーしています";
    LabelCopy.Caption = "...";
    LabelExit.Caption = "インストールが完了しました";
    Label7.Caption = "[実行] をクリックすると削除処理を開始します";
    CheckDelSave.Caption = "セーブデータも削除";
    LabelDelTitle.Caption = "ファイルを削除しています";
    btnBack.Caption = "< 戻る(&B)";
    btnBack.Enabled = false;
    btnNext.Caption = "次へ(&N) >";
    btnAbort.Caption = "中断(&A)";
    ActiveControl = "btnNext";
    EditHello.MaxLength = 5242880;
    EditLicense.MaxLength = 5242880;
    FileOperation.Options = {fofSilent, fofNoConfirmation, fofFilesOnly};
}

WizardPage TFormType::FirstEnabledPage() const {
    for (int i = 0; i < kWizardPageCount; ++i) {
        if (PageEnabled[i]) return PageAt(i);
    }
    return WizardPage::None;
}

WizardPage TFormType::LastEnabledPage() const {
    for (int i = kWizardPageCount - 1; i >= 0; --i) {
        if (PageEnabled[i]) return PageAt(i);
    }
    return WizardPage::None;
}

std::string TFormType::InstallFolder() const {
    if (settings_.InstallType == itWindowsFolder) return AddBackslash(platform::WindowsFolder());
    return AddBackslash(EditDir.Text);
}

void TFormType::FormCreate() {
    const std::string& medium = settings_.MediumWord;
    LabelDisk.Caption = "インストールする" + medium + "を指定してください";
    RadioDiskAll.Caption = "全ての" + medium + "をインストール";
    RadioDiskThis.Caption = "この" + medium + "をインストール";
    RadioDiskAll.Checked = settings_.DiscIndex == 0 && settings_.DiscCount > 1;
    RadioDiskThis.Checked = false;

    LabelUninst.Caption = settings_.Title + " をコンピュータから削除します";
    btnBack.Visible = !settings_.Installed;

    // The folder proposal: the folder of an earlier installation when it is
    // still there, else the default folder below the program-files folder or
    // on the Windows drive. The part of the default folder that does not
    // exist yet is kept as the sub-folder appended to whatever folder the
    // user browses to.
    std::string folder = settings_.GetValue("InstallPath", "");
    if (folder.empty() || !platform::DirectoryExists(folder)) {
        const std::string& preset = settings_.DefaultFolder;
        if (preset.compare(0, kProgramFilesTag.size(), kProgramFilesTag) == 0) {
            std::string programFiles = platform::SpecialFolder(platform::kCsidlProgramFiles);
            if (programFiles.empty()) throw Error("プログラムフォルダの場所が取得できません");
            programFiles = WithoutTrailingDelimiter(programFiles);
            ProposedSubFolder =
                WithoutTrailingDelimiter(WithoutLeadingDelimiter(preset.substr(kProgramFilesTag.size())));
            folder = programFiles + "\\" + ProposedSubFolder;
        } else {
            std::string root = platform::WindowsFolder().substr(0, 1) + ":\\";
            ProposedSubFolder = WithoutLeadingDelimiter(preset);
            folder = root + ProposedSubFolder;
            ProposedSubFolder = WithoutTrailingDelimiter(WithoutLeadingDelimiter(ProposedSubFolder));
        }
    }
    folder = WithoutTrailingDelimiter(folder);
    EditDir.Text = folder;
    if (platform::DirectoryExists(folder)) ProposedSubFolder.clear();

    if (!folder.empty()) SelectDrive(folder[0]);
    std::string existing = folder;
    while (!existing.empty() && !platform::DirectoryExists(existing)) {
        std::string parent = ExtractFilePath(WithoutTrailingDelimiter(existing));
        // A drive that does not exist cannot be cut any shorter.
        if (parent.size() >= existing.size()) parent.clear();
        existing = parent;
    }
    if (!existing.empty()) SelectDirectory(existing);
    // The list shows the nearest folder that exists, but the proposal is the
    // default folder itself: appending the kept sub-folder to a part of it
    // that exists already would double that part. (An update proposes only
    // a folder that exists.)
    if (!settings_.UpdateMode) EditDir.Text = folder;

    EditHello.Text = settings_.HelloText;
    EditLicense.Text = settings_.LicenseText;

    using enum WizardPage;
    PageEnabled.fill(true);
    auto enable = [this](WizardPage page, bool enabled) { PageEnabled[PageIndex(page)] = enabled; };
    enable(Hello, !settings_.HelloText.empty());
    enable(License, !settings_.LicenseText.empty());
    if (settings_.InstallType == itWindowsFolder) {
        enable(Media, false);
        enable(File, false);
        enable(SelDir, false);
    } else if (settings_.UpdateMode || settings_.InstallType == itAllComponents) {
        enable(Media, false);
        enable(File, false);
    } else if (settings_.DiscCount < 2 || settings_.DiscIndex != 0) {
        // The disc choice is offered only from the first of several discs.
        enable(Media, false);
    }

    if (settings_.Installed) {
        PageEnabled.fill(false);
        for (WizardPage page : {Uninst, Delete, Exit}) enable(page, true);
        ShowPage(Uninst);
    } else {
        ShowPage(FirstEnabledPage());
    }

    bool allComponents = settings_.InstallType == itAllComponents;
    CheckData.Checked = allComponents;
    CheckSound.Checked = allComponents;
    CheckMovie.Checked = allComponents;

    bool somethingBefore = FirstEnabledPage() < Confirm;
    LabelBack.Visible = somethingBefore;
    LabelBack2.Visible = somethingBefore;

    if (CurrentPage() == SelDir) UpdateRequiredSize();
    Changed(FormChange::Page);
}

void TFormType::ShowPage(WizardPage page) {
    using enum WizardPage;
    if (page == None) return;
    Notebook.ActivePage = page;

    if (page == Hello) {
        Caption = "ようこそ";
    } else if (page == License) {
        Caption = "ライセンス契約";
    } else if (page == Media) {
        Caption = "インストールする" + settings_.MediumWord;
    } else if (page == File) {
        Caption = "インストールするファイル";
        bool all = RadioDiskAll.Checked;
        auto present = [&](const std::vector<int64_t>& sizes, int64_t total) {
            if (all) return total > 0;
            auto disc = static_cast<size_t>(settings_.DiscIndex);
            return settings_.DiscIndex >= 0 && disc < sizes.size() && sizes[disc] > 0;
        };
        CheckProg.Visible = present(settings_.ProgramSizes, settings_.ProgramTotal);
        CheckData.Visible = present(settings_.DataSizes, settings_.DataTotal);
        CheckSound.Visible = present(settings_.SoundSizes, settings_.SoundTotal);
        CheckMovie.Visible = present(settings_.MovieSizes, settings_.MovieTotal);
        UpdateRequiredSize();
    } else if (page == SelDir) {
        Caption = "インストール先の選択";
        UpdateDriveFreeLabel();
    } else if (page == Confirm) {
        Caption = "インストール準備完了";
    } else if (page == Copy) {
        Caption = "ファイルコピー";
        btnBack.Visible = false;
        btnNext.Visible = false;
        Changed(FormChange::Page);
        pump_.ProcessMessages();
        if (!InstallationRun()) return Changed(FormChange::Controls);
    } else if (page == Exit) {
        Caption = "完了";
        ActiveControl = "btnAbort";
    } else if (page == Uninst) {
        Caption = "アンインストール";
        CheckDelSave.Visible = SaveDataPresent();
        CheckDelSave.Checked = false;
    } else if (page == Delete) {
        if (!UninstallationRun()) return Changed(FormChange::Controls);
    }

    const WizardPage now = CurrentPage();
    btnBack.Enabled = FirstEnabledPage() < now;
    btnNext.Enabled = now < LastEnabledPage() && (now != License || CheckLicense.Checked);
    if (now == Confirm) {
        btnNext.Caption = "インストール";
    } else if (now == Exit) {
        btnAbort.Caption = "閉じる(&C)";
    } else if (now == Uninst) {
        btnNext.Caption = "実行";
    } else {
        btnNext.Caption = "次へ(&N) >";
    }
    Changed(FormChange::Page);
}

void TFormType::CheckLicenseClick() { btnNext.Enabled = CurrentPage() < LastEnabledPage() && CheckLicense.Checked; }

void TFormType::CheckProgClick() { CheckProg.Checked = true; }

void TFormType::CheckDataClick() { UpdateRequiredSize(); }

void TFormType::DriveChange() { UpdateDriveFreeLabel(); }

void TFormType::DirectoryChange() {
    if (!ProposedSubFolder.empty() && !settings_.UpdateMode) {
        EditDir.Text = AddBackslash(Directory.Directory) + ProposedSubFolder;
    } else {
        EditDir.Text = Directory.Directory;
    }
}

void TFormType::SelectDrive(char letter) {
    letter = UpperLetter(letter);
    Drive.Drive = letter;
    if (Directory.Directory.empty() || UpperLetter(Directory.Directory[0]) != letter) {
        Directory.Directory = std::string(1, letter) + ":\\";
        DirectoryChange();
    }
    DriveChange();
}

void TFormType::SelectDirectory(const std::string& folder) {
    std::string shown = IsDriveRoot(folder) ? folder : WithoutTrailingDelimiter(folder);
    if (shown.empty()) return;
    Directory.Directory = shown;
    if (shown.size() >= 2 && shown[1] == ':' && UpperLetter(shown[0]) != Drive.Drive) {
        Drive.Drive = UpperLetter(shown[0]);
        DriveChange();
    }
    DirectoryChange();
}

bool TFormType::HoldsSameGame(const std::string& folder) const {
    // A settings file or an archive that cannot be read is no installation
    // of this game.
    try {
        std::string settingsFile = folder + "install.dat";
        if (platform::FileExists(settingsFile)) {
            TQuorInstallSet installed;
            installed.LoadFromFile(settingsFile);
            return installed.Title == settings_.Title;
        }
        return !FindArchiveByTitle(folder, settings_.Title).empty();
    } catch (const Error&) {
        return false;
    }
}

bool TFormType::ValidateInstallFolder() {
    if (EditDir.Text.size() <= 3) {
        Ask(BoxReason::Failure, kBadFolder);
        return false;
    }
    std::string folder = InstallFolder();
    if (settings_.UpdateMode && !HoldsSameGame(folder)) {
        Ask(BoxReason::Failure, kBadFolder);
        return false;
    }
    if (NotEnoughSpace(DriveFreeMB(folder[0]), RequiredBytes)) {
        TModalResult answer = Ask(BoxReason::GoOnQuestion,
                                  "ドライブにじゅうぶんな空き容量がありません\r\nこのまま処理を続けますか？");
        if (answer != TModalResult::mrYes) return false;
    }
    return true;
}

void TFormType::btnNextClick() {
    const WizardPage current = CurrentPage();
    if (current == WizardPage::SelDir && !ValidateInstallFolder()) return;
    for (int i = PageIndex(current) + 1; i < kWizardPageCount; ++i) {
        if (PageEnabled[i]) return ShowPage(PageAt(i));
    }
}

void TFormType::btnBackClick() {
    for (int i = PageIndex(CurrentPage()) - 1; i >= 0; --i) {
        if (PageEnabled[i]) return ShowPage(PageAt(i));
    }
}

void TFormType::btnAbortClick() {
    const WizardPage current = CurrentPage();
    if (current == WizardPage::Exit) {
        ModalResult = TModalResult::mrOk;
    } else if (current == WizardPage::Copy || current == WizardPage::Delete) {
        std::string question = current == WizardPage::Copy ? "インストールを中断しますか？"
                                                            : "アンインストールを中断しますか？";
        if (Ask(BoxReason::AbortQuestion, question) == TModalResult::mrYes) {
            ModalResult = TModalResult::mrAbort;
        }
    } else {
        ModalResult = TModalResult::mrCancel;
    }
}

void TFormType::FormCloseQuery(bool& canClose) {
    canClose = true;
    if (ModalResult != TModalResult::mrCancel) return;
    std::string question = std::string(settings_.Installed ? "アンインストール" : "インストール") + "を中断しますか？";
    canClose = Ask(BoxReason::AbortQuestion, question) == TModalResult::mrYes;
}

bool TFormType::CheckModalEnd() {
    if (ModalResult == TModalResult::mrNone) return false;
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) ModalResult = TModalResult::mrNone;
    return canClose;
}

// The runs of the "copy" and "delete" pages are in install_run.cpp and
// uninstall_run.cpp.

// Save data in the installation folder, else in a user's save folder.
bool TFormType::SaveDataPresent() {
    if (platform::FileExists(AddBackslash(sourcePath_) + "save.dat")) return true;
    std::vector<std::string> folders;
    FindUserSaveFolders(settings_.Title, folders);
    for (const auto& folder : folders) {
        if (platform::FileExists(folder + "save.dat")) return true;
    }
    return false;
}

}  // namespace qi
