#include "archive/vrfiles.h"

#include <cstring>
#include <vector>

#include "archive/exe_trailer.h"
#include "archive/random.h"
#include "base/cp932.h"
#include "base/little_endian.h"
#include "base/path_helpers.h"
#include "platform/platform.h"

namespace qi {

namespace {

[[noreturn]] void Damaged(const std::string& archive, const std::string& what) {
    throw Error(archive + ":アーカイブのディレクトリが壊れています(" + what + ")");
}

}  // namespace

std::string SideCarFileName(const std::string& archiveFileName) {
    return archiveFileName.substr(0, archiveFileName.size() - ExtractFileExt(archiveFileName).size()) + ".ext";
}

TVrFileCollection::~TVrFileCollection() { CloseArchive(); }

std::string TVrFileCollection::ArchiveName() const {
    if (!SourceName.empty()) return SourceName;
    if (!FileName.empty()) return FileName;
    return "アーカイブ";
}

TVrFile& TVrFileCollection::Add(std::string name) { return static_cast<TVrFile&>(AddItem(std::move(name))); }

void TVrFileCollection::CloseArchive() {
    Clear();
    EOFEntry = nullptr;
    Version = 0;
    Stream.reset();
    ModuleHandle.clear();
    SourceName.clear();
}

void TVrFileCollection::Open(const std::string& fileName, bool treatAsFile) {
    const std::string extension = UpperCase(ExtractFileExt(fileName));
    OpenFile(fileName, treatAsFile, extension == ".EXE" || extension == ".SCR");
}

void TVrFileCollection::OpenAppended(const std::string& programFile) { OpenFile(programFile, true, true); }

void TVrFileCollection::OpenFile(const std::string& fileName, bool treatAsFile, bool appended) {
    CloseArchive();
    FileName = fileName;
    if (fileName.empty()) return;
    bool exists = platform::FileExists(fileName);
    BasePath = exists || treatAsFile ? ExtractFilePath(fileName) : fileName;
    if (!BasePath.empty()) BasePath = AddBackslash(BasePath);
    if (!exists) return;

    try {
        SourceName = fileName;
        Stream = std::make_unique<TQsBigFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
        if (!appended) {
            std::string sideCar = SideCarFileName(fileName);
            if (platform::FileExists(sideCar)) {
                // The current directory of a merged data file; its offsets
                // are positions in the data file itself.
                TQsBigMemoryStream directory;
                directory.LoadFromFile(sideCar);
                directory.SetPosition(0);
                SourceName = sideCar;
                ReadDirectory(directory);
                SourceName = fileName;
            } else {
                Stream->SetPosition(0);
                ReadDirectory(*Stream);
            }
        } else {
            // An executable carries the archive after its program part,
            // whose length the trailer names.
            auto start = ReadExeTrailer(*Stream);
            if (!start) Damaged(fileName, "アーカイブが付いていません");
            Stream->SetPosition(*start);
            ReadDirectory(*Stream);
        }
    } catch (...) {
        // Nothing of a file that failed to open stays, not even its name: a
        // later merge must not take it for a data file to create afresh.
        CloseArchive();
        FileName.clear();
        throw;
    }
}

void TVrFileCollection::OpenResource(const std::string& moduleFileName, const std::string& resName,
                                     const std::string& resType) {
    CloseArchive();
    if (!SameText(moduleFileName, platform::ModuleFileName())) {
        // A program file that cannot be loaded leaves the collection empty.
        if (!platform::FileExists(moduleFileName)) return;
        ModuleHandle = moduleFileName;
    }
    try {
        SourceName = moduleFileName + "(" + resName + ")";
        Stream = std::make_unique<TQsBigResourceStream>(moduleFileName, resName, resType);
        if (Stream->GetSize() == 0) throw Error("リソースが見つかりません");
        Stream->SetPosition(0);
        ReadDirectory(*Stream);
    } catch (...) {
        CloseArchive();
        throw;
    }
}

void TVrFileCollection::ReadDirectory(TQsBigStream& source) {
    const std::string archive = ArchiveName();
    const int64_t base = source.GetPosition();
    const int64_t sourceSize = source.GetSize();

    // A data file that holds nothing (a merge that added nothing to a new
    // one) has an empty directory.
    if (sourceSize == base) {
        Version = 0;
        EOFEntry = &Add(kEOFEntryName);
        EOFEntry->Offset = 0;
        return;
    }

    uint8_t head[4];
    int32_t version = 0;
    if (source.Read(head, 2) == 2 && head[0] == 'v' && head[1] == 'f') {
        if (source.Read(head, 4) != 4) Damaged(archive, "途中で切れています");
        version = LoadLe<int32_t>(head);
        if (version < 0 || version > 102) Damaged(archive, "未対応の版 " + std::to_string(version));
    } else {
        source.SetPosition(base);
    }
    if (source.Read(head, 4) != 4) Damaged(archive, "途中で切れています");
    const int32_t count = LoadLe<int32_t>(head);
    if (count < 0) Damaged(archive, "エントリ数が負です");

    // Every entry needs at least its length field, its offset and its
    // attributes; a count that cannot fit in the bytes left is refused
    // before anything is allocated for it.
    const int64_t offsetWidth = version >= 101 ? 8 : 4;
    const int64_t attributeWidth = (version >= 101 ? 9 : 0) + (version >= 102 ? 1 : 0);
    const int64_t n = count;
    int64_t nameBudget = sourceSize - source.GetPosition() - (n * (4 + offsetWidth + attributeWidth) + offsetWidth);
    if (nameBudget < 0) Damaged(archive, "エントリ数 " + std::to_string(count) + " がデータに収まりません");

    std::vector<std::string> names(static_cast<size_t>(n));
    {
        TQsBuffBigStream reader(source);
        for (auto& name : names) {
            if (reader.Read(head, 4) != 4) Damaged(archive, "途中で切れています");
            int32_t length = LoadLe<int32_t>(head);
            if (length < 0 || length > nameBudget) Damaged(archive, "名前の長さが不正です");
            nameBudget -= length;
            name.resize(static_cast<size_t>(length));
            if (length > 0 && reader.Read(name.data(), length) != length) Damaged(archive, "途中で切れています");
        }
    }
    if (version >= 100) {
        // All names are scrambled with one generator, byte after byte.
        TQsRandom random(ArchiveSeed);
        for (auto& name : names) {
            for (char& c : name) c = static_cast<char>(random.Mask8(static_cast<uint8_t>(c)));
        }
    }
    std::vector<uint8_t> table(static_cast<size_t>((n + 1) * offsetWidth));
    if (source.Read(table.data(), static_cast<int64_t>(table.size())) != static_cast<int64_t>(table.size())) {
        Damaged(archive, "途中で切れています");
    }
    std::vector<int64_t> offsets(static_cast<size_t>(n + 1));
    TQsRandom random(ArchiveSeed);
    for (size_t k = 0; k < offsets.size(); ++k) {
        if (offsetWidth == 8) {
            offsets[k] = random.Mask64(LoadLe<int64_t>(&table[k * 8]));
        } else {
            int32_t value = LoadLe<int32_t>(&table[k * 4]);
            if (version >= 100) value = random.Mask32(value);
            offsets[k] = static_cast<uint32_t>(value);  // widened with the upper half 0
        }
    }

    // The offsets count from the directory's start and must stay inside the
    // data: none before the directory, none decreasing, the end within the
    // stream that holds the entry bytes.
    const int64_t dataSize = Stream ? Stream->GetSize() : sourceSize;
    for (size_t k = 0; k < offsets.size(); ++k) {
        if (offsets[k] < 0) Damaged(archive, "オフセットがディレクトリの前を指しています");
        if (k > 0 && offsets[k] < offsets[k - 1]) Damaged(archive, "オフセットが逆順です");
    }
    if (offsets[static_cast<size_t>(n)] > dataSize - base) Damaged(archive, "オフセットがデータの外を指しています");

    std::vector<uint8_t> stored(static_cast<size_t>(n)), loose(static_cast<size_t>(n));
    std::vector<uint8_t> times(static_cast<size_t>(n * 4)), sums(static_cast<size_t>(n * 4));
    if (version >= 101) {
        auto readTable = [&](std::vector<uint8_t>& bytes) {
            int64_t size = static_cast<int64_t>(bytes.size());
            if (size > 0 && source.Read(bytes.data(), size) != size) Damaged(archive, "途中で切れています");
        };
        readTable(stored);
        readTable(times);
        readTable(sums);
        if (version >= 102) readTable(loose);
    }

    // Only a directory read to its end adds entries.
    const int firstIndex = Count();
    Reserve(count + 1);
    for (auto& name : names) Add(std::move(name));  // the directory is not held twice
    EOFEntry = &Add(kEOFEntryName);
    for (int32_t k = 0; k < count; ++k) {
        TVrFile& entry = Items(firstIndex + k);
        size_t i = static_cast<size_t>(k);
        entry.Stored = stored[i];
        entry.FileTime = LoadLe<int32_t>(&times[i * 4]);
        entry.Checksum = static_cast<uint32_t>(LoadLe<int32_t>(&sums[i * 4]));
        entry.LooseFile = loose[i];
        entry.Size = offsets[i + 1] - offsets[i];
        entry.Offset = offsets[i] + base;
    }
    Version = version;
    EOFEntry->Offset = offsets[static_cast<size_t>(n)];
    EOFEntry->Size = 0;
}

}  // namespace qi
