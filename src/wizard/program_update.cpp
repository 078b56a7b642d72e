#include "wizard/program_update.h"

#include "archive/exe_trailer.h"
#include "archive/vrfiles.h"
#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "streams/big_stream.h"
#include "streams/stream.h"
#include "wizard/work_folder.h"

namespace qi {

namespace {

// Writes an entry's content to a file below the work folder, with the
// entry's time, and adds a like entry to dest.
void WriteEntryToWorkFolder(TVrFileCollection& from, const TVrFile& entry, const std::string& workFolder,
                            TVrFileCollection& dest) {
    CheckEntryPath(entry.Name());
    std::string path = workFolder + entry.Name();
    platform::CreateFolders(ExtractFilePath(path));
    from.ExtractToFile(entry.Name(), path, -1, static_cast<uint32_t>(entry.FileTime));
    TVrFile& added = dest.Add(entry.Name());
    added.FileTime = entry.FileTime;
    added.Size = entry.Size;
    added.Stored = entry.Stored;
    added.Checksum = entry.Checksum;
}

bool IsContent(const TVrFileCollection& archive, const TVrFile& entry) { return &entry != archive.EOFEntry; }

}  // namespace

ProgramUpdate::ProgramUpdate(const std::string& folder, const std::string& title) {
    targetExe_ = FindArchiveByTitle(folder, title);
    if (targetExe_.empty()) throw Error(folder + ":" + title + ":更新するプログラムが見つかりません");
    targetName_ = ExtractFileName(targetExe_);
    workFolder_ = CreateWorkFolder("~qkupdate");
}

ProgramUpdate::~ProgramUpdate() { DeleteFolderTree(workFolder_); }

void ProgramUpdate::AddPackageEntries(TVrFileCollection& package, TVrFileCollection& dest) {
    for (int i = 0; i < package.Count(); ++i) {
        TVrFile& entry = package.Items(i);
        if (IsContent(package, entry) && !entry.LooseFile) WriteEntryToWorkFolder(package, entry, workFolder_, dest);
    }
}

void ProgramUpdate::KeepInstalledEntries(TVrFileCollection& dest) {
    TVrFileCollection installed;
    installed.Open(targetExe_);
    for (int i = 0; i < installed.Count(); ++i) {
        TVrFile& entry = installed.Items(i);
        if (IsContent(installed, entry) && dest.IndexOf(entry.Name()) < 0) {
            WriteEntryToWorkFolder(installed, entry, workFolder_, dest);
        }
    }
}

bool ProgramUpdate::Build(TVrFileCollection& package, TVrFileCollection& dest) {
    // The game must keep every entry it has: an archive that lacks one
    // never replaces the installed program.
    TVrFileCollection installed;
    installed.Open(targetExe_);
    for (int i = 0; i < installed.Count(); ++i) {
        const TVrFile& entry = installed.Items(i);
        if (IsContent(installed, entry) && dest.IndexOf(entry.Name()) < 0) {
            throw Error(targetExe_ + ":" + entry.Name() + ":更新後のプログラムにないファイルがあります");
        }
    }
    installed.Open("");

    newExe_ = workFolder_ + "~" + targetName_;
    if (package.IndexOf(targetName_) >= 0) {
        TFileStream file(newExe_, fmCreate);
        package.ExtractToStream(file, targetName_);
    } else {
        CopyProgramPart(targetExe_, newExe_);
    }
    const std::string archiveFile = workFolder_ + "~qrupdate.pak";
    {
        TQsBigFileStream stream(archiveFile, fmCreate);
        if (!dest.WriteArchive(stream)) return false;
    }
    AppendArchiveToExe(newExe_, archiveFile);
    dest.Open(newExe_);
    return true;
}

// The new program is copied beside the installed one and then takes its
// name, so a copy that fails halfway leaves the game as it was.
void ProgramUpdate::ReplaceTarget() {
    const std::string beside = targetExe_ + ".new";
    ClearReadOnly(targetExe_);
    platform::RemoveFile(beside);  // a stale copy, or a link planted there
    if (!platform::CopyFileTo(newExe_, beside, true) || !platform::RenameFile(beside, targetExe_)) {
        platform::RemoveFile(beside);
        throw Error(newExe_ + " --> " + targetExe_ + "コピーできません");
    }
}

}  // namespace qi
