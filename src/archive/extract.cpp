#include <zlib.h>

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

constexpr int64_t kCrcBlock = 0x100000;
constexpr int64_t kInflateBlock = 1000000;
// zlib counts in unsigned int; bigger inputs are fed in pieces.
constexpr int64_t kZlibPiece = 0x40000000;

bool IsStepDelimiter(const std::string& name, size_t i) { return IsPathDelimiter(name, i) || name[i] == '/'; }

// Copies the stored bytes of an entry out of the archive.
void CopyStoredBytes(TVrFileCollection& archive, TVrFile& entry, TStream& dest) {
    TQsBigStream& stream = *archive.Stream;
    if (entry.Size < 0 || entry.Offset < 0 || entry.Offset > stream.GetSize() - entry.Size) {
        throw Error(archive.ArchiveName() + ":" + entry.Name() + ":エントリがアーカイブの外にあります");
    }
    stream.SetPosition(entry.Offset);
    // A count of 0 would mean "everything" to the copy.
    if (entry.Size > 0 && stream.CopyToStream(dest, entry.Size) != entry.Size) {
        throw Error(archive.ArchiveName() + ":" + entry.Name() + ":データが足りません");
    }
}

}  // namespace

void CheckEntryPath(const std::string& name) {
    bool bad = name.empty();
    size_t stepStart = 0;
    for (size_t i = 0; !bad && i <= name.size(); i += i < name.size() ? CharLength(name, i) : 1) {
        if (i < name.size() && name[i] == ':') bad = true;
        if (i < name.size() && !IsStepDelimiter(name, i)) continue;
        std::string step = name.substr(stepStart, i - stepStart);
        // Windows drops trailing dots and blanks, so "..", ". ." and "..."
        // all climb or stay; only a step with something else is a name.
        bad = bad || step.find_first_not_of(". ") == std::string::npos;
        stepStart = i + 1;
    }
    if (bad) throw Error(name + ":フォルダの外を指すファイル名です");
}

void TVrFileCollection::ExtractToStream(TStream& dest, const std::string& name) {
    auto* memory = dynamic_cast<TMemoryStream*>(&dest);
    if (memory) memory->Clear();
    int index = Stream ? IndexOf(name) : -1;
    if (index >= 0) {
        TVrFile& entry = Items(index);
        if (entry.Stored == 0 && !memory) {
            TMemoryStream temporary;
            CopyStoredBytes(*this, entry, temporary);
            DecompressMemoryStream(temporary, entry.Name());
            CopyStreamData(dest, temporary, 0);
        } else {
            CopyStoredBytes(*this, entry, dest);
            if (entry.Stored == 0) DecompressMemoryStream(*memory, entry.Name());
        }
        dest.SetPosition(0);
        return;
    }
    if (!BasePath.empty()) {
        // Loose files fill in what the archive lacks, never from outside BasePath.
        CheckEntryPath(name);
        std::string path = BasePath + name;
        if (platform::FileExists(path) && !SameText(path, FileName)) {
            if (memory) {
                memory->LoadFromFile(path);
            } else {
                TFileStream file(path, fmOpenRead | fmShareDenyWrite);
                CopyStreamData(dest, file, 0);
            }
            dest.SetPosition(0);
            return;
        }
    }
    throw Error(name + ":ファイルがありません");
}

void CompressMemoryStream(TMemoryStream& m) {
    z_stream z{};
    if (deflateInit(&z, 1) != Z_OK) throw Error("圧縮を開始できません");
    std::vector<uint8_t> out;
    const uint8_t* in = m.Memory();
    int64_t left = m.Size();
    int flush = Z_NO_FLUSH;
    int result = Z_OK;
    do {
        if (z.avail_in == 0 && flush == Z_NO_FLUSH) {
            int64_t piece = std::min(left, kZlibPiece);
            z.next_in = const_cast<Bytef*>(in);
            z.avail_in = static_cast<uInt>(piece);
            in += piece;
            left -= piece;
            if (left == 0) flush = Z_FINISH;
        }
        size_t done = out.size();
        size_t room = static_cast<size_t>(std::max<int64_t>(deflateBound(&z, z.avail_in), 0x10000));
        out.resize(done + room);
        z.next_out = out.data() + done;
        z.avail_out = static_cast<uInt>(room);
        result = deflate(&z, flush);
        out.resize(done + room - z.avail_out);
    } while (result == Z_OK || result == Z_BUF_ERROR);
    deflateEnd(&z);
    if (result != Z_STREAM_END) throw Error("圧縮に失敗しました");
    m.Bytes() = std::move(out);
    m.Seek(0, SeekOrigin::End);
}

void DecompressMemoryStream(TMemoryStream& m, const std::string& entryName, int64_t maxSize) {
    const std::string who = entryName.empty() ? std::string() : entryName + ":";
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw Error(who + "展開を開始できません");
    std::vector<uint8_t> out;
    const uint8_t* in = m.Memory();
    int64_t left = m.Size();
    int result = Z_OK;
    for (;;) {
        if (z.avail_in == 0 && left > 0) {
            int64_t piece = std::min(left, kZlibPiece);
            z.next_in = const_cast<Bytef*>(in);
            z.avail_in = static_cast<uInt>(piece);
            in += piece;
            left -= piece;
        }
        size_t done = out.size();
        if (static_cast<int64_t>(done) > maxSize) {
            inflateEnd(&z);
            throw Error(who + "展開したデータが大きすぎます(" + std::to_string(maxSize) + "バイトまで)");
        }
        const int64_t block = std::min(kInflateBlock, maxSize + 1 - static_cast<int64_t>(done));
        out.resize(done + static_cast<size_t>(block));
        z.next_out = out.data() + done;
        z.avail_out = static_cast<uInt>(block);
        result = inflate(&z, Z_NO_FLUSH);
        out.resize(done + static_cast<size_t>(block) - z.avail_out);
        if (result == Z_STREAM_END && static_cast<int64_t>(out.size()) <= maxSize) break;
        bool stuck = result == Z_BUF_ERROR && z.avail_in == 0 && left == 0;
        if ((result != Z_OK && result != Z_BUF_ERROR) || stuck) {
            std::string detail = stuck ? "途中で切れています" : z.msg ? z.msg : "zlib " + std::to_string(result);
            inflateEnd(&z);
            throw Error(who + "圧縮データが壊れています(" + detail + ")");
        }
    }
    inflateEnd(&z);
    m.Bytes() = std::move(out);
    m.SetPosition(0);
}

uint32_t StreamCrc32(TStream& s) {
    uLong crc = crc32(0, nullptr, 0);
    s.SetPosition(0);
    if (auto* memory = dynamic_cast<TMemoryStream*>(&s)) {
        for (int64_t done = 0, size = memory->Size(); done < size;) {
            int64_t piece = std::min(size - done, kCrcBlock);
            crc = crc32(crc, memory->Memory() + done, static_cast<uInt>(piece));
            done += piece;
        }
        memory->Seek(0, SeekOrigin::End);
        return static_cast<uint32_t>(crc);
    }
    int64_t left = s.Size();
    std::vector<uint8_t> buffer(static_cast<size_t>(std::clamp<int64_t>(left, 0, kCrcBlock)));
    while (left > 0) {
        int64_t got = s.Read(buffer.data(), std::min(left, kCrcBlock));
        if (got <= 0) break;  // a source that ends early gives the CRC of what it held
        crc = crc32(crc, buffer.data(), static_cast<uInt>(got));
        left -= got;
    }
    return static_cast<uint32_t>(crc);
}

uint32_t BigStreamCrc32(TQsBigStream& s, int64_t count, uint8_t* buffer, int64_t bufferSize) {
    uLong crc = crc32(0, nullptr, 0);
    int64_t available = s.GetSize() - s.GetPosition();
    if (count > available) throw Error("データが足りません: CRC-32 の対象がストリームの外にあります");
    while (count > 0) {
        int64_t piece = std::min({count, bufferSize, static_cast<int64_t>(UINT_MAX)});
        if (s.Read(buffer, piece) != piece) throw Error("データが足りません: CRC-32 の対象を読めません");
        crc = crc32(crc, buffer, static_cast<uInt>(piece));
        count -= piece;
    }
    return static_cast<uint32_t>(crc);
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
