#include "release/download_writer.h"

#include "archive/vrfiles.h"
#include "platform/platform.h"
#include "release/release_error.h"
#include "streams/stream.h"

namespace qi {

namespace {

std::string FileBytes(const std::string& path) {
    TMemoryStream memory;
    memory.LoadFromFile(path);
    return std::string(memory.Bytes().begin(), memory.Bytes().end());
}

uint32_t DosTimeOf(const std::string& path) { return platform::GetFileDosTime(path).value_or(0); }

}  // namespace

TQuorInstallSet CarriedSettings(const ReleaseContent& content, const std::vector<size_t>& files, bool title,
                                int64_t programBytes) {
    TQuorInstallSet s = content.BaseSettings();
    s.SetDiscCount(1);
    s.ExtractFiles = true;
    s.ProgramSizes[0] = programBytes;
    std::vector<std::string> entryNames;
    for (size_t index : files) {
        const GameFile& file = content.Files[index];
        if (!file.Loose && file.Part == Component::Data) entryNames.push_back(file.Name);
        // A data entry's stored form is at most its size.
        ComponentSize(s, file.Loose ? Component::Program : file.Part, 0) += file.Size;
    }
    if (title && !content.Title.Name.empty()) {
        entryNames.push_back(content.Title.Name);
        s.DataSizes[0] += static_cast<int64_t>(content.Title.Bytes.size());
    }
    s.DataSizes[0] += DirectoryBytes(entryNames, true);
    SetComponentTotals(s);
    return s;
}

std::string SettingsBytes(const TQuorInstallSet& settings) {
    TMemoryStream memory;
    settings.SaveToStream(memory);
    return std::string(memory.Bytes().begin(), memory.Bytes().end());
}

std::string ProgramName(const ReleaseContent& content, const std::string& base) {
    return content.WindowsSetup ? base + ".exe" : base;
}

ArchiveResult WriteCarryingProgram(ReleaseContent& content, const std::vector<MadeEntry>& made,
                                   const std::vector<size_t>& files, const std::string& exe,
                                   const std::string& basePath) {
    const std::string archive = exe + ".~qpak";
    if (!platform::CopyFileTo(content.SetupProgram, exe, true)) {
        throw ReleaseError(platform::NativePath(exe) + ": cannot be written");
    }
    ArchiveResult result;
    try {
        result = WriteDataArchive(content, made, files, true, archive, basePath);
        AppendArchiveToExe(exe, archive);
        if (content.Signing.Enabled()) SignProgram(content.Signing, exe);
    } catch (...) {
        platform::RemoveFile(archive);
        throw;
    }
    platform::RemoveFile(archive);
    return result;
}

DownloadSummary WriteDownload(ReleaseContent& content, const std::string& out) {
    DownloadSummary summary;
    summary.File = ProgramName(content, "setup");
    const std::string setupBytes = FileBytes(content.PlainProgram);
    std::vector<size_t> files(content.Files.size());
    for (size_t i = 0; i < files.size(); ++i) files[i] = i;
    std::vector<MadeEntry> made;
    // The settings travel first; neither merged nor written out (the
    // installation saves its own), so they go as a loose entry.
    made.push_back({"install.dat", SettingsBytes(CarriedSettings(content, files, true, static_cast<int64_t>(setupBytes.size()))),
                    0, true});
    // The uninstaller the shortcut starts: the setup program without the game.
    made.push_back({"install.exe", setupBytes, DosTimeOf(content.Project.SetupProgram), true});
    if (!content.Title.Name.empty()) made.push_back(content.Title);
    const ArchiveResult result =
        WriteCarryingProgram(content, made, files, out + summary.File, content.Project.GameFolder);
    summary.Entries = result.Entries;
    for (const GameFile& file : content.Files) summary.LooseEntries += file.Loose || file.Part != Component::Data;
    summary.LooseEntries += 2;
    summary.Compressed = result.Compressed;
    summary.Bytes = TFileStream(out + summary.File, fmOpenRead | fmShareDenyWrite).Size();
    return summary;
}

}  // namespace qi
