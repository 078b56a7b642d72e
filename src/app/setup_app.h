#pragma once
// The setup program's entry sequence: the administrator test, the data
// source (an archive the program file carries, an archive file or a folder
// named by the first argument, or the program's own folder), the two
// mutexes, the role the settings choose (launcher, setup or update run,
// uninstaller and its temporary copy) and the end sequence that starts the
// program the run chose. Windows are reached through ISetupHost, so a
// window, a terminal, an unattended run or a test can stand behind it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/install_set.h"
#include "wizard/form_type.h"

namespace qi {

class TVrFileCollection;

// What the launcher window reports: whether it closed with OK, and the tag
// of the button that closed it (0 start the game, 1 install).
struct LauncherChoice {
    bool Ok = false;
    int Action = 0;
};
constexpr int kLaunchGame = 0;
constexpr int kLaunchInstall = 1;

class ISetupHost {
public:
    virtual ~ISetupHost() = default;
    virtual IMessageBoxes& Boxes() = 0;
    virtual IMessagePump& Pump() = 0;
    virtual IWaiter& Waiter() = 0;
    // The backdrop with the wizard on it: shows the wizard modally
    // (FormCreate included) and returns its modal result. archive is the
    // open source archive, or null (uninstaller).
    virtual TModalResult RunWizard(TFormType& form, TVrFileCollection* archive) = 0;
    // The launcher on the medium, shown modally.
    virtual LauncherChoice ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) = 0;
    // An error that ends the program, shown as the toolkit shows errors.
    virtual void ShowError(const std::string& message) = 0;
    // Starts the program the run chose with the shell's "open" verb; the
    // shell's result (above 32 when it started).
    virtual int StartProgram(const std::string& file, const std::string& arguments) {
        return platform::ShellOpen(file, arguments, "");
    }
    // Starts the temporary copy of the setup program, which takes over
    // from this run.
    virtual int StartTemporaryCopy(const std::string& file, const std::string& arguments) {
        return StartProgram(file, arguments);
    }
    virtual bool IsUserAdmin() { return platform::IsUserAdmin(); }
    // True when "install" in the launcher runs the wizard in this process
    // instead of starting a temporary copy (an unattended run, whose exit
    // code must tell how the installation went).
    virtual bool InstallInPlace() const { return false; }
};

struct SetupStart {
    // The setup program's arguments without our own options; the first is
    // the source folder or archive file.
    std::vector<std::string> Arguments;
    // The running program file and the temporary folder (with a trailing
    // delimiter), as Windows paths.
    std::string ProgramFile;
    std::string TempFolder;
    // Our own options, already quoted, handed on to a temporary copy after
    // its folder argument.
    std::string PassOn;
};

enum class SetupRole { None, UninstallFirstRun, Uninstall, Setup, Launcher };

enum class SetupEnd {
    Finished,          // the role ran to its end (see the wizard's result)
    NotAdmin,          // the user lacks administrator rights
    NoSettings,        // no settings file in the source folder
    InstallFolderBusy, // a program of the install folder holds its mutex
    AlreadyRunning,    // another setup of the same title runs
    CopyFailed,        // the temporary copy could not be made
    LauncherClosed,    // the launcher closed without a choice
    Failed,            // an error ended the program
};

struct SetupOutcome {
    SetupRole Role = SetupRole::None;
    SetupEnd End = SetupEnd::Finished;
    TModalResult WizardResult = TModalResult::mrNone;
    // The program started at the end and the shell's result; empty and 0
    // when nothing was started.
    std::string LaunchFile;
    std::string LaunchArguments;
    int StartResult = 0;
    std::string ErrorText;
};

class SetupApp {
public:
    SetupApp(ISetupHost& host, SetupStart start);
    ~SetupApp();
    SetupApp(const SetupApp&) = delete;
    SetupApp& operator=(const SetupApp&) = delete;

    // The whole sequence, end sequence included. Errors are shown through
    // the host and end the run; nothing is left held.
    SetupOutcome Run();

    // ---- Program-wide state the windows read ----
    TQuorInstallSet* Settings() const { return settings_.get(); }
    TVrFileCollection* Archive() const { return archive_.get(); }
    const std::string& SourcePath() const { return sourcePath_; }
    bool ResourceArchive() const { return resourceArchive_; }
    bool AppendedArchive() const { return appendedArchive_; }

    // The temporary copy of the program file: "~qinstall.exe" in the
    // temporary folder, else "~qinstall0.exe" ... "~qinstall98.exe"; its
    // argument is the program's folder in double quotes. False (after the
    // warning) when no name could be written.
    bool MakeTemporaryCopy();

private:
    void RunSequence(SetupOutcome& outcome);
    bool LoadSettings();
    bool LoadFromCarriedArchive();
    void OpenSharedArchive();
    void SetupRoles(SetupOutcome& outcome);
    TModalResult RunWizard(TVrFileCollection* archive);
    void ScheduleOwnDeletion();
    void EndSequence(SetupOutcome& outcome);
    void Warn(const std::string& text);
    bool ArgumentGiven() const { return !start_.Arguments.empty(); }

    ISetupHost& host_;
    SetupStart start_;
    std::unique_ptr<TQuorInstallSet> settings_;
    std::unique_ptr<TVrFileCollection> archive_;
    std::unique_ptr<platform::NamedMutex> instanceMutex_;
    std::string sourcePath_;
    std::string launchFile_;
    std::string launchArguments_;
    bool resourceArchive_ = false;
    bool appendedArchive_ = false;
};

// The name of the mutex a program running from the install folder holds:
// the folder upper-cased, with a trailing delimiter, every delimiter
// replaced by "-" (C:\Games\Title gives C:-GAMES-TITLE-).
std::string InstallFolderMutexName(const std::string& installPath);

// Whether the program file is a temporary copy this program made ("~qinstall"
// ... in the temporary folder), the only file a run schedules for deletion.
bool IsTemporaryCopy(const std::string& programFile, const std::string& tempFolder);

// The drive the program was started from when it lies in a drive's root
// folder ("E:"), else empty.
std::string MediumDrive(const std::string& programFile);

}  // namespace qi
