// The work of the "copy" page: plain files from each disc, the data file
// built or merged from the source archive (or its entries written out as
// separate files), the check of the result, the record of what was
// installed, the shortcuts and the registry value. Updates of an installed
// game take their own turns at a few of the steps.
#include <cstdio>
#include <memory>
#include <vector>

#include "archive/vrfiles.h"
#include "platform/platform.h"
#include "settings/cp932.h"
#include "settings/path_helpers.h"
#include "streams/big_stream.h"
#include "streams/stream.h"
#include "wizard/form_type.h"

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

void ClearReadOnly(const std::string& path) {
    uint32_t attributes = platform::GetAttributes(path);
    if (attributes == platform::kInvalidAttributes || !(attributes & platform::kAttrReadOnly)) return;
    attributes &= ~platform::kAttrReadOnly;
    platform::SetAttributes(path, attributes == 0 ? platform::kAttrNormal : attributes);
}

// Every file of the folder, then each sub-folder depth first, then the
// folder itself; failures are ignored.
void DeleteFolderTree(const std::string& folder) {
    std::string base = AddBackslash(folder);
    for (const auto& entry : platform::ListDirectory(base)) {
        std::string path = base + entry.name;
        if (entry.attributes & platform::kAttrDirectory) {
            DeleteFolderTree(path);
        } else {
            ClearReadOnly(path);
            platform::RemoveFile(path);
        }
    }
    platform::RemoveFolder(base);
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

// A fresh work folder below the temporary folder: ~qkupdate\, else the
// first free one of ~qkupdate2\, ~qkupdate3\, ...
std::string ChooseWorkFolder() {
    std::string temp = AddBackslash(platform::TempFolder());
    std::string folder = temp + "~qkupdate\\";
    for (int n = 2; platform::DirectoryExists(folder) || platform::FileExists(folder.substr(0, folder.size() - 1));
         ++n) {
        folder = temp + "~qkupdate" + std::to_string(n) + "\\";
    }
    return folder;
}

// Writes an entry's content to a file below the work folder, with the
// entry's time, and adds a like entry to dest.
void WriteEntryToWorkFolder(TVrFileCollection& from, const TVrFile& entry, const std::string& workFolder,
                            TVrFileCollection& dest) {
    CheckEntryPath(entry.Name());
    std::string path = workFolder + entry.Name();
    platform::CreateFolders(ExtractFilePath(path));
    from.ExtractToFile(entry.Name(), path);
    platform::SetFileDosTime(path, static_cast<uint32_t>(entry.FileTime));
    TVrFile& added = dest.Add(entry.Name());
    added.FileTime = entry.FileTime;
    added.Size = entry.Size;
    added.Stored = entry.Stored;
    added.Checksum = entry.Checksum;
}

// The program part of an executable that carries an appended archive: the
// bytes before the archive, whose length the trailer holds.
void CopyProgramPart(const std::string& exe, const std::string& dest) {
    TFileStream source(exe, fmOpenRead | fmShareDenyWrite);
    int64_t size = source.Size();
    uint8_t trailer[6];
    if (size < 6) throw Error(exe + ":アーカイブが付いていません");
    source.Seek(size - 6, SeekOrigin::Begin);
    source.ReadBuffer(trailer, 6);
    int64_t program = static_cast<int64_t>(static_cast<uint32_t>(trailer[0]) | static_cast<uint32_t>(trailer[1]) << 8 |
                                           static_cast<uint32_t>(trailer[2]) << 16 |
                                           static_cast<uint32_t>(trailer[3]) << 24);
    if (trailer[4] != 'q' || trailer[5] != 'r' || program > size - 6) throw Error(exe + ":アーカイブが付いていません");
    source.Seek(0, SeekOrigin::Begin);
    TFileStream out(dest, fmCreate);
    if (program > 0) CopyStreamData(out, source, program);
}

bool HasEntriesToMerge(TVrFileCollection& archive) {
    for (int i = 0; i < archive.Count(); ++i) {
        const TVrFile& entry = archive.Items(i);
        if (&entry != archive.EOFEntry && !entry.LooseFile) return true;
    }
    return false;
}

// Clean-up on every way out of the run: the destination archive is freed
// before the work folder that may hold its file goes.
struct RunResources {
    std::unique_ptr<TVrFileCollection> dest;
    std::string workFolder;
    ~RunResources() {
        dest.reset();
        if (!workFolder.empty()) DeleteFolderTree(workFolder);
    }
};

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

void TFormType::CreateShortcuts() {
    const TShellLinkType menu = ProgramsMenu();
    const std::string folder = InstallFolder();
    const std::string& title = settings_.Title;
    auto make = [&](const std::string& name, const std::string& target, int icon) {
        CreateShortcut(name, target, "", icon, 0, TWindowState::wsNormal, title, menu, folder, name);
    };
    make(title, folder + settings_.ExeFile, 0);
    make(title + "のアンインストール", folder + "install.exe", 1);
    if (!settings_.ReadmeFile.empty()) make("お読みください", folder + settings_.ReadmeFile, 0);
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
        TModalResult answer = Ask(TMsgDlgType::mtInformation, mbOK | mbAbort,
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
        } else if (Ask(TMsgDlgType::mtConfirmation, mbYes | mbNo, "インストールを中断しますか？") ==
                   TModalResult::mrYes) {
            ModalResult = TModalResult::mrAbort;
            return false;
        }
    }
    return true;
}

bool TFormType::CopyPlainFiles(const std::string& folder) {
    const std::string source = AddBackslash(sourcePath_);
    ListFilesOptions options;
    options.recurse = true;
    std::vector<std::string> files;
    ListFiles(source, options, files);
    std::vector<std::string> chosen;
    for (const auto& file : files) {
        std::string relative = file.substr(source.size());
        if (!settings_.IsSourceFile(relative)) continue;
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
        if (!platform::CreateFolders(destFolder) && !platform::DirectoryExists(destFolder)) {
            Ask(TMsgDlgType::mtWarning, mbOK, "ディレクトリを作成できませんでした");
            ModalResult = TModalResult::mrOk;
            return false;
        }
        if (!CopyInstallFile(file, dest, false)) {
            // A game with a missing file does not start properly: the user
            // decides whether to go on without it. It is not recorded.
            if (Ask(TMsgDlgType::mtWarning, mbYes | mbNo,
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
                                const std::string& skipName) {
    for (int i = 0; i < archive.Count(); ++i) {
        TVrFile& entry = archive.Items(i);
        if (!entry.LooseFile || SameText(entry.Name(), "install.dat")) continue;
        if (!skipName.empty() && SameText(entry.Name(), skipName)) continue;
        CheckEntryPath(entry.Name());
        const std::string dest = folder + entry.Name();
        if (platform::FileExists(dest) && settings_.InstallType != 2) {
            auto time = platform::GetFileDosTime(dest);
            if (time && *time >= static_cast<uint32_t>(entry.FileTime)) {
                settings_.AddInstalledFile(entry.Name());
                continue;
            }
        }
        platform::CreateFolders(ExtractFilePath(dest));
        try {
            ClearReadOnly(dest);
            archive.ExtractToFile(entry.Name(), dest);
        } catch (const EDataDamaged&) {
            throw;  // the run stops with the damage warning
        } catch (const Error&) {
            throw Error(dest + "\r\nファイルが作成できません");
        }
        platform::SetFileDosTime(dest, static_cast<uint32_t>(entry.FileTime));
        settings_.AddInstalledFile(entry.Name());
    }
}

bool TFormType::InstallationRun() {
    const std::string folder = InstallFolder();
    const std::string source = AddBackslash(sourcePath_);
    TVrFileCollection noArchive;
    TVrFileCollection& archive = archive_ ? *archive_ : noArchive;
    RunResources run;
    auto aborted = [this] { return ModalResult == TModalResult::mrAbort; };
    auto damaged = [this] {
        Ask(TMsgDlgType::mtWarning, mbOK,
            "ファイルの内容が正しくありません\r\nインストールしなおしてください\r\n"
            "何度も失敗する場合は、スキャンディスクを実行して\r\nハードディスクに異常がないか調べてください");
        ModalResult = TModalResult::mrAbort;
        return false;
    };

    // An update of a game kept as one executable with its data appended.
    const bool updateExe = settings_.UpdateMode && !platform::FileExists(folder + "install.dat");
    std::string targetExe, targetName;
    if (updateExe) {
        targetExe = FindArchiveByTitle(folder, settings_.Title);
        if (targetExe.empty()) throw Error(folder + ":" + settings_.Title + ":更新するプログラムが見つかりません");
        targetName = ExtractFileName(targetExe);
        std::string work = ChooseWorkFolder();
        platform::CreateFolders(work);
        if (!platform::DirectoryExists(work)) throw Error("作業用フォルダが作成できません");
        run.workFolder = work;
    }

    ProgressBytes = 0;
    Progress.Max = RequiredBytes / 10;
    Progress.Position = 0;

    if (!settings_.UpdateMode) DeleteOldDataFile(folder);

    // An update always merges its archive: its data size is counted whether
    // or not the data component was chosen.
    if (CheckData.Checked || settings_.ExtractFiles || settings_.UpdateMode) {
        run.dest = std::make_unique<TVrFileCollection>();
        if (updateExe) {
            run.dest->Open(run.workFolder);
        } else {
            run.dest->Open(folder + "game.dat", true);
        }
        run.dest->OnProgress = [this](TVrFileCollection&, TVrFile*, int64_t size, int index, int count,
                                      bool& cancel) { OnBuildProgress(size, index, count, cancel); };
        run.dest->OnEntryError = [this](const std::string& message) {
            Ask(TMsgDlgType::mtWarning, mbOK, message);
        };
    }

    for (int disc = 0; disc < settings_.DiscCount; ++disc) {
        if (!RadioDiskAll.Checked && settings_.DiscIndex != disc) continue;

        if (settings_.DiscIndex != disc) {
            archive.Open("");
            if (!WaitForDisc(disc)) return false;
            archive.Open(source + "game.dat");
        }
        if (!settings_.ExtractFiles && !CopyPlainFiles(folder)) return false;

        if (run.dest && (CheckData.Checked || settings_.UpdateMode)) {
            TVrFileCollection& dest = *run.dest;
            if (dest.IndexOf(kOriginalProject) < 0) {
                int project = dest.IndexOf(kProject);
                if (project >= 0) dest.Items(project).SetName(kOriginalProject);
            }
            platform::CreateFolders(folder);
            if (updateExe) {
                for (int i = 0; i < archive.Count(); ++i) {
                    TVrFile& entry = archive.Items(i);
                    if (&entry == archive.EOFEntry || entry.LooseFile) continue;
                    WriteEntryToWorkFolder(archive, entry, run.workFolder, dest);
                }
            } else if (settings_.UpdateMode && !platform::FileExists(dest.FileName) && !HasEntriesToMerge(archive)) {
                // An update that brings no data makes no empty data file
                // for an installation that has none.
            } else if (dest.MergeUpdate(archive)) {
                settings_.AddInstalledFile(ExtractFileName(SideCarFileName(dest.FileName)));
            }
            if (aborted()) return false;
            if (CheckData.Checked && !settings_.UpdateMode) settings_.DataInstalled = true;
        }

        if (updateExe) {
            // The installed entries the package does not replace.
            TVrFileCollection installed;
            installed.Open(targetExe);
            for (int i = 0; i < installed.Count(); ++i) {
                TVrFile& entry = installed.Items(i);
                if (&entry == installed.EOFEntry || run.dest->IndexOf(entry.Name()) >= 0) continue;
                WriteEntryToWorkFolder(installed, entry, run.workFolder, *run.dest);
            }
        }

        if (settings_.ExtractFiles) {
            try {
                WriteLooseFiles(archive, folder, targetName);
            } catch (const EDataDamaged&) {
                return damaged();
            }
        }
    }

    std::string newExe;
    if (updateExe) {
        TVrFileCollection& dest = *run.dest;
        newExe = run.workFolder + "~" + targetName;
        if (archive.IndexOf(targetName) >= 0) {
            TFileStream file(newExe, fmCreate);
            archive.ExtractToStream(file, targetName);
        } else {
            CopyProgramPart(targetExe, newExe);
        }
        const std::string package = run.workFolder + "~qrupdate.pak";
        bool written;
        {
            TQsBigFileStream stream(package, fmCreate);
            written = dest.WriteArchive(stream);
        }
        if (!written || aborted()) return false;
        AppendArchiveToExe(newExe, package);
        dest.Open(newExe);
    }

    // Only a data file that was written is checked: loose files alone leave
    // none behind.
    if (run.dest && run.dest->Stream) {
        TVrFileCollection& dest = *run.dest;
        dest.OnProgress = [this](TVrFileCollection&, TVrFile*, int64_t, int index, int count, bool& cancel) {
            OnCheckProgress(index, count, cancel);
        };
        LabelCopyCap.Caption = "データファイルをチェックしています";
        if (!dest.Verify()) return damaged();
        if (aborted()) return false;
    }

    if (updateExe) {
        ClearReadOnly(targetExe);
        if (!platform::CopyFileTo(newExe, targetExe, false)) {
            throw Error(newExe + " --> " + targetExe + "コピーできません");
        }
    } else if (run.dest && run.dest->Stream) {
        if (auto* volumes = dynamic_cast<TQsBigFileStream*>(run.dest->Stream.get())) {
            for (int v = 0; v < volumes->VolumeCount(); ++v) {
                settings_.AddInstalledFile(ExtractFileName(volumes->VolumeFileName(v)));
            }
        }
    }
    run.dest.reset();
    if (!run.workFolder.empty()) {
        DeleteFolderTree(run.workFolder);
        run.workFolder.clear();
    }

    if (settings_.InstallType != 2 && !updateExe) {
        settings_.Installed = true;
        settings_.AddInstalledFile("install.dat");
        if (settings_.UpdateMode && platform::FileExists(folder + "install.dat")) {
            TQuorInstallSet installed;
            installed.LoadFromFile(folder + "install.dat");
            for (const auto& name : settings_.InstalledFiles) installed.AddInstalledFile(name);
            installed.SaveToFile(folder + "install.dat");
        } else {
            settings_.SaveToFile(folder + "install.dat");
        }
        if (!settings_.UpdateMode) {
            LabelCopyCap.Caption = "ショートカットを作成しています";
            LabelCopy.Visible = false;
            Progress.Visible = false;
            pump_.ProcessMessages();
            CreateShortcuts();
            waiter_.Wait(2000);
            pump_.BringToFront();
        }
        settings_.SetValue("InstallPath", folder);
        LabelCopyCap.Caption = "レジストリを更新しています";
        pump_.ProcessMessages();
        waiter_.Wait(1000);
    }

    ShowReadme();
    ShowPage(PageIndexOf("exit"));
    return true;
}

}  // namespace qi
