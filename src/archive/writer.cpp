#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "archive/exe_trailer.h"
#include "archive/ordered_work.h"
#include "archive/random.h"
#include "archive/vexa_probe.h"
#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/platform.h"

namespace qi {

namespace {

// Stored contents are copied in pieces that stay in the processor's cache
// between their read, their sum and their write.
constexpr int64_t kPiece = 0x40000;
// Extensions of contents that are already compressed; searched as a substring.
const std::string kMediaExtensions = ".WAV.WMA.OGG.AVI.MPG.MPEG.M1V.WMV.ASF.DAT.";

void Put32(std::string& out, int32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
}

void Put64(std::string& out, int64_t value) {
    for (int i = 0; i < 8; ++i) out += static_cast<char>(static_cast<uint64_t>(value) >> (8 * i));
}

void WriteAll(TQsBigStream& dest, const std::string& bytes) {
    auto size = static_cast<int64_t>(bytes.size());
    if (size > 0 && dest.Write(bytes.data(), size) != size) throw Error("書き込みに失敗しました");
}

// Appends the names part of a directory of count entries (entryAt(k) is
// entry k): each length, then the name scrambled with one generator
// running over all names.
template <typename EntryAt>
void AppendScrambledNames(std::string& out, size_t count, EntryAt entryAt) {
    size_t bytes = 0;
    for (size_t k = 0; k < count; ++k) bytes += 4 + entryAt(k).Name().size();
    out.reserve(out.size() + bytes);
    TQsRandom random(ArchiveSeed);
    for (size_t k = 0; k < count; ++k) {
        const std::string& name = entryAt(k).Name();
        if (name.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) throw Error(name + ":名前が長すぎます");
        Put32(out, static_cast<int32_t>(name.size()));
        for (char c : name) out += static_cast<char>(random.Mask8(static_cast<uint8_t>(c)));
    }
}

// The tables after the names: count + 1 scrambled 8-byte offsets
// (offsetAt(k)), then the Stored, FileTime, Checksum and LooseFile arrays.
template <typename EntryAt, typename OffsetAt>
std::string Tables(size_t count, EntryAt entryAt, OffsetAt offsetAt) {
    std::string out;
    out.reserve((count + 1) * 8 + count * 10);
    TQsRandom random(ArchiveSeed);
    for (size_t k = 0; k <= count; ++k) Put64(out, random.Mask64(offsetAt(k)));
    for (size_t k = 0; k < count; ++k) out += static_cast<char>(entryAt(k).Stored);
    for (size_t k = 0; k < count; ++k) Put32(out, entryAt(k).FileTime);
    for (size_t k = 0; k < count; ++k) Put32(out, static_cast<int32_t>(entryAt(k).Checksum));
    for (size_t k = 0; k < count; ++k) out += static_cast<char>(entryAt(k).LooseFile);
    return out;
}

std::string DirectoryHead(size_t count) {
    std::string out = "vf";
    Put32(out, ArchiveVersion);
    Put32(out, static_cast<int32_t>(count));
    return out;
}

// An entry's bytes made in memory before they are appended: compressed (or
// plain, when compression saved too little) with the checksum they carry.
// Not ready: the writer copies the content as it is, or takes it from the
// archive being rewritten.
struct PackedEntry {
    bool ready = false;
    std::vector<uint8_t> bytes;
    uint8_t stored = 0;
    uint32_t checksum = 0;
    std::optional<uint32_t> fileTime;  // of the file the content was read from
};

// The checksum covers the bytes as stored, but a loose file's content.
PackedEntry Compressed(const TVrFile& item, const std::vector<uint8_t>& content, bool plainWhenLittleSaved) {
    PackedEntry packed;
    packed.ready = true;
    packed.bytes = ZlibCompress(content.data(), content.size());
    // Compression that saves less than a tenth is not worth it.
    if (plainWhenLittleSaved && static_cast<int64_t>(packed.bytes.size()) > static_cast<int64_t>(content.size()) * 9 / 10) {
        packed.bytes = content;
        packed.stored = 1;
    }
    const std::vector<uint8_t>& covered = item.LooseFile ? content : packed.bytes;
    packed.checksum = Crc32(0, covered.data(), covered.size());
    return packed;
}

bool IsMedia(const std::string& upperExtension) {
    return !upperExtension.empty() && kMediaExtensions.find(upperExtension) != std::string::npos;
}

// The file below basePath that holds the entry's content; empty when none.
std::string ContentPath(const TVrFile& item, const std::string& basePath) {
    if (basePath.empty()) return std::string();
    CheckEntryPath(item.Name());
    std::string path = basePath + item.Name();
    return platform::FileExists(path) ? path : std::string();
}

// Media are stored as they are, whatever their content: nothing is made of
// them ahead.
bool WorthPacking(const TVrFile& item) { return item.SourceStream || !IsMedia(UpperCase(ExtractFileExt(item.Name()))); }

// What can be made of an entry away from the archive being written (on any
// thread): contents held in memory or on disk that are to be compressed.
PackedEntry PackEntry(const TVrFile& item, const std::string& basePath) {
    TMemoryStream content;
    if (item.SourceStream) {
        if (item.SourceStream->Size() >= StoreLimit) return PackedEntry();
        CopyStreamData(content, *item.SourceStream, 0);
        return Compressed(item, content.Bytes(), false);
    }
    std::string path = ContentPath(item, basePath);
    if (path.empty()) return PackedEntry();
    TFileStream file(path, fmOpenRead | fmShareDenyWrite);
    if (!ShouldCompress(item, file)) return PackedEntry();
    content.LoadFromStream(file);
    PackedEntry packed = Compressed(item, content.Bytes(), true);
    packed.fileTime = file.DosTime();
    return packed;
}

void WriteBytes(TQsBigStream& dest, const uint8_t* data, int64_t size) {
    if (size > 0 && dest.Write(data, size) != size) throw Error("書き込みに失敗しました");
}

// Copies the whole source in pieces and gives the CRC-32 of its bytes.
uint32_t CopyWithCrc(TStream& source, TQsBigStream& dest) {
    source.SetPosition(0);
    std::vector<uint8_t> buffer(kPiece);
    uint32_t crc = 0;
    for (int64_t left = source.Size(); left > 0;) {
        int64_t got = source.Read(buffer.data(), std::min(left, kPiece));
        if (got <= 0) throw Error("読み込みに失敗しました: データが足りません");
        crc = Crc32(crc, buffer.data(), static_cast<size_t>(got));
        WriteBytes(dest, buffer.data(), got);
        left -= got;
    }
    return crc;
}

// Appends what PackEntry made of the entry, or else its content as it is
// (contents of StoreLimit and more, media, files not worth compressing), or
// else its current content from this archive. An entry read from a file
// takes the file's write time.
void AppendEntry(TVrFileCollection& archive, TVrFile& item, const PackedEntry& packed, TQsBigFileStream& dest) {
    item.Stored = 0;
    if (packed.ready) {
        WriteBytes(dest, packed.bytes.data(), static_cast<int64_t>(packed.bytes.size()));
        item.Stored = packed.stored;
        item.Checksum = packed.checksum;
        if (packed.fileTime) item.FileTime = static_cast<int32_t>(*packed.fileTime);
    } else if (item.SourceStream) {
        item.Checksum = CopyWithCrc(*item.SourceStream, dest);
        item.Stored = 1;
    } else if (const std::string path = ContentPath(item, archive.BasePath); !path.empty()) {
        TFileStream file(path, fmOpenRead | fmShareDenyWrite);
        item.Checksum = CopyWithCrc(file, dest);
        item.Stored = 1;
        if (auto time = file.DosTime()) item.FileTime = static_cast<int32_t>(*time);
    } else {
        TMemoryStream content;
        archive.ExtractToStream(content, item.Name());
        if (content.Size() >= StoreLimit) {
            item.Checksum = CopyWithCrc(content, dest);
            item.Stored = 1;
        } else {
            AppendEntry(archive, item, Compressed(item, content.Bytes(), false), dest);
        }
    }
}

}  // namespace

bool ShouldCompress(const TVrFile& item, TStream& content) {
    std::string extension = UpperCase(ExtractFileExt(item.Name()));
    if (extension == ".VXA") return IsUncompressedImage(content);
    return !IsMedia(extension) && content.Size() < StoreLimit;
}

void TVrFileCollection::WriteEntryData(TVrFile& item, TQsBigFileStream& dest) {
    AppendEntry(*this, item, PackEntry(item, BasePath), dest);
}

bool TVrFileCollection::WriteArchive(TQsBigFileStream& dest) {
    std::vector<const TVrFile*> entries;
    std::vector<int> indices;
    for (int i = 0; i < Count(); ++i) {
        if (Items(i).Name() == kEOFEntryName) continue;
        entries.push_back(&Items(i));
        indices.push_back(i);
    }
    const int64_t start = dest.GetPosition();
    auto entryAt = [&](size_t k) -> const TVrFile& { return *entries[k]; };
    std::string head = DirectoryHead(entries.size());
    AppendScrambledNames(head, entries.size(), entryAt);
    WriteAll(dest, head);
    std::string().swap(head);
    const int64_t tablePos = dest.GetPosition();
    const size_t n = entries.size();
    WriteAll(dest, std::string((n + 1) * 8 + n + n * 4 + n * 4 + n, '\0'));

    // Entries are compressed ahead on the worker threads and appended here
    // in order; those worth no packing are not handed to a thread at all.
    std::vector<int> packed;
    for (size_t k = 0; k < n; ++k) {
        if (WorthPacking(*entries[k])) packed.push_back(indices[k]);
    }
    const int threads = Jobs > 1 ? Jobs : 0;
    OrderedWork<PackedEntry> packing(static_cast<int>(packed.size()), threads, 2 * threads,
                                     [&](int k, int) { return PackEntry(Items(packed[static_cast<size_t>(k)]), BasePath); });
    std::vector<int64_t> offsets;
    size_t nextPacked = 0;
    for (size_t k = 0; k < n; ++k) {
        TVrFile& item = Items(indices[k]);
        bool cancel = false;
        if (OnProgress) OnProgress(*this, &item, 0, indices[k], Count(), cancel);
        if (cancel) return false;
        const int64_t before = dest.GetPosition();
        offsets.push_back(before - start);
        try {
            const bool worth = nextPacked < packed.size() && packed[nextPacked] == indices[k];
            AppendEntry(*this, item, worth ? packing.Take(static_cast<int>(nextPacked++)) : PackedEntry(), dest);
        } catch (...) {
            if (OnEntryError) OnEntryError("エラー:" + item.Name());
            throw;
        }
        if (OnProgress) OnProgress(*this, &item, dest.GetPosition() - before, indices[k], Count(), cancel);
        if (cancel) return false;
    }
    offsets.push_back(dest.GetPosition() - start);
    dest.SetPosition(tablePos);
    WriteAll(dest, Tables(n, entryAt, [&](size_t k) { return offsets[k]; }));
    dest.SetPosition(dest.GetSize());
    return true;
}

bool TVrFileCollection::MergeUpdate(TVrFileCollection& update) {
    if (FileName.empty()) throw Error("データファイルが指定されていません");
    if (Stream) {
        Stream.reset();
        Stream = std::make_unique<TQsBigFileStream>(FileName, fmOpenReadWrite | fmShareDenyWrite);
    } else {
        Stream = std::make_unique<TQsBigFileStream>(FileName, fmCreate);
    }
    // Entry sizes follow from the next entry's offset, so the new bytes must
    // start where the directory's data ends. Bytes a cancelled merge left
    // behind are covered by a replaced-style entry "/" instead of silently
    // growing the last entry.
    const int64_t dataEnd = EOFEntry ? EOFEntry->Offset : -1;
    // Stored bytes are copied as they are, never recompressed; entries that
    // lie one after another in the update are copied in one piece.
    struct Run {
        int64_t from = 0, size = 0;
        const TVrFile* first = nullptr;
    } run;
    auto copyRun = [&] {
        if (run.size > 0) {
            update.Stream->SetPosition(run.from);
            Stream->SetPosition(Stream->GetSize());
            if (Stream->CopyFrom(*update.Stream, run.size) != run.size) {
                throw Error(update.ArchiveName() + ":" + run.first->Name() + ":データが足りません");
            }
        }
        run = Run();
    };
    int64_t end = Stream->GetSize();
    bool changed = false;
    Reserve(update.Count() + 1);
    for (int u = 0; u < update.Count(); ++u) {
        TVrFile& source = update.Items(u);
        if (source.Name() == kEOFEntryName || source.LooseFile) continue;
        int j = IndexOf(source.Name());
        if (j >= 0 && Items(j).FileTime >= source.FileTime) continue;  // the installed one is as new
        if (!update.Stream) throw Error(update.ArchiveName() + ":" + source.Name() + ":ファイルがありません");
        if (!changed && dataEnd >= 0 && Stream->GetSize() > dataEnd) {
            TVrFile& gap = Add("/");
            gap.Offset = dataEnd;
            gap.Size = Stream->GetSize() - dataEnd;
            gap.Stored = 1;
        }
        changed = true;
        if (j >= 0) Items(j).SetName("/" + Items(j).Name());
        TVrFile& added = Add(source.Name());
        added.Offset = end;
        added.Size = source.Size;
        added.Checksum = source.Checksum;
        added.FileTime = source.FileTime;
        added.Stored = source.Stored;
        bool cancel = false;
        if (OnProgress) OnProgress(*this, &added, source.Size, u, update.Count(), cancel);
        if (cancel) {
            copyRun();
            return true;
        }
        if (run.size > 0 && source.Offset != run.from + run.size) copyRun();
        if (run.size == 0) {
            run.from = source.Offset;
            run.first = &source;
        }
        run.size += source.Size;
        end += source.Size;
    }
    copyRun();
    if (!changed) return false;

    if (EOFEntry) {
        Delete(EOFEntry->Index());
        EOFEntry = nullptr;
    }
    // The directory lists every entry as it stands.
    const size_t count = static_cast<size_t>(Count());
    const int64_t streamEnd = Stream->GetSize();
    auto entryAt = [&](size_t k) -> const TVrFile& { return Items(static_cast<int>(k)); };
    auto offsetAt = [&](size_t k) { return k < count ? entryAt(k).Offset : streamEnd; };
    std::string directory = DirectoryHead(count);
    AppendScrambledNames(directory, count, entryAt);

    // Written beside the side-car and renamed into place, so that an
    // interrupted merge leaves the previous directory whole.
    std::string sideCar = SideCarFileName(FileName);
    std::string temporary = sideCar + ".new";
    try {
        platform::RemoveFile(temporary);  // a stale copy, or a link planted there
        TFileStream file(temporary, fmCreateNew, true);
        // Names and tables in two writes: the directory is never held whole twice.
        file.WriteBuffer(directory.data(), static_cast<int64_t>(directory.size()));
        std::string().swap(directory);
        directory = Tables(count, entryAt, offsetAt);
        file.WriteBuffer(directory.data(), static_cast<int64_t>(directory.size()));
        file.Flush();
    } catch (...) {
        platform::RemoveFile(temporary);
        throw;
    }
    if (!platform::RenameFile(temporary, sideCar)) {
        platform::RemoveFile(temporary);
        throw Error(sideCar + ":ファイルを書き込めません");
    }
    return true;
}

void AppendArchiveToExe(const std::string& exeFileName, const std::string& archiveFileName) {
    TFileStream exe(exeFileName, fmOpenReadWrite | fmShareExclusive);
    const int64_t programSize = exe.Size();
    if (programSize > std::numeric_limits<int32_t>::max()) {
        throw Error(exeFileName + ":プログラムが大きすぎてアーカイブを付けられません");
    }
    try {
        TFileStream archive(archiveFileName, fmOpenRead | fmShareDenyWrite);
        exe.Seek(0, SeekOrigin::End);
        CopyStreamData(exe, archive, 0);
        WriteExeTrailer(exe, programSize);
        exe.Flush();
    } catch (...) {
        exe.SetSize(programSize);  // the program stays as it was
        throw;
    }
}

}  // namespace qi
