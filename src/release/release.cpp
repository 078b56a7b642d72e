#include "release/release.h"

#include "archive/exe_trailer.h"
#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "image/dib_surface.h"
#include "image/vexa.h"
#include "image/vexa_from_surface.h"
#include "platform/platform.h"
#include "release/disc_image.h"
#include "release/disc_plan.h"
#include "release/disc_writer.h"
#include "release/download_writer.h"
#include "release/release_error.h"
#include "release/release_files.h"
#include "release/update_writer.h"
#include "streams/stream.h"
#include "wizard/work_folder.h"

namespace qi {

namespace {

std::string ReadBytes(const std::string& path, const char* key, const ReleaseProject& project) {
    try {
        TMemoryStream memory;
        memory.LoadFromFile(path);
        return std::string(memory.Bytes().begin(), memory.Bytes().end());
    } catch (const Error&) {
        throw ReleaseError(platform::NativePath(project.ProjectFile) + ": \"" + key +
                           "\": cannot read " + platform::NativePath(path));
    }
}

// The title image as the launcher reads it: a layered image, made from a
// PNG, targa, bitmap or icon picture when that is what the artist saved.
MadeEntry PrepareTitle(const ReleaseProject& project, const std::vector<GameFile>& files) {
    MadeEntry title;
    if (project.TitleImage.empty()) return title;
    const std::string bytes = ReadBytes(project.TitleImage, "title_image", project);
    const bool layered = SameText(ExtractFileExt(project.TitleImage), ".vxa");
    try {
        if (layered) {
            TMemoryStream stream;
            stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
            stream.SetPosition(0);
            TVexaFrameList(project.Settings.ImageSeed).LoadFromStream(stream, false, true, false);
            title.Bytes = bytes;
        } else {
            TDIBSurface picture;
            picture.LoadFromBytes(bytes, ImageFormatOf(project.TitleImage));
            VexaWriteOptions options;
            options.Seed = project.Settings.ImageSeed;
            title.Bytes = VexaFromSurface(picture, options);
        }
    } catch (const std::exception& e) {
        throw ReleaseError(platform::NativePath(project.TitleImage) + ": \"title_image\" does not decode: " +
                           e.what());
    }
    title.Name = layered ? ExtractFileName(project.TitleImage) : "title.vxa";
    title.FileTime = platform::GetFileDosTime(project.TitleImage).value_or(0);
    for (const GameFile& file : files) {
        if (SameText(file.Name, title.Name)) {
            throw ReleaseError("'" + platform::Utf8FromCp932(file.Name) + "' in the game folder has the title image's name");
        }
    }
    return title;
}

// The disc's icon, from any picture, as an icon file.
std::string PrepareIcon(const ReleaseProject& project) {
    if (project.Icon.empty()) return {};
    const std::string bytes = ReadBytes(project.Icon, "icon", project);
    try {
        TDIBSurface picture;
        picture.LoadFromBytes(bytes, ImageFormatOf(project.Icon));
        return picture.SaveToBytes(TImageFormat::Icon);
    } catch (const std::exception& e) {
        throw ReleaseError(platform::NativePath(project.Icon) + ": \"icon\" cannot be an icon: " + e.what());
    }
}

// The setup program's own part (a copy that carries a game carries none
// here), in the work folder.
std::string PrepareSetup(const ReleaseProject& project, const std::string& work, bool& windows) {
    const std::string program = work + "~setup.tmp";
    if (!platform::FileExists(project.SetupProgram) || !platform::CopyFileTo(project.SetupProgram, program, true)) {
        throw ReleaseError(platform::NativePath(project.ProjectFile) + ": \"setup\": cannot read " +
                           platform::NativePath(project.SetupProgram));
    }
    CutToProgramPart(program);
    char head[2] = {};
    TFileStream(program, fmOpenRead | fmShareDenyWrite).Read(head, 2);
    windows = head[0] == 'M' && head[1] == 'Z';
    return program;
}

std::string WithoutDelimiter(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

// The setup program as shipped on its own, signed when the release signs.
std::string PreparePlainProgram(ReleaseContent& content, const SigningKeys& keys, const std::string& work) {
    content.Signing = keys;
    if (!keys.Enabled()) return content.SetupProgram;
    if (!content.WindowsSetup) throw ReleaseError("signing: the setup program is not a Windows program");
    const std::string plain = work + "~plain.tmp";
    if (!platform::CopyFileTo(content.SetupProgram, plain, true)) {
        throw ReleaseError(platform::NativePath(plain) + ": cannot be written");
    }
    SignProgram(keys, plain);
    return plain;
}

int64_t TotalBytes(const std::vector<GameFile>& files) {
    int64_t total = 0;
    for (const GameFile& file : files) total += file.Size;
    return total;
}

ReleaseReport DryRun(const ReleaseContent& content, const std::vector<DiscLoad>& plan) {
    ReleaseReport report;
    const Medium& target = content.Project.Target;
    TVrFileCollection names;
    for (size_t disc = 0; disc < plan.size(); ++disc) {
        ReleaseRow row;
        row.Output = target.Download ? "setup" : "disc" + std::to_string(disc + 1);
        for (size_t index : plan[disc].Files) {
            const GameFile& file = content.Files[index];
            const bool entry = target.Download || (file.Part == Component::Data && !file.Loose);
            (entry ? row.Entries : row.Files) += 1;
            if (entry) {
                TVrFile& item = names.Add(file.Name);
                TFileStream stream(content.Project.GameFolder + file.Name, fmOpenRead | fmShareDenyWrite);
                row.Compressed += ShouldCompress(item, stream) ? 1 : 0;
            }
            row.Bytes += file.Size;
        }
        if (!target.Download) row.Free = target.Capacity - plan[disc].Bytes;
        report.Rows.push_back(row);
    }
    report.Notes.push_back("dry run: nothing written; bytes are the files' sizes, entries marked compressed are "
                           "the ones worth compressing");
    return report;
}

void AddDiscImages(const ReleaseContent& content, const std::string& work, ReleaseReport& report) {
    const size_t discs = report.Rows.size();
    for (size_t disc = 0; disc < discs; ++disc) {
        const std::string name = report.Rows[disc].Output;
        WriteDiscImage(work + name + "\\", work + name + ".iso", content.Project.Settings.Title);
        const int64_t bytes = TFileStream(work + name + ".iso", fmOpenRead | fmShareDenyWrite).Size();
        report.Rows.push_back({name + ".iso", 0, 0, 0, bytes, content.Project.Target.Capacity - bytes});
    }
}

ReleaseReport WriteRelease(ReleaseContent& content, const std::vector<DiscLoad>& plan, const std::string& work) {
    ReleaseReport report;
    if (content.Project.Target.Download) {
        const DownloadSummary s = WriteDownload(content, work);
        report.Rows.push_back({s.File, s.LooseEntries, s.Entries - s.LooseEntries, s.Compressed, s.Bytes, -1});
        return report;
    }
    for (const DiscSummary& s : WriteDiscs(content, plan, work)) {
        report.Rows.push_back({s.Folder, s.PlainFiles, s.Entries, s.Compressed, s.Bytes, s.Free});
    }
    return report;
}

void NoteDifference(const UpdateDifference& d, ReleaseReport& report) {
    report.Notes.push_back("update: " + std::to_string(d.Changed.size()) + " changed (" + FormatThousands(d.ChangedBytes) +
                           " bytes), " + std::to_string(d.Added.size()) + " new (" + FormatThousands(d.AddedBytes) +
                           " bytes), " + std::to_string(d.Unchanged) + " unchanged (" +
                           FormatThousands(d.UnchangedBytes) + " bytes)" + (d.TitleChanged ? ", a new title image" : ""));
    if (d.Deleted.empty()) return;
    report.Notes.push_back("deleted since the earlier release (an update cannot delete files; they stay installed):");
    for (const std::string& name : d.Deleted) report.Notes.push_back("  " + name);
}

void AddUpdate(ReleaseContent& content, const ReleaseOptions& options, const std::string& work, ReleaseReport& report) {
    const ReleasedFiles old = ReadRelease(AddBackslash(options.UpdateFrom));
    const UpdateDifference difference = CompareWithRelease(content, old);
    if (!options.DryRun) {
        content.OnProgress = nullptr;  // its files were counted with the release
        const UpdateSummary s = WriteUpdate(content, difference, old, work, work);
        DeleteFolderTree(work + "~update\\");
        report.Rows.push_back({s.File, s.LooseEntries, s.Archive.Entries - s.LooseEntries, s.Archive.Compressed,
                               s.Bytes, -1});
    }
    NoteDifference(difference, report);
}

}  // namespace

ReleaseReport MakeRelease(const ReleaseProject& project, const ReleaseOptions& options) {
    const std::string out = WithoutDelimiter(options.Out);
    if (platform::FileExists(out) || platform::DirectoryExists(out)) {
        throw ReleaseError(platform::NativePath(out) + ": already exists; a release is written into a new folder");
    }
    ReleaseContent content{project, ScanGame(project)};
    content.Title = PrepareTitle(project, content.Files);
    content.AutorunIcon = PrepareIcon(project);
    content.Jobs = options.Jobs;
    const int64_t total = TotalBytes(content.Files);
    const int files = static_cast<int>(content.Files.size());
    content.OnProgress = [&](int done, int64_t bytes) {
        if (options.OnProgress) options.OnProgress(done, files, bytes, total);
    };
    const std::string work = out + ".~qpart\\";
    if (!platform::CreateNewFolder(work)) {
        throw ReleaseError(platform::NativePath(work) + ": cannot be created (left by a stopped release? remove it)");
    }
    try {
        content.SetupProgram = PrepareSetup(project, work, content.WindowsSetup);
        content.PlainProgram = PreparePlainProgram(content, options.DryRun ? SigningKeys{} : options.Signing, work);
        std::vector<DiscLoad> plan(1);
        if (project.Target.Download) {
            for (size_t i = 0; i < content.Files.size(); ++i) plan[0].Files.push_back(i);
        } else {
            plan = PlanDiscs(content.Files, project.Target.Capacity, DiscFixedBytes(content));
        }
        ReleaseReport report = options.DryRun ? DryRun(content, plan) : WriteRelease(content, plan, work);
        if (options.Iso && !project.Target.Download && !options.DryRun) AddDiscImages(content, work, report);
        if (!options.UpdateFrom.empty()) AddUpdate(content, options, work, report);
        platform::RemoveFile(content.SetupProgram);
        platform::RemoveFile(content.PlainProgram);
        if (options.DryRun) {
            DeleteFolderTree(work);
        } else if (!platform::RenameFile(WithoutDelimiter(work), out)) {
            throw ReleaseError(platform::NativePath(out) + ": the finished release cannot be moved there");
        }
        return report;
    } catch (...) {
        DeleteFolderTree(work);
        throw;
    }
}

}  // namespace qi
