#include "release/release_files.h"

#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "platform/platform.h"
#include "release/release_error.h"
#include "settings/install_set.h"
#include "streams/stream.h"

namespace qi {

namespace {

bool IsOwnFile(const std::string& name) { return SameText(name, "install.dat") || SameText(name, "install.exe"); }

void Record(ReleasedFiles& files, ReleasedFile file) {
    const std::string key = UpperCase(file.Name);
    files[key] = std::move(file);
}

void ReadEntries(TVrFileCollection& archive, ReleasedFiles& files) {
    for (int i = 0; i < archive.Count(); ++i) {
        const TVrFile& entry = archive.Items(i);
        if (&entry == archive.EOFEntry || IsOwnFile(entry.Name()) || entry.Name().rfind('/', 0) == 0) continue;
        ReleasedFile file{entry.Name(), entry.Size, entry.Checksum, static_cast<uint32_t>(entry.FileTime)};
        if (!entry.Stored) {  // compressed entries are small: their content is unpacked
            TMemoryStream content;
            archive.ExtractToStream(content, entry.Name());
            file.Size = content.Size();
            file.Crc = StreamCrc32(content);
        }
        Record(files, std::move(file));
    }
}

void ReadDisc(const std::string& disc, ReleasedFiles& files) {
    TQuorInstallSet settings;
    settings.LoadFromFile(disc + "install.dat");
    for (const std::string& name : settings.SourceFiles) {
        if (IsOwnFile(name)) continue;
        const std::string path = disc + name;
        Record(files, {name, TFileStream(path, fmOpenRead | fmShareDenyWrite).Size(), FileCrc32(path),
                       platform::GetFileDosTime(path).value_or(0)});
    }
    if (!platform::FileExists(disc + "game.dat")) return;
    TVrFileCollection archive;
    archive.Open(disc + "game.dat", true);
    ReadEntries(archive, files);
}

}  // namespace

uint32_t FileCrc32(const std::string& path) {
    TFileStream file(path, fmOpenRead | fmShareDenyWrite);
    return StreamCrc32(file);
}

ReleasedFiles ReadRelease(const std::string& folder) {
    ReleasedFiles files;
    try {
        for (const char* program : {"setup.exe", "setup"}) {
            if (!platform::FileExists(folder + program)) continue;
            TVrFileCollection archive;
            archive.OpenAppended(folder + program);
            ReadEntries(archive, files);
            return files;
        }
        int discs = 0;
        for (; platform::FileExists(folder + "disc" + std::to_string(discs + 1) + "\\install.dat"); ++discs) {
            ReadDisc(folder + "disc" + std::to_string(discs + 1) + "\\", files);
        }
        if (discs > 0) return files;
    } catch (const Error& e) {
        throw ReleaseError(platform::NativePath(folder) + ": the earlier release cannot be read: " +
                           platform::Utf8FromCp932(e.what()));
    }
    throw ReleaseError(platform::NativePath(folder) + ": holds no release (neither disc1\\install.dat nor setup.exe)");
}

}  // namespace qi
