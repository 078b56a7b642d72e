// The work of the "copy" page: plain files from each disc, the data file
// built or merged from the source archive (or its entries written out as
// separate files), the check of the result, the record of what was
// installed, the shortcuts and the registry value. Updates of an installed
// game take their own turns at a few of the steps.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "archive/exe_trailer.h"
#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "streams/big_stream.h"
#include "streams/stream.h"
#include "wizard/form_type.h"
#include "wizard/program_update.h"
#include "wizard/run_creations.h"
#include "wizard/save_folders.h"

namespace qi {

namespace {

const std::string kOriginalProject = "/original_quor.qpb";
const std::string kProject = "quor.qpb";

// The file's size in bytes, 0 when it cannot be opened.
int64_t FileSizeOrZero(const std::string& path) {
    try {
        auto file = platform::OpenFile(path, platform::Access::Read, platform::Share::ReadWrite,
                                       platform::Disposition::OpenExisting);
        return file->Size();
    } catch (const Error&) {
        return 0;
    }
}

// Copies a file, overwriting. With skipUnchanged an existing destination of
// the same time and size is left as it is.
bool CopyInstallFile(const std::string& source, const std::string& dest, bool skipUnchanged) {
    if (skipUnchanged && platform::FileExists(dest)) {
        auto sourceTime = platform::GetFileDosTime(source);
        auto destTime = platform::GetFileDosTime(dest);
        if (sourceTime && destTime && *sourceTime == *destTime && FileSizeOrZero(source) == FileSizeOrZero(dest)) {
            return true;
        }
    }
    return platform::CopyFileTo(source, dest, false);
}

// The old data file and its volumes, so that a new install starts afresh.
void DeleteOldDataFile(const std::string& folder) {
    std::string dataFile = folder + "game.dat";
    if (platform::FileExists(dataFile)) platform::RemoveFile(dataFile);
    std::string sideCar = SideCarFileName(dataFile);
    if (platform::FileExists(sideCar)) platform::RemoveFile(sideCar);
    for (int volume = 1;; ++volume) {
        char extension[16];
        std::snprintf(extension, sizeof extension, ".%.3d", volume);
        std::string name = folder + "game" + extension;
        if (!platform::FileExists(name)) break;
        platform::RemoveFile(name);
    }
}

// What the settings declare for the whole game. The free space was checked
// against the declared sizes: loose files, which a few bytes of zlib can
// blow up to gigabytes, may not write more.
int64_t DeclaredBytes(const TQuorInstallSet& s) {
    int64_t total = 0;
    for (int64_t size : {s.ProgramTotal, s.DataTotal, s.SoundTotal, s.MovieTotal}) {
        if (size > 0) total = size > INT64_MAX - total ? INT64_MAX : total + size;
    }
    return total;
}

bool HasEntriesToMerge(TVrFileCollection& archive) {
    for (int i = 0; i < archive.Count(); ++i) {
        const TVrFile& entry = archive.Items(i);
        if (&entry != archive.EOFEntry && !entry.LooseFile) return true;
    }
    return false;
}

}  // namespace

void IMessagePump::OpenShortcutFolder(TShellLinkType linkType, const std::string& subDir) {
    qi::OpenShortcutFolder(linkType, subDir);
}

void IMessagePump::OpenDocument(const std::string& file, const std::string& folder) {
    platform::ShellOpen(file, "", folder);
}

TShellLinkType TFormType::ProgramsMenu() { return platform::IsWindowsNT() ? lnkCommonPrograms : lnkPrograms; }

void TFormType::OnBuildProgress(int64_t size, int index, int count, bool& cancel) {
    ProgressBytes += size;
    if (index % 10 != 9 && size <= 0x300000) return;
    Progress.Position = ProgressBytes / 10;
    LabelCopy.Caption = "データファイルを構築中(" + std::to_string(index + 1) + "/" + std::to_string(count) + ")...";
    pump_.ProcessMessages();
    if (ModalResult == TModalResult::mrAbort) cancel = true;
}

void TFormType::OnCheckProgress(int index, int count, bool& cancel) {
    Progress.Max = count - 1;
    Progress.Position = index;
    LabelCopy.Caption = "データファイルを調べています(" + std::to_string(index + 1) + "/" + std::to_string(count) + ")...";
    pump_.ProcessMessages();
    if (ModalResult == TModalResult::mrAbort) cancel = true;
}

std::vector<std::string> TFormType::ShortcutNames() const {
    std::vector<std::string> names = {settings_.Title, settings_.Title + "のアンインストール"};
    if (!settings_.ReadmeFile.empty()) names.push_back("お読みください");
    return names;
}

void TFormType::CreateShortcuts() {
    const TShellLinkType menu = ProgramsMenu();
    const std::string folder = InstallFolder();
    const std::string& title = settings_.Title;
    auto make = [&](const std::string& name, const std::string& target, int icon) {
        CreateShortcut(name, target, "", icon, 0, TWindowState::wsNormal, title, menu, folder, name);
    };
    const std::vector<std::string> names = ShortcutNames();
    make(names[0], folder + settings_.ExeFile, 0);
    make(names[1], folder + "install.exe", 1);
    if (names.size() > 2) make(names[2], folder + settings_.ReadmeFile, 0);
    // A folder that cannot be shown is no reason to stop.
    try {
        pump_.OpenShortcutFolder(menu, title);
    } catch (const Error&) {
    }
}

void TFormType::ShowReadme() {
    if (settings_.ReadmeFile.empty() || !settings_.OpenReadme) return;
    // Only a document of the installation is opened, never a program
    // elsewhere that a damaged settings file names.
    try {
        CheckEntryPath(settings_.ReadmeFile);
    } catch (const Error&) {
        return;
    }
    pump_.OpenDocument(InstallFolder() + settings_.ReadmeFile, InstallFolder());
    waiter_.Wait(1000);
    pump_.BringToFront();
}

bool TFormType::WaitForDisc(int disc) {
    const std::string source = AddBackslash(sourcePath_);
    while (settings_.DiscIndex != disc) {
        TModalResult answer = Ask(BoxReason::DiscPrompt,
                                  "ディスク" + std::to_string(disc + 1) + "を入れてからOKをクリックしてください");
        if (answer == TModalResult::mrOk) {
            waiter_.Wait(500);
            if (platform::FileExists(source + "install.dat")) {
                // The new disc's settings replace the old ones, but the
                // files of the earlier discs stay recorded: the uninstaller
                // removes what the record lists.
                std::vector<std::string> earlier = settings_.InstalledFiles;
                settings_.LoadFromFile(source + "install.dat");
                std::vector<std::string> listed = std::move(settings_.InstalledFiles);
                settings_.InstalledFiles = std::move(earlier);
                for (const auto& name : listed) settings_.AddInstalledFile(name);
            }
        } else if (Ask(BoxReason::AbortQuestion, "インストールを中断しますか？") ==
                   TModalResult::mrYes) {
            ModalResult = TModalResult::mrAbort;
            return false;
        }
    }
    return true;
}

bool TFormType::CopyPlainFiles(const std::string& folder, RunCreations& made) {
    const std::string source = AddBackslash(sourcePath_);
    ListFilesOptions options;
    options.recurse = true;
    std::vector<std::string> files;
    ListFiles(source, options, files);
    std::vector<std::string> chosen;
    for (const auto& file : files) {
        std::string relative = file.substr(source.size());
        if (!settings_.IsSourceFile(relative)) continue;
        if (IsSaveData(relative) && platform::FileExists(folder + relative)) continue;  // the player's
        int kind = MediaKindOfExt(ExtractFileExt(relative));
        if (!settings_.UpdateMode && ((kind == 1 && !CheckSound.Checked) || (kind == 2 && !CheckMovie.Checked))) {
            continue;
        }
        chosen.push_back(file);
    }
    for (const auto& file : chosen) {
        const std::string relative = file.substr(source.size());
        ProgressBytes += FileSizeOrZero(file);
        Progress.Position = ProgressBytes / 10;
        LabelCopy.Caption = ExtractFileName(file) + " をコピー中...";
        pump_.ProcessMessages();
        if (ModalResult == TModalResult::mrAbort) return false;
        const std::string dest = folder + relative;
        const std::string destFolder = ExtractFilePath(dest);
        made.BeforeCreateFolders(destFolder);
        if (!platform::CreateFolders(destFolder) && !platform::DirectoryExists(destFolder)) {
            Ask(BoxReason::Failure, "ディレクトリを作成できませんでした");
            ModalResult = TModalResult::mrOk;
            return false;
        }
        made.BeforeWrite(relative);
        if (PassesThroughLink(folder, relative) || !CopyInstallFile(file, dest, false)) {
            // A game with a missing file does not start properly: the user
            // decides whether to go on without it. It is not recorded.
            if (Ask(BoxReason::GoOnQuestion,
                    dest + "\r\nファイルをコピーできませんでした\r\nこのまま処理を続けますか？") != TModalResult::mrYes) {
                ModalResult = TModalResult::mrAbort;
                return false;
            }
            continue;
        }
        ClearReadOnly(dest);
        settings_.AddInstalledFile(relative);
    }
    return true;
}

void TFormType::WriteLooseFiles(TVrFileCollection& archive, const std::string& folder,
                                const std::string& skipName, int64_t& budget, RunCreations& made) {
    std::string folderMade;  // entries of one folder come one after another
    for (int i = 0; i < archive.Count(); ++i) {
        TVrFile& entry = archive.Items(i);
        if (!entry.LooseFile || SameText(entry.Name(), "install.dat")) continue;
        if (!skipName.empty() && SameText(entry.Name(), skipName)) continue;
        CheckEntryPath(entry.Name());
        const std::string dest = folder + entry.Name();
        if (PassesThroughLink(folder, entry.Name())) throw Error(dest + "\r\nファイルが作成できません");
        if (IsSaveData(entry.Name()) && platform::FileExists(dest)) continue;  // the player's
        const platform::NameKind kind = platform::KindOfName(dest);
        made.BeforeWrite(entry.Name(), kind == platform::NameKind::File || kind == platform::NameKind::Link);
        // A link at the name is no file of the game's: it is replaced.
        const bool exists = kind == platform::NameKind::File;
        if (exists && settings_.InstallType != itWindowsFolder) {
            auto time = platform::GetFileDosTime(dest);
            if (time && *time >= static_cast<uint32_t>(entry.FileTime)) {
                settings_.AddInstalledFile(entry.Name());
                continue;
            }
        }
        if (const std::string folder = ExtractFilePath(dest); folder != folderMade) {
            made.BeforeCreateFolders(folder);
            if (platform::CreateFolders(folder)) folderMade = folder;
        }
        try {
            if (exists) ClearReadOnly(dest);
            budget -= archive.ExtractToFile(entry.Name(), dest, budget, static_cast<uint32_t>(entry.FileTime));
        } catch (const EDataDamaged&) {
            throw;  // the run stops with the damage warning
        } catch (const EOutputLimit&) {
            throw;  // the run stops with this message
        } catch (const Error&) {
            throw Error(dest + "\r\nファイルが作成できません");
        }
        settings_.AddInstalledFile(entry.Name());
    }
}

// The steps of the copy page's run, in their order. A fresh install builds
// the data file afresh; an update merges into the installed one; an update
// of a game kept as one program (ProgramUpdate) rebuilds that program.
class InstallationSteps {
public:
    explicit InstallationSteps(TFormType& form)
        : f_(form),
          s_(form.settings_),
          folder_(form.InstallFolder()),
          source_(AddBackslash(form.sourcePath_)),
          looseBudget_(DeclaredBytes(s_)),
          made_(folder_, !s_.UpdateMode),
          dataWasThere_(platform::FileExists(folder_ + "game.dat")) {}

    // A fresh installation that stops before it is recorded takes back what
    // it made, and says so.
    bool Run() {
        bool done;
        try {
            done = Steps();
        } catch (const Error& e) {
            if (TakeBack() == 0) throw;
            throw Error(std::string(e.what()) + "\r\n" + kTakenBack);
        }
        if (!done && TakeBack() > 0) f_.Ask(BoxReason::Notice, kTakenBack);
        return done;
    }

private:
    static constexpr const char* kTakenBack = "このインストールでコピーしたファイルを削除しました";

    bool Steps() {
        // The uninstallation removes this key: it must be one of the game's own.
        if (!s_.RegistryKey.empty() && !s_.HasOwnRegistryKey()) {
            throw Error(s_.RegistryKey + ":レジストリキーの名前が正しくありません");
        }
        TVrFileCollection noArchive;
        TVrFileCollection& archive = f_.archive_ ? *f_.archive_ : noArchive;
        if (s_.UpdateMode && !platform::FileExists(folder_ + "install.dat")) {
            update_ = std::make_unique<ProgramUpdate>(folder_, s_.Title);
        }
        f_.ProgressBytes = 0;
        f_.Progress.Max = f_.RequiredBytes / 10;
        f_.Progress.Position = 0;
        if (!s_.UpdateMode) DeleteOldDataFile(folder_);
        OpenDestination();

        int discsDone = 0;
        for (int disc = 0; disc < s_.DiscCount; ++disc) {
            if (!f_.RadioDiskAll.Checked && s_.DiscIndex != disc) continue;
            if (!InstallDisc(disc, archive)) return false;
            ++discsDone;
        }
        if (update_) {
            // Nothing to update: the installed program stays as it is.
            if (discsDone == 0) throw Error(folder_ + ":" + s_.Title + ":更新するデータがありません");
            if (!update_->Build(archive, *dest_) || Aborted()) return false;
        }
        // Only a data file that was written is checked: loose files alone
        // leave none behind.
        if (dest_ && dest_->Stream && !VerifyData()) return false;
        if (update_) {
            update_->ReplaceTarget();
        } else if (dest_ && dest_->Stream) {
            RecordVolumes();
        }
        // The destination goes before the work folder that may hold it.
        dest_.reset();
        const bool programUpdated = update_ != nullptr;
        update_.reset();
        recorded_ = true;
        if (s_.InstallType != itWindowsFolder && !programUpdated) RecordInstallation();
        f_.InstallationDone();
        f_.ShowReadme();
        f_.ShowPage(WizardPage::Exit);
        return true;
    }

    // What the run made, unless it got as far as its record. The data file
    // goes too when the run started it in a folder that had none.
    int TakeBack() {
        if (recorded_) return 0;
        if (dest_ && !dataWasThere_) {
            made_.Own(dest_->FileName);
            made_.Own(SideCarFileName(dest_->FileName));
            if (auto* volumes = dynamic_cast<TQsBigFileStream*>(dest_->Stream.get())) {
                for (int v = 0; v < volumes->VolumeCount(); ++v) made_.Own(volumes->VolumeFileName(v));
            }
        }
        dest_.reset();  // closed before its files go
        return made_.TakeBack();
    }

    bool Aborted() const { return f_.ModalResult == TModalResult::mrAbort; }

    // Damaged data stops the run with the warning to install again.
    bool Damaged() {
        f_.Ask(BoxReason::Failure,
               "ファイルの内容が正しくありません\r\nインストールしなおしてください\r\n"
               "何度も失敗する場合は、スキャンディスクを実行して\r\nハードディスクに異常がないか調べてください");
        f_.ModalResult = TModalResult::mrAbort;
        return false;
    }

    // An update always merges its archive: its data size is counted whether
    // or not the data component was chosen.
    void OpenDestination() {
        if (!f_.CheckData.Checked && !s_.ExtractFiles && !s_.UpdateMode) return;
        dest_ = std::make_unique<TVrFileCollection>();
        if (update_) {
            dest_->Open(update_->WorkFolder());
        } else {
            dest_->Open(folder_ + "game.dat", true);
        }
        dest_->OnProgress = [this](TVrFileCollection&, TVrFile*, int64_t size, int index, int count, bool& cancel) {
            f_.OnBuildProgress(size, index, count, cancel);
        };
        dest_->OnEntryError = [this](const std::string& message) { f_.Ask(BoxReason::Failure, message); };
    }

    bool InstallDisc(int disc, TVrFileCollection& archive) {
        if (s_.DiscIndex != disc) {
            archive.Open("");
            if (!f_.WaitForDisc(disc)) return false;
            archive.Open(source_ + "game.dat");
        }
        if (!s_.ExtractFiles && !f_.CopyPlainFiles(folder_, made_)) return false;
        if (dest_ && (f_.CheckData.Checked || s_.UpdateMode) && !MergeData(archive)) return false;
        if (update_) update_->KeepInstalledEntries(*dest_);
        if (s_.ExtractFiles) {
            try {
                f_.WriteLooseFiles(archive, folder_, update_ ? update_->TargetName() : "", looseBudget_, made_);
            } catch (const EDataDamaged&) {
                return Damaged();
            }
        }
        return true;
    }

    bool MergeData(TVrFileCollection& archive) {
        TVrFileCollection& dest = *dest_;
        // The project file the installation started with is kept once
        // under its original name.
        if (dest.IndexOf(kOriginalProject) < 0) {
            int project = dest.IndexOf(kProject);
            if (project >= 0) dest.Items(project).SetName(kOriginalProject);
        }
        made_.BeforeCreateFolders(folder_);
        platform::CreateFolders(folder_);
        if (update_) {
            update_->AddPackageEntries(archive, dest);
        } else if (s_.UpdateMode && !platform::FileExists(dest.FileName) && !HasEntriesToMerge(archive)) {
            // An update that brings no data makes no empty data file for an
            // installation that has none.
        } else if (dest.MergeUpdate(archive)) {
            s_.AddInstalledFile(ExtractFileName(SideCarFileName(dest.FileName)));
        }
        // The bar shows the merged bytes even when the merge reported none
        // of its steps.
        f_.Progress.Position = f_.ProgressBytes / 10;
        if (Aborted()) return false;
        if (f_.CheckData.Checked && !s_.UpdateMode) s_.DataInstalled = true;
        return true;
    }

    bool VerifyData() {
        dest_->OnProgress = [this](TVrFileCollection&, TVrFile*, int64_t, int index, int count, bool& cancel) {
            f_.OnCheckProgress(index, count, cancel);
        };
        f_.LabelCopyCap.Caption = "データファイルをチェックしています";
        if (!dest_->Verify()) return Damaged();
        return !Aborted();
    }

    void RecordVolumes() {
        if (auto* volumes = dynamic_cast<TQsBigFileStream*>(dest_->Stream.get())) {
            for (int v = 0; v < volumes->VolumeCount(); ++v) {
                s_.AddInstalledFile(ExtractFileName(volumes->VolumeFileName(v)));
            }
        }
    }

    // The settings saved as installed (an update adds its files to the
    // installed record), the shortcuts of a fresh install, the registry.
    void RecordInstallation() {
        s_.Installed = true;
        s_.AddInstalledFile("install.dat");
        if (s_.UpdateMode && platform::FileExists(folder_ + "install.dat")) {
            TQuorInstallSet installed;
            installed.LoadFromFile(folder_ + "install.dat");
            for (const auto& name : s_.InstalledFiles) installed.AddInstalledFile(name);
            installed.SaveToFile(folder_ + "install.dat");
        } else {
            s_.SaveToFile(folder_ + "install.dat");
        }
        if (!s_.UpdateMode) {
            f_.LabelCopyCap.Caption = "ショートカットを作成しています";
            f_.LabelCopy.Visible = false;
            f_.Progress.Visible = false;
            f_.pump_.ProcessMessages();
            f_.CreateShortcuts();
            f_.waiter_.Wait(2000);
            f_.pump_.BringToFront();
        }
        s_.SetValue("InstallPath", folder_);
        f_.LabelCopyCap.Caption = "レジストリを更新しています";
        f_.pump_.ProcessMessages();
        f_.waiter_.Wait(1000);
    }

    TFormType& f_;
    TQuorInstallSet& s_;
    const std::string folder_;
    const std::string source_;
    int64_t looseBudget_;  // what loose files may still write
    RunCreations made_;
    const bool dataWasThere_;
    bool recorded_ = false;  // past the point where the run takes nothing back
    std::unique_ptr<ProgramUpdate> update_;
    // Declared after the update: freed first, before its work folder goes.
    std::unique_ptr<TVrFileCollection> dest_;
};

bool TFormType::InstallationRun() { return InstallationSteps(*this).Run(); }

}  // namespace qi
