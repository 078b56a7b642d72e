#include "release/update_writer.h"

#include <algorithm>

#include "archive/codec.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/platform.h"
#include "release/dos_time.h"
#include "release/download_writer.h"
#include "release/release_error.h"
#include "streams/stream.h"

namespace qi {

namespace {

const ReleasedFile* Find(const ReleasedFiles& old, const std::string& name) {
    auto found = old.find(UpperCase(name));
    return found == old.end() ? nullptr : &found->second;
}

// A time later than the earlier release's for the same name.
uint32_t StampedTime(uint32_t own, const ReleasedFile* before) {
    if (!before || own > before->FileTime) return own;
    return NextDosTime(before->FileTime);
}

// A copy of a changed file whose time is stamped, below work.
void StageFile(const ReleaseContent& content, const GameFile& file, const ReleasedFiles& old,
               const std::string& work) {
    const std::string from = content.Project.GameFolder + file.Name;
    const std::string to = work + file.Name;
    platform::CreateFolders(ExtractFilePath(to));
    if (!platform::CopyFileTo(from, to, true)) throw ReleaseError(platform::NativePath(to) + ": cannot be written");
    const uint32_t own = platform::GetFileDosTime(from).value_or(0);
    platform::SetFileDosTime(to, StampedTime(own, Find(old, file.Name)));
}

}  // namespace

UpdateDifference CompareWithRelease(const ReleaseContent& content, const ReleasedFiles& old) {
    UpdateDifference difference;
    std::vector<std::string> current;
    for (size_t i = 0; i < content.Files.size(); ++i) {
        const GameFile& file = content.Files[i];
        current.push_back(UpperCase(file.Name));
        const ReleasedFile* before = Find(old, file.Name);
        if (!before) {
            difference.Added.push_back(i);
            difference.AddedBytes += file.Size;
        } else if (before->Size != file.Size || before->Crc != FileCrc32(content.Project.GameFolder + file.Name)) {
            difference.Changed.push_back(i);
            difference.ChangedBytes += file.Size;
        } else {
            ++difference.Unchanged;
            difference.UnchangedBytes += file.Size;
        }
    }
    if (!content.Title.Name.empty()) {
        const ReleasedFile* before = Find(old, content.Title.Name);
        const std::string& bytes = content.Title.Bytes;
        difference.TitleChanged = !before || before->Size != static_cast<int64_t>(bytes.size()) ||
                                  before->Crc != Crc32(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        current.push_back(UpperCase(content.Title.Name));
    }
    std::sort(current.begin(), current.end());
    for (const auto& [key, file] : old) {
        if (!std::binary_search(current.begin(), current.end(), key)) {
            difference.Deleted.push_back(platform::Utf8FromCp932(file.Name));
        }
    }
    return difference;
}

UpdateSummary WriteUpdate(ReleaseContent& content, const UpdateDifference& difference, const ReleasedFiles& old,
                          const std::string& out, const std::string& work) {
    UpdateSummary summary;
    summary.File = ProgramName(content, "update");
    std::vector<size_t> files = difference.Changed;
    files.insert(files.end(), difference.Added.begin(), difference.Added.end());
    std::sort(files.begin(), files.end());
    const std::string staged = work + "~update\\";
    for (size_t index : files) StageFile(content, content.Files[index], old, staged);

    TQuorInstallSet settings = CarriedSettings(content, files, difference.TitleChanged, 0);
    settings.UpdateMode = true;
    std::vector<MadeEntry> made{{"install.dat", SettingsBytes(settings), 0, true}};
    if (difference.TitleChanged) {
        MadeEntry title = content.Title;
        title.FileTime = StampedTime(title.FileTime, Find(old, title.Name));
        made.push_back(title);
    }
    summary.Archive = WriteCarryingProgram(content, made, files, out + summary.File, staged);
    for (size_t index : files) {
        summary.LooseEntries += content.Files[index].Loose || content.Files[index].Part != Component::Data;
    }
    summary.LooseEntries += 1;
    summary.Bytes = TFileStream(out + summary.File, fmOpenRead | fmShareDenyWrite).Size();
    return summary;
}

}  // namespace qi
