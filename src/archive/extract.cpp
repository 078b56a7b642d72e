#include <algorithm>
#include <climits>
#include <vector>

#include "archive/exe_trailer.h"
#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "settings/install_set.h"

namespace qi {

namespace {

// A piece of a stored copy stays in the processor's cache between its read,
// its CRC and its write.
constexpr int64_t kCopyPiece = 0x40000;
// Compressed entries up to this size are inflated in one piece when their
// content fits in kWholeContent; larger ones stream through zlib.
constexpr int64_t kWholeInflate = 0x800000;
constexpr size_t kWholeContent = 0x1000000;

// The stored bytes of an entry, read out of the archive in pieces of a
// fixed size, with their CRC-32.
class StoredPieces {
public:
    StoredPieces(TVrFileCollection& archive, const TVrFile& entry, int64_t pieceSize)
        : archive_(archive), entry_(entry), left_(entry.Size) {
        TQsBigStream& stream = *archive.Stream;
        if (entry.Size < 0 || entry.Offset < 0 || entry.Offset > stream.GetSize() - entry.Size) {
            Damaged("エントリがアーカイブの外にあります");
        }
        stream.SetPosition(entry.Offset);
        buffer_.resize(static_cast<size_t>(std::clamp<int64_t>(std::min(pieceSize, entry.Size), 0, INT32_MAX)));
    }
    bool AtEnd() const { return left_ == 0; }
    uint32_t Crc() const { return crc_; }
    // The next piece; its size is 0 at the end.
    size_t Next() {
        int64_t piece = std::min(left_, static_cast<int64_t>(buffer_.size()));
        if (piece > 0 && archive_.Stream->Read(buffer_.data(), piece) != piece) Damaged("データが足りません");
        crc_ = Crc32(crc_, buffer_.data(), static_cast<size_t>(piece));
        left_ -= piece;
        return static_cast<size_t>(piece);
    }
    const uint8_t* Data() const { return buffer_.data(); }

private:
    [[noreturn]] void Damaged(const std::string& what) {
        throw EDataDamaged(archive_.ArchiveName() + ":" + entry_.Name() + ":" + what);
    }
    TVrFileCollection& archive_;
    const TVrFile& entry_;
    int64_t left_;
    uint32_t crc_ = 0;
    std::vector<uint8_t> buffer_;
};

// Inflates the stored pieces into sink: in one piece through libdeflate
// when stream and content are small enough, else through zlib in pieces.
void InflatePieces(StoredPieces& stored, const std::string& who, const ZlibInflater::Sink& sink) {
    size_t first = stored.Next();
    if (stored.AtEnd()) {
        std::vector<uint8_t> content;
        if (InflateWhole(stored.Data(), first, content, kWholeContent, who)) {
            sink(content.data(), content.size());
            return;
        }
    }
    ZlibInflater inflater(who, kMaxInflatedSize, sink);
    inflater.Feed(stored.Data(), first);
    while (!stored.AtEnd()) inflater.Feed(stored.Data(), stored.Next());
    inflater.Finish();
}

const char kPartialSuffix[] = ".~qpart";

// The new file an entry is written into, named path in messages; with a
// limit (not negative), a write that would pass it stops the extraction.
class ExtractedFile final : public TFileStream {
public:
    // A file under the temporary name partial.
    ExtractedFile(const std::string& partial, const std::string& path, int64_t limit)
        : TFileStream(partial, fmCreateNew), path_(path), limit_(limit) {}
    // A file without a name yet.
    ExtractedFile(std::unique_ptr<platform::File> unnamed, const std::string& path, int64_t limit)
        : TFileStream(path, std::move(unnamed)), path_(path), limit_(limit) {}
    int64_t Write(const void* buffer, int64_t count) override {
        if (limit_ >= 0 && count > limit_ - Position()) Refuse();
        return TFileStream::Write(buffer, count);
    }
    // A copy inside the kernel passes Write by.
    void CheckSize() {
        if (limit_ >= 0 && Position() > limit_) Refuse();
    }
    bool GiveName(uint32_t dosTime) { return platform::NameUnnamedFile(Handle(), path_, dosTime); }

private:
    [[noreturn]] void Refuse() const {
        throw EOutputLimit(path_ + ":展開したデータが宣言されたサイズ(" + std::to_string(limit_) + "バイト)を超えます");
    }
    std::string path_;
    int64_t limit_;
};

}  // namespace

void CheckEntryPath(const std::string& name) {
    bool bad = name.empty();
    size_t stepStart = 0;
    for (size_t i = 0; !bad && i <= name.size(); i += i < name.size() ? CharLength(name, i) : 1) {
        if (i < name.size() && name[i] == ':') bad = true;
        // i stands at the start of a character: a "\" here is a delimiter,
        // never the second byte of a double-byte character. (Asking
        // IsPathDelimiter would scan from the start again: quadratic.)
        if (i < name.size() && name[i] != '\\' && name[i] != '/') continue;
        std::string step = name.substr(stepStart, i - stepStart);
        // Windows drops trailing dots and blanks, so "..", ". ." and "..."
        // all climb or stay; only a step with something else is a name.
        bad = bad || step.find_first_not_of(". ") == std::string::npos;
        stepStart = i + 1;
    }
    if (bad) throw Error(name + ":フォルダの外を指すファイル名です");
}

// The checksum covers the stored bytes, but the content of a loose file
// (which the writer may have compressed).
void TVrFileCollection::ExtractEntry(const TVrFile& entry, TStream& dest) {
    auto* memory = dynamic_cast<TMemoryStream*>(&dest);
    const bool whole = entry.Stored == 0 && memory;
    StoredPieces stored(*this, entry, entry.Stored ? kCopyPiece : whole ? entry.Size : kWholeInflate);
    uint32_t contentCrc = 0;
    if (entry.Stored) {
        while (size_t piece = stored.Next()) dest.WriteBuffer(stored.Data(), static_cast<int64_t>(piece));
        contentCrc = stored.Crc();
    } else if (whole) {
        size_t size = stored.Next();
        if (!stored.AtEnd()) throw EDataDamaged(entry.Name() + ":展開したデータが大きすぎます");
        memory->Bytes().assign(stored.Data(), stored.Data() + size);
        DecompressMemoryStream(*memory, entry.Name());
        if (entry.LooseFile) contentCrc = Crc32(0, memory->Memory(), static_cast<size_t>(memory->Size()));
    } else {
        InflatePieces(stored, entry.Name() + ":", [&](const uint8_t* data, size_t size) {
            dest.WriteBuffer(data, static_cast<int64_t>(size));
            if (entry.LooseFile) contentCrc = Crc32(contentCrc, data, size);
        });
    }
    uint32_t covered = entry.LooseFile ? contentCrc : stored.Crc();
    if (entry.Checksum != 0 && covered != entry.Checksum) {
        throw EDataDamaged(entry.Name() + ":ファイルが壊れています(CRC-32 が一致しません)");
    }
}

void TVrFileCollection::ExtractToStream(TStream& dest, const std::string& name) {
    if (auto* memory = dynamic_cast<TMemoryStream*>(&dest)) memory->Clear();
    ExtractAtPosition(dest, name);
    dest.SetPosition(0);
}

void TVrFileCollection::ExtractAtPosition(TStream& dest, const std::string& name) {
    int index = Stream ? IndexOf(name) : -1;
    if (index >= 0) {
        ExtractEntry(Items(index), dest);
        return;
    }
    if (!BasePath.empty()) {
        // Loose files fill in what the archive lacks, never from outside BasePath.
        CheckEntryPath(name);
        std::string path = BasePath + name;
        if (platform::FileExists(path) && !SameText(path, FileName)) {
            if (auto* memory = dynamic_cast<TMemoryStream*>(&dest)) {
                memory->LoadFromFile(path);
            } else {
                TFileStream file(path, fmOpenRead | fmShareDenyWrite);
                CopyStreamData(dest, file, 0);
            }
            return;
        }
    }
    throw Error(name + ":ファイルがありません");
}

int64_t TVrFileCollection::ExtractToFile(const std::string& name, const std::string& path, int64_t maxSize,
                                         uint32_t dosTime) {
    auto fill = [&](ExtractedFile& file) {
        ExtractAtPosition(file, name);
        file.CheckSize();
        return file.Position();
    };
    if (auto unnamed = platform::CreateUnnamedFile(path)) {
        ExtractedFile file(std::move(unnamed), path, maxSize);
        int64_t size = fill(file);
        if (file.GiveName(dosTime)) return size;
        // Something took the name meanwhile: the temporary name replaces it.
    }
    const std::string partial = path + kPartialSuffix;
    try {
        platform::RemoveFile(partial);  // a stale copy, or a link planted there
        int64_t size;
        {
            ExtractedFile file(partial, path, maxSize);
            size = fill(file);
        }
        if (!platform::RenameFile(partial, path)) throw Error(path + ":ファイルを書き込めません");
        if (dosTime != 0) platform::SetFileDosTime(path, dosTime);
        return size;
    } catch (...) {
        platform::RemoveFile(partial);
        throw;
    }
}

std::string FindArchiveByTitle(const std::string& folder, const std::string& title) {
    std::vector<std::string> programs;
    ListFilesOptions options;
    options.extension = ".exe";
    ListFiles(folder, options, programs);
    for (const std::string& program : programs) {
        // A program without an appended archive, or one whose archive or
        // settings cannot be read, is passed over: the game may be another
        // program of the folder.
        try {
            {
                TFileStream file(program, fmOpenRead | fmShareDenyWrite);
                if (!ReadExeTrailer(file)) continue;
            }
            TVrFileCollection archive;
            archive.Open(program);
            TMemoryStream settingsImage;
            archive.ExtractToStream(settingsImage, "install.dat");
            TQuorInstallSet settings;
            settings.LoadFromStream(settingsImage);
            if (settings.Title == title) return program;
        } catch (const Error&) {
        }
    }
    return std::string();
}

}  // namespace qi
