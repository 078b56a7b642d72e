// The entry sequence and the roles the settings choose.
#include "app/setup_app.h"

#include <utility>

#include "app/archive_resource.h"
#include "app/setup_form.h"
#include "archive/exe_trailer.h"
#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "streams/stream.h"

namespace qi {

namespace {

const std::string kSettingsName = "install.dat";
const std::string kCopyName = "~qinstall";
constexpr int kCopyAttempts = 100;

// Whether the program file ends in the trailer of an appended archive;
// false when it cannot be read.
bool CarriesAppendedArchive(const std::string& fileName) {
    try {
        TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        return ReadExeTrailer(file).has_value();
    } catch (const Error&) {
        return false;
    }
}

void LoadSettingsEntry(TVrFileCollection& archive, TQuorInstallSet& settings) {
    TMemoryStream stream;
    archive.ExtractToStream(stream, kSettingsName);
    settings.LoadFromStream(stream, archive.ArchiveName() + ":" + kSettingsName);
}

}  // namespace

std::string InstallFolderMutexName(const std::string& installPath) {
    std::string name = AddBackslash(UpperCase(installPath));
    for (size_t i = 0; i < name.size(); i += CharLength(name, i)) {
        if (IsPathDelimiter(name, i)) name[i] = '-';
    }
    return name;
}

bool IsTemporaryCopy(const std::string& programFile, const std::string& tempFolder) {
    const std::string name = ExtractFileName(programFile);
    return SameText(ExtractFilePath(programFile), AddBackslash(tempFolder)) &&
           SameText(name.substr(0, kCopyName.size()), kCopyName);
}

std::string MediumDrive(const std::string& programFile) {
    std::string folder = ExtractFilePath(programFile);
    return folder.size() == 3 ? programFile.substr(0, 2) : std::string();
}

SetupApp::SetupApp(ISetupHost& host, SetupStart start) : host_(host), start_(std::move(start)) {}

SetupApp::~SetupApp() = default;

SetupOutcome SetupApp::Run() {
    SetupOutcome outcome;
    try {
        RunSequence(outcome);
    } catch (const std::exception& e) {
        // Whatever was held is let go below; nothing is started.
        outcome.End = SetupEnd::Failed;
        outcome.ErrorText = e.what();
        launchFile_.clear();
        host_.ShowError(e.what());
    }
    EndSequence(outcome);
    return outcome;
}

void SetupApp::Warn(const std::string& text) { host_.Boxes().MessageDlg(BoxReason::Failure, text); }

void SetupApp::RunSequence(SetupOutcome& outcome) {
    if (!host_.IsUserAdmin()) {
        Warn("管理者権限で実行してください");
        outcome.End = SetupEnd::NotAdmin;
        return;
    }
    launchFile_.clear();
    launchArguments_.clear();

    settings_ = std::make_unique<TQuorInstallSet>();
    if (!LoadSettings()) {
        outcome.End = SetupEnd::NoSettings;
        return;
    }

    // A program running from the install folder (the game) holds a mutex
    // named after that folder; nothing is to be changed under it.
    std::string installPath = settings_->GetValue("InstallPath", "");
    if (!installPath.empty() && platform::MutexExists(InstallFolderMutexName(installPath))) {
        outcome.End = SetupEnd::InstallFolderBusy;
        return;
    }
    instanceMutex_ = platform::CreateNamedMutex(settings_->Title);
    if (!instanceMutex_) {
        outcome.End = SetupEnd::AlreadyRunning;
        return;
    }

    if (settings_->Installed) {
        if (!ArgumentGiven()) {
            // The uninstaller must not run from the file it deletes.
            outcome.Role = SetupRole::UninstallFirstRun;
            if (!MakeTemporaryCopy()) outcome.End = SetupEnd::CopyFailed;
            return;
        }
        outcome.Role = SetupRole::Uninstall;
        ScheduleOwnDeletion();
        outcome.WizardResult = RunWizard(nullptr);
        return;
    }
    SetupRoles(outcome);
}

bool SetupApp::LoadSettings() {
    if (LoadFromCarriedArchive()) {
        // Only an "install.dat" file in the install folder makes the
        // uninstaller: settings a download or a disc archive carries never
        // do, whatever they say (they would delete what their list names in
        // the folder the program was started from).
        settings_->Installed = false;
        return true;
    }
    sourcePath_ = ArgumentGiven() ? start_.Arguments[0] : ExtractFilePath(start_.ProgramFile);
    const std::string fileName = AddBackslash(sourcePath_) + kSettingsName;
    if (!platform::FileExists(fileName)) {
        Warn("インストール設定ファイルがありません");
        return false;
    }
    settings_->LoadFromFile(fileName);
    return true;
}

bool SetupApp::LoadFromCarriedArchive() {
    resourceArchive_ = false;
    appendedArchive_ = false;
    auto resource = platform::LoadModuleResource(start_.ProgramFile, kArchiveResourceName, kArchiveResourceType);
    resourceArchive_ = resource && resource->size() >= 2 && (*resource)[0] == 'v' && (*resource)[1] == 'f';
    if (!resourceArchive_) appendedArchive_ = CarriesAppendedArchive(start_.ProgramFile);

    TVrFileCollection archive;
    if (resourceArchive_) {
        archive.OpenResource(start_.ProgramFile, kArchiveResourceName, kArchiveResourceType);
    } else if (appendedArchive_) {
        archive.OpenAppended(start_.ProgramFile);
    } else if (ArgumentGiven() && platform::FileExists(start_.Arguments[0])) {
        archive.Open(start_.Arguments[0]);
        sourcePath_ = start_.Arguments[0];
    } else {
        return false;
    }
    // The source path of a carried archive is the program's folder, where
    // a disc's plain files would lie.
    if (sourcePath_.empty()) sourcePath_ = ArgumentGiven() ? start_.Arguments[0] : ExtractFilePath(start_.ProgramFile);
    LoadSettingsEntry(archive, *settings_);
    return true;
}

void SetupApp::OpenSharedArchive() {
    archive_ = std::make_unique<TVrFileCollection>();
    if (resourceArchive_) {
        archive_->OpenResource(start_.ProgramFile, kArchiveResourceName, kArchiveResourceType);
    } else if (appendedArchive_) {
        archive_->OpenAppended(start_.ProgramFile);
    } else if (platform::FileExists(sourcePath_)) {
        archive_->Open(sourcePath_);
    } else if (settings_->UpdateMode) {
        archive_->OpenAppended(start_.ProgramFile);
    } else {
        archive_->Open(AddBackslash(sourcePath_) + "game.dat");
    }
}

void SetupApp::SetupRoles(SetupOutcome& outcome) {
    OpenSharedArchive();
    TQuorInstallSet& settings = *settings_;
    if (ArgumentGiven() || settings.UpdateMode || settings.InstallType == itWindowsFolder) {
        outcome.Role = SetupRole::Setup;
        if (!settings.ExtractFiles) ScheduleOwnDeletion();
        outcome.WizardResult = RunWizard(archive_.get());
    } else {
        outcome.Role = SetupRole::Launcher;
        settings.SetValue("CDDrive", MediumDrive(start_.ProgramFile));
        LauncherChoice choice = host_.ShowLauncher(settings, *archive_);
        if (!choice.Ok) {
            outcome.End = SetupEnd::LauncherClosed;
        } else if (choice.Action == kLaunchGame) {
            launchFile_ = AddBackslash(settings.GetValue("InstallPath", "")) + settings.ExeFile;
            launchArguments_.clear();
        } else if (settings.ExtractFiles || host_.InstallInPlace()) {
            outcome.WizardResult = RunWizard(archive_.get());
        } else if (!MakeTemporaryCopy()) {
            outcome.End = SetupEnd::CopyFailed;
        }
    }
    archive_.reset();
}

TModalResult SetupApp::RunWizard(TVrFileCollection* archive) {
    SetupForm form(*settings_, archive, sourcePath_, host_.Boxes(), host_.Pump(), host_.Waiter(), start_.ProgramFile);
    return host_.RunWizard(form, archive);
}

// The temporary copy removes itself at the next restart. Only a file that is
// such a copy is scheduled: a program started by hand with an argument (the
// single-file download, the setup program of a build) must survive its run.
void SetupApp::ScheduleOwnDeletion() {
    if (IsTemporaryCopy(start_.ProgramFile, start_.TempFolder)) platform::DeleteOnReboot(start_.ProgramFile);
}

bool SetupApp::MakeTemporaryCopy() {
    const std::string folder = AddBackslash(start_.TempFolder);
    launchFile_ = folder + kCopyName + ".exe";
    launchArguments_ = "\"" + ExtractFilePath(start_.ProgramFile) + "\"";
    if (!start_.PassOn.empty()) launchArguments_ += " " + start_.PassOn;
    for (int i = 0; i < kCopyAttempts; ++i) {
        // The copy is a new file of this run: an earlier copy that has ended
        // (or a link put at the name) goes first; one still running cannot
        // go, and the next name is tried.
        ClearReadOnly(launchFile_);
        platform::RemoveFile(launchFile_);
        if (platform::CopyFileTo(start_.ProgramFile, launchFile_, true)) return true;
        launchFile_ = folder + kCopyName + std::to_string(i) + ".exe";
    }
    Warn("ファイルをコピーできません");
    launchFile_.clear();
    return false;
}

void SetupApp::EndSequence(SetupOutcome& outcome) {
    instanceMutex_.reset();
    archive_.reset();
    settings_.reset();
    if (outcome.End != SetupEnd::Finished || launchFile_.empty()) return;
    outcome.LaunchFile = launchFile_;
    outcome.LaunchArguments = launchArguments_;
    outcome.StartResult = IsTemporaryCopy(launchFile_, start_.TempFolder)
                              ? host_.StartTemporaryCopy(launchFile_, launchArguments_)
                              : host_.StartProgram(launchFile_, launchArguments_);
    if (outcome.StartResult <= 32) {
        Warn("プログラムを実行できませんでした\r\nエラーコード[" + std::to_string(outcome.StartResult) + "]");
    }
}

}  // namespace qi
