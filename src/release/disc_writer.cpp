#include "release/disc_writer.h"

#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "release/release_error.h"
#include "streams/stream.h"

namespace qi {

namespace {

// The disc's autorun.inf: the setup program starts, with its own icon or
// the project's.
std::string AutorunText(const ReleaseContent& content) {
    const std::string icon = content.AutorunIcon.empty() ? "install.exe,0" : "autorun.ico";
    return "[autorun]\r\nopen=install.exe\r\nicon=" + icon + "\r\n";
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    TFileStream file(path, fmCreate);
    file.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}
// Settings texts besides the source-file names stay well below this.
constexpr int64_t kSettingsAllowance = 256 * 1024;

void CopyPlain(const std::string& from, const std::string& to) {
    if (!platform::CreateFolders(ExtractFilePath(to)) && !platform::DirectoryExists(ExtractFilePath(to))) {
        throw ReleaseError(platform::NativePath(ExtractFilePath(to)) + ": the folder cannot be created");
    }
    if (!platform::CopyFileTo(from, to, true)) {
        throw ReleaseError(platform::NativePath(to) + ": cannot copy " + platform::NativePath(from) + " there");
    }
}

// One disc: its plain files and data archive, and the sizes they add to
// the settings of the whole set.
struct DiscWork {
    std::vector<std::string> sourceFiles;
    ArchiveResult archive;
    int64_t plainFiles = 0;
};

DiscWork WriteDiscFiles(ReleaseContent& content, const DiscLoad& load, int disc, const std::string& folder,
                        TQuorInstallSet& all) {
    DiscWork work;
    std::vector<size_t> entries;
    std::vector<std::string> entryNames;
    for (size_t index : load.Files) {
        const GameFile& file = content.Files[index];
        if (file.Part == Component::Data && !file.Loose) {
            entries.push_back(index);
            entryNames.push_back(file.Name);
            continue;
        }
        CopyPlain(content.Project.GameFolder + file.Name, folder + file.Name);
        work.sourceFiles.push_back(LowerCase(file.Name));
        ComponentSize(all, file.Loose ? Component::Program : file.Part, disc) += file.Size;
        ++work.plainFiles;
        content.Advance(file.Size);
    }
    std::vector<MadeEntry> made;
    if (disc == 0 && !content.Title.Name.empty()) {
        made.push_back(content.Title);
        entryNames.push_back(content.Title.Name);
    }
    if (!entries.empty() || !made.empty()) {
        work.archive = WriteDataArchive(content, made, entries, false, folder + "game.dat", content.Project.GameFolder);
        all.DataSizes[disc] = work.archive.DataBytes + DirectoryBytes(entryNames, disc == 0);
    }
    return work;
}

// The files the release made and every folder get the release's time; the
// game's files keep theirs.
void StampFolder(const std::string& folder, uint32_t time, bool root) {
    for (const auto& entry : platform::ListDirectory(folder)) {
        if (entry.attributes & platform::kAttrDirectory) {
            StampFolder(folder + entry.name + "\\", time, false);
        } else if (root && IsReleaseFileName(entry.name)) {
            platform::SetFileDosTime(folder + entry.name, time);
        }
    }
    platform::SetFileDosTime(folder, time);
}

int64_t FolderBytes(const std::string& folder) {
    int64_t bytes = 0;
    for (const std::string& name : FilesBelow(folder)) {
        bytes += TFileStream(folder + name, fmOpenRead | fmShareDenyWrite).Size();
    }
    return bytes;
}

}  // namespace

int64_t DiscFixedBytes(const ReleaseContent& content) {
    return TFileStream(content.PlainProgram, fmOpenRead | fmShareDenyWrite).Size() + kSettingsAllowance +
           static_cast<int64_t>(AutorunText(content).size() + content.AutorunIcon.size() + content.Title.Bytes.size());
}

std::vector<DiscSummary> WriteDiscs(ReleaseContent& content, const std::vector<DiscLoad>& plan, const std::string& out) {
    const int count = static_cast<int>(plan.size());
    TQuorInstallSet all = content.BaseSettings();
    all.SetDiscCount(count);
    std::vector<DiscWork> work;
    std::vector<DiscSummary> summary;
    for (int disc = 0; disc < count; ++disc) {
        DiscSummary row;
        row.Folder = "disc" + std::to_string(disc + 1);
        const std::string folder = out + row.Folder + "\\";
        if (!platform::CreateNewFolder(folder)) throw ReleaseError(platform::NativePath(folder) + ": cannot be created");
        CopyPlain(content.PlainProgram, folder + "install.exe");
        work.push_back(WriteDiscFiles(content, plan[disc], disc, folder, all));
        summary.push_back(row);
    }
    // The setup program is installed from the first disc, as the uninstaller.
    all.ProgramSizes[0] += TFileStream(content.PlainProgram, fmOpenRead | fmShareDenyWrite).Size();
    work[0].sourceFiles.insert(work[0].sourceFiles.begin(), "install.exe");
    SetComponentTotals(all);
    for (int disc = 0; disc < count; ++disc) {
        const std::string folder = out + summary[disc].Folder + "\\";
        TQuorInstallSet settings = all;
        settings.DiscIndex = disc;
        settings.SourceFiles = work[disc].sourceFiles;
        settings.SaveToFile(folder + "install.dat");
        if (disc == 0) {
            WriteBytes(folder + "autorun.inf", AutorunText(content));
            if (!content.AutorunIcon.empty()) WriteBytes(folder + "autorun.ico", content.AutorunIcon);
        }
        summary[disc].PlainFiles = work[disc].plainFiles;
        summary[disc].Entries = work[disc].archive.Entries;
        summary[disc].Compressed = work[disc].archive.Compressed;
        StampFolder(folder, content.ReleaseTime(), true);
        summary[disc].Bytes = FolderBytes(folder);
        summary[disc].Free = content.Project.Target.Capacity - summary[disc].Bytes;
    }
    return summary;
}

}  // namespace qi
