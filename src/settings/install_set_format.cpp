// Reading and writing "install.dat": an optional "isNNN" header, then the
// fields in file order, little-endian, with no padding. Sizes take 4 bytes
// below version 100 and 8 bytes from 100 on.
#include <cstring>

#include "base/little_endian.h"
#include "platform/platform.h"
#include "settings/install_set.h"

namespace qi {
namespace {

// No game lists more names than this (a game of a million files has room to
// spare); a larger count in a small file would only cost memory.
constexpr int32_t kMaxListedNames = 1 << 21;

class SettingsReader {
public:
    SettingsReader(TStream& stream, const std::string& sourceName)
        : stream_(stream), name_(sourceName), remaining_(stream.Size() - stream.Position()) {}

    uint8_t Byte() {
        uint8_t b;
        Take(&b, 1, "flag");
        return b;
    }
    bool Flag() { return Byte() != 0; }
    int32_t Int(const char* what) {
        uint8_t b[4];
        Take(b, 4, what);
        return LoadLe<int32_t>(b);
    }
    int64_t Size(int version) {
        if (version < 100) return static_cast<uint32_t>(Int("size"));
        uint8_t b[8];
        Take(b, 8, "size");
        return LoadLe<int64_t>(b);
    }
    std::string String(const char* what) {
        int32_t n = Int(what);
        if (n <= 0) return {};
        std::string text(static_cast<size_t>(Checked(n, 1, what)), '\0');
        Take(text.data(), n, what);
        return text;
    }
    // A count of names that each take at least itemBytes bytes of the data.
    int32_t Count(const char* what, int64_t itemBytes) {
        int32_t n = Int(what);
        if (n > kMaxListedNames) Fail(std::string(what) + " " + std::to_string(n) + " exceeds the limit");
        return n <= 0 ? 0 : static_cast<int32_t>(Checked(n, itemBytes, what));
    }
    int64_t Remaining() const { return remaining_; }

    [[noreturn]] void Fail(const std::string& detail) const {
        throw Error(name_ + ":ファイルが壊れています (" + detail + ")");
    }

private:
    int64_t Checked(int64_t n, int64_t itemBytes, const char* what) const {
        if (n > remaining_ / itemBytes) Fail(std::string(what) + " " + std::to_string(n) + " exceeds the data");
        return n;
    }
    void Take(void* buffer, int64_t n, const char* what) {
        if (n > remaining_ || stream_.Read(buffer, n) != n) Fail(std::string("truncated at ") + what);
        remaining_ -= n;
    }

    TStream& stream_;
    std::string name_;
    int64_t remaining_;
};

int ReadHeader(TStream& stream) {
    int64_t start = stream.Position();
    char header[5];
    if (stream.Read(header, 2) != 2 || std::memcmp(header, "is", 2) != 0) {
        stream.SetPosition(start);
        return 0;
    }
    if (stream.Read(header + 2, 3) != 3) return 0;
    int version = 0;
    for (int i = 2; i < 5; ++i) {
        if (header[i] < '0' || header[i] > '9') return 0;
        version = version * 10 + (header[i] - '0');
    }
    return version;
}

void ReadBody(TQuorInstallSet& s, SettingsReader& in, int version) {
    s.DiscIndex = in.Int("DiscIndex");
    s.Title = in.String("Title");
    s.FooterText = in.String("FooterText");
    s.DefaultFolder = in.String("DefaultFolder");
    s.ReadmeFile = in.String("ReadmeFile");
    s.OpenReadme = in.Flag();
    s.TitleImage = in.String("TitleImage");
    s.TitleImageMode = in.Byte();
    int32_t discs = in.Int("DiscCount");
    if (discs < 0) in.Fail("DiscCount " + std::to_string(discs));
    int64_t discBytes = version >= 100 ? 32 : 16;
    if (discs > in.Remaining() / discBytes) in.Fail("DiscCount " + std::to_string(discs) + " exceeds the data");
    s.SetDiscCount(discs);
    s.ExeFile = in.String("ExeFile");
    s.ImageSeed = in.Int("ImageSeed");
    s.ShowRuntimeButtons = in.Flag();
    s.ReservedFlag = in.Byte();
    s.MediumWord = in.String("MediumWord");
    s.RegistryKey = in.String("RegistryKey");
    for (int32_t i = 0; i < discs; ++i) {
        s.ProgramSizes[i] = in.Size(version);
        s.DataSizes[i] = in.Size(version);
        s.SoundSizes[i] = in.Size(version);
        s.MovieSizes[i] = in.Size(version);
    }
    s.ProgramTotal = in.Size(version);
    s.DataTotal = in.Size(version);
    s.SoundTotal = in.Size(version);
    s.MovieTotal = in.Size(version);
    s.Installed = in.Flag();
    if (version >= 101) s.UpdateMode = in.Flag();
    s.InstalledFiles.clear();
    if (version >= 102) {
        int32_t count = in.Count("InstalledFiles", 4);
        for (int32_t i = 0; i < count; ++i) {
            std::string name = in.String("InstalledFiles entry");
            if (!name.empty()) s.InstalledFiles.push_back(std::move(name));
        }
    }
    if (version >= 103) s.DataInstalled = in.Flag();
    if (version >= 104) s.InstallType = in.Byte();
    if (version >= 105) s.ExtractFiles = in.Flag();
    s.SourceFiles.clear();
    if (version >= 106) {
        int32_t count = in.Count("SourceFiles", 4);
        for (int32_t i = 0; i < count; ++i) s.SourceFiles.push_back(in.String("SourceFiles entry"));
    }
    if (version >= 107) s.SetupCaption = in.String("SetupCaption");
    if (version >= 108) {
        s.HelloText = in.String("HelloText");
        s.LicenseText = in.String("LicenseText");
    }
}

class SettingsWriter {
public:
    explicit SettingsWriter(TStream& stream) : stream_(stream) {}
    void Byte(uint8_t b) { bytes_.push_back(b); }
    void Int(int32_t v) { Little(static_cast<uint32_t>(v), 4); }
    void Size(int64_t v) { Little(static_cast<uint64_t>(v), 8); }
    void String(const std::string& text) {
        Int(static_cast<int32_t>(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
    }
    void List(const std::vector<std::string>& list) {
        Int(static_cast<int32_t>(list.size()));
        for (const auto& entry : list) String(entry);
    }
    void Flush() { stream_.WriteBuffer(bytes_.data(), static_cast<int64_t>(bytes_.size())); }

private:
    void Little(uint64_t v, int n) {
        for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    TStream& stream_;
    std::vector<uint8_t> bytes_;
};

}  // namespace

void TQuorInstallSet::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file, fileName);
}

void TQuorInstallSet::LoadFromStream(TStream& stream, const std::string& sourceName) {
    int version = ReadHeader(stream);
    SettingsReader in(stream, sourceName);
    TQuorInstallSet loaded = *this;
    ReadBody(loaded, in, version);
    loaded.FormatVersion = version;
    *this = std::move(loaded);
}

void TQuorInstallSet::SaveToStream(TStream& stream) const {
    SettingsWriter out(stream);
    for (char c : std::string("is") + std::to_string(kWrittenVersion)) out.Byte(static_cast<uint8_t>(c));
    out.Int(DiscIndex);
    out.String(Title);
    out.String(FooterText);
    out.String(DefaultFolder);
    out.String(ReadmeFile);
    out.Byte(OpenReadme);
    out.String(TitleImage);
    out.Byte(TitleImageMode);
    out.Int(DiscCount);
    out.String(ExeFile);
    out.Int(ImageSeed);
    out.Byte(ShowRuntimeButtons);
    out.Byte(ReservedFlag);
    out.String(MediumWord);
    out.String(RegistryKey);
    for (int32_t i = 0; i < DiscCount; ++i) {
        out.Size(ProgramSizes[i]);
        out.Size(DataSizes[i]);
        out.Size(SoundSizes[i]);
        out.Size(MovieSizes[i]);
    }
    for (int64_t total : {ProgramTotal, DataTotal, SoundTotal, MovieTotal}) out.Size(total);
    out.Byte(Installed);
    out.Byte(UpdateMode);
    out.List(InstalledFiles);
    out.Byte(DataInstalled);
    out.Byte(InstallType);
    out.Byte(ExtractFiles);
    out.List(SourceFiles);
    out.String(SetupCaption);
    out.String(HelloText);
    out.String(LicenseText);
    out.Flush();
}

void TQuorInstallSet::SaveToFile(const std::string& fileName) const {
    std::string temporary = fileName + ".tmp";
    platform::RemoveFile(temporary);  // a stale copy, or a link planted there
    {
        TFileStream file(temporary, fmCreateNew);
        SaveToStream(file);
        file.Flush();
    }
    if (!platform::RenameFile(temporary, fileName)) {
        platform::RemoveFile(temporary);
        throw Error(fileName + ":ファイルを作成できません");
    }
}

void TQuorInstallSet::SetDiscCount(int32_t count) {
    if (count < 0) throw Error("ディスク数が範囲外です (" + std::to_string(count) + ")");
    DiscCount = count;
    for (auto* sizes : {&ProgramSizes, &DataSizes, &SoundSizes, &MovieSizes}) sizes->resize(static_cast<size_t>(count));
}

}  // namespace qi
