#include "archive/codec.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <climits>

#include "archive/vrfiles.h"

namespace qi {

namespace {

// The fastest level; its streams carry the zlib header of level 1.
constexpr int kLevel = 1;
constexpr size_t kInflatePiece = 0x40000;
constexpr size_t kFirstGuess = 0x10000;
constexpr int64_t kCrcBlock = 0x100000;
// zlib counts in unsigned int; bigger pieces are fed in parts.
constexpr size_t kZlibPart = 0x40000000;

[[noreturn]] void Damaged(const std::string& who, const std::string& detail) {
    throw EDataDamaged(who + "圧縮データが壊れています(" + detail + ")");
}

template <typename T, void (*Free)(T*)>
struct Freed {
    void operator()(T* p) const { Free(p); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, Freed<libdeflate_compressor, libdeflate_free_compressor>>;
using Decompressor =
    std::unique_ptr<libdeflate_decompressor, Freed<libdeflate_decompressor, libdeflate_free_decompressor>>;

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) { return libdeflate_crc32(crc, data, size); }

std::vector<uint8_t> ZlibCompress(const uint8_t* data, size_t size) {
    Compressor compressor(libdeflate_alloc_compressor(kLevel));
    if (!compressor) throw Error("圧縮を開始できません");
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(compressor.get(), size));
    size_t written = libdeflate_zlib_compress(compressor.get(), data, size, out.data(), out.size());
    if (written == 0) throw Error("圧縮に失敗しました");
    out.resize(written);
    return out;
}

bool InflateWhole(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t limit,
                  const std::string& who) {
    Decompressor decompressor(libdeflate_alloc_decompressor());
    if (!decompressor) throw Error(who + "展開を開始できません");
    // The content is not known in advance: a guess, growing fourfold.
    size_t capacity = std::min(limit, std::max(kFirstGuess, size < limit / 4 ? size * 4 : limit));
    for (;;) {
        out.resize(capacity);
        size_t used = 0, produced = 0;
        switch (libdeflate_zlib_decompress_ex(decompressor.get(), data, size, out.data(), capacity, &used,
                                              &produced)) {
            case LIBDEFLATE_SUCCESS:
                out.resize(produced);
                return true;
            case LIBDEFLATE_INSUFFICIENT_SPACE:
                if (capacity == limit) return false;
                capacity = capacity < limit / 4 ? capacity * 4 : limit;
                break;
            default:
                Damaged(who, "zlib ストリームとして読めません");
        }
    }
}

// ---- ZlibInflater -----------------------------------------------------

struct ZlibInflater::State {
    z_stream z{};
};

ZlibInflater::ZlibInflater(std::string who, int64_t maxSize, Sink sink)
    : who_(std::move(who)), maxSize_(maxSize), sink_(std::move(sink)), out_(kInflatePiece), state_(new State) {
    if (inflateInit(&state_->z) != Z_OK) throw Error(who_ + "展開を開始できません");
}

ZlibInflater::~ZlibInflater() { inflateEnd(&state_->z); }

void ZlibInflater::Feed(const uint8_t* data, size_t size) {
    z_stream& z = state_->z;
    while (size > 0 && !ended_) {
        size_t part = std::min(size, kZlibPart);
        z.next_in = const_cast<Bytef*>(data);
        z.avail_in = static_cast<uInt>(part);
        Pump();
        data += part;
        size -= part;
    }
}

// Inflates what was handed in until zlib needs more input or the stream ends.
void ZlibInflater::Pump() {
    z_stream& z = state_->z;
    while (!ended_) {
        z.next_out = out_.data();
        z.avail_out = static_cast<uInt>(out_.size());
        int result = inflate(&z, Z_NO_FLUSH);
        size_t got = out_.size() - z.avail_out;
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
            Damaged(who_, z.msg ? z.msg : "zlib " + std::to_string(result));
        }
        produced_ += static_cast<int64_t>(got);
        if (produced_ > maxSize_) {
            throw EDataDamaged(who_ + "展開したデータが大きすぎます(" + std::to_string(maxSize_) + "バイトまで)");
        }
        if (got > 0) sink_(out_.data(), got);
        ended_ = result == Z_STREAM_END;
        // A full output piece may leave more waiting inside zlib.
        if (result == Z_BUF_ERROR || (z.avail_out > 0 && z.avail_in == 0)) return;
    }
}

void ZlibInflater::Finish() {
    if (!ended_) Damaged(who_, "途中で切れています");
}

// ---- Memory streams and CRC-32 of streams -----------------------------

void CompressMemoryStream(TMemoryStream& m) {
    m.Bytes() = ZlibCompress(m.Memory(), static_cast<size_t>(m.Size()));
    m.Seek(0, SeekOrigin::End);
}

void DecompressMemoryStream(TMemoryStream& m, const std::string& entryName, int64_t maxSize) {
    const std::string who = entryName.empty() ? std::string() : entryName + ":";
    std::vector<uint8_t> out;
    size_t limit = static_cast<size_t>(std::clamp<int64_t>(maxSize, 0, static_cast<int64_t>(SIZE_MAX / 2)));
    if (!InflateWhole(m.Memory(), static_cast<size_t>(m.Size()), out, limit, who)) {
        throw EDataDamaged(who + "展開したデータが大きすぎます(" + std::to_string(maxSize) + "バイトまで)");
    }
    m.Bytes() = std::move(out);
    m.SetPosition(0);
}

uint32_t StreamCrc32(TStream& s) {
    s.SetPosition(0);
    if (auto* memory = dynamic_cast<TMemoryStream*>(&s)) {
        memory->Seek(0, SeekOrigin::End);
        return Crc32(0, memory->Memory(), static_cast<size_t>(memory->Size()));
    }
    uint32_t crc = 0;
    int64_t left = s.Size();
    std::vector<uint8_t> buffer(static_cast<size_t>(std::clamp<int64_t>(left, 0, kCrcBlock)));
    while (left > 0) {
        int64_t got = s.Read(buffer.data(), std::min(left, kCrcBlock));
        if (got <= 0) break;  // a source that ends early gives the CRC of what it held
        crc = Crc32(crc, buffer.data(), static_cast<size_t>(got));
        left -= got;
    }
    return crc;
}

uint32_t BigStreamCrc32(TQsBigStream& s, int64_t count, uint8_t* buffer, int64_t bufferSize) {
    uint32_t crc = 0;
    int64_t available = s.GetSize() - s.GetPosition();
    if (count > available) throw Error("データが足りません: CRC-32 の対象がストリームの外にあります");
    while (count > 0) {
        int64_t piece = std::min({count, bufferSize, static_cast<int64_t>(INT_MAX)});
        if (s.Read(buffer, piece) != piece) throw Error("データが足りません: CRC-32 の対象を読めません");
        crc = Crc32(crc, buffer, static_cast<size_t>(piece));
        count -= piece;
    }
    return crc;
}

}  // namespace qi
