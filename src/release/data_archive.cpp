#include "release/release_content.h"

#include <algorithm>
#include <numeric>

#include "archive/vrfiles.h"
#include "streams/big_stream.h"
#include "streams/stream.h"

namespace qi {

TQuorInstallSet ReleaseContent::BaseSettings() const {
    TQuorInstallSet settings = Project.Settings;
    settings.TitleImage = Title.Name;
    return settings;
}

uint32_t ReleaseContent::ReleaseTime() const {
    uint32_t newest = Title.FileTime;
    for (const GameFile& file : Files) newest = std::max(newest, file.Time);
    return newest;
}

ArchiveResult WriteDataArchive(ReleaseContent& content, const std::vector<MadeEntry>& made,
                               const std::vector<size_t>& files, bool allButDataLoose, const std::string& path,
                               const std::string& basePath) {
    TVrFileCollection archive;
    archive.BasePath = basePath;
    archive.Jobs = content.Jobs;
    for (const MadeEntry& entry : made) {
        TVrFile& item = archive.Add(entry.Name);
        auto bytes = std::make_unique<TMemoryStream>();
        bytes->Write(entry.Bytes.data(), static_cast<int64_t>(entry.Bytes.size()));
        bytes->SetPosition(0);
        item.SourceStream = std::move(bytes);
        item.FileTime = static_cast<int32_t>(entry.FileTime);
        item.LooseFile = entry.Loose ? 1 : 0;
    }
    for (size_t index : files) {
        const GameFile& file = content.Files[index];
        const bool loose = file.Loose || (allButDataLoose && file.Part != Component::Data);
        archive.Add(file.Name).LooseFile = loose ? 1 : 0;
    }
    ArchiveResult result;
    bool after = false;
    archive.OnProgress = [&](TVrFileCollection&, TVrFile* item, int64_t size, int index, int, bool&) {
        after = !after;  // each entry is told before and after it is written
        if (after) return;
        ++result.Entries;
        if (!item->LooseFile) result.DataBytes += size;
        if (index >= static_cast<int>(made.size())) content.Advance(content.Files[files[index - made.size()]].Size);
    };
    TQsBigFileStream out(path, fmCreate);
    archive.WriteArchive(out);
    for (int i = 0; i < archive.Count(); ++i) result.Compressed += archive.Items(i).Stored ? 0 : 1;
    return result;
}

int64_t& ComponentSize(TQuorInstallSet& s, Component part, int disc) {
    switch (part) {
        case Component::Program: return s.ProgramSizes[disc];
        case Component::Data: return s.DataSizes[disc];
        case Component::Sound: return s.SoundSizes[disc];
        default: return s.MovieSizes[disc];
    }
}

void SetComponentTotals(TQuorInstallSet& s) {
    auto sum = [](const std::vector<int64_t>& sizes) { return std::accumulate(sizes.begin(), sizes.end(), int64_t{0}); };
    s.ProgramTotal = sum(s.ProgramSizes);
    s.DataTotal = sum(s.DataSizes);
    s.SoundTotal = sum(s.SoundSizes);
    s.MovieTotal = sum(s.MovieSizes);
}

int64_t DirectoryBytes(const std::vector<std::string>& names, bool first) {
    // "vf", the version and the count, and the end offset, once; per entry
    // its name with length, offset, Stored, FileTime, Checksum and LooseFile.
    int64_t bytes = first ? 2 + 4 + 4 + 8 : 0;
    for (const std::string& name : names) bytes += 4 + static_cast<int64_t>(name.size()) + 8 + 1 + 4 + 4 + 1;
    return bytes;
}

}  // namespace qi
