#include "archive/exe_trailer.h"

#include "base/little_endian.h"

namespace qi {

namespace {

constexpr uint8_t kMark[] = {'q', 'r'};

// A signer puts up to 7 zero bytes between the signed bytes and the
// certificate table, which starts at a multiple of 8.
constexpr int64_t kMaxCertificatePadding = 7;
// The security directory is entry 4 of a Windows program's data directories.
constexpr uint32_t kSecurityDirectory = 4;

// Both kinds of stream have SetPosition and Read; only their size differs.
template <typename Stream>
bool ReadAt(Stream& stream, int64_t position, void* buffer, int64_t count) {
    stream.SetPosition(position);
    return stream.Read(buffer, count) == count;
}

// The trailer that ends at end, with nothing but zeros from there to
// tableStart.
template <typename Stream>
std::optional<int64_t> ReadTrailer(Stream& stream, int64_t end, int64_t tableStart) {
    uint8_t trailer[kExeTrailerSize + kMaxCertificatePadding];
    const int64_t count = tableStart - end + kExeTrailerSize;
    if (end < kExeTrailerSize || !ReadAt(stream, end - kExeTrailerSize, trailer, count)) return std::nullopt;
    if (trailer[4] != kMark[0] || trailer[5] != kMark[1]) return std::nullopt;
    for (int64_t i = kExeTrailerSize; i < count; ++i) {
        if (trailer[i] != 0) return std::nullopt;
    }
    int32_t programSize = LoadLe<int32_t>(trailer);
    if (programSize < 0 || programSize > end - kExeTrailerSize) return std::nullopt;
    return programSize;
}

// Where a signed Windows program's certificate table starts, when it is
// what ends the file (the security directory names it by file offset).
template <typename Stream>
std::optional<int64_t> CertificateTableStart(Stream& stream, int64_t size) {
    uint8_t dos[0x40], pe[24 + 2];
    if (size < 0x40 || !ReadAt(stream, 0, dos, 0x40) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
    const int64_t header = LoadLe<uint32_t>(dos + 0x3C);
    if (header > size || !ReadAt(stream, header, pe, sizeof pe) || LoadLe<uint32_t>(pe) != 0x00004550) {
        return std::nullopt;
    }
    const uint16_t magic = LoadLe<uint16_t>(pe + 24);
    if (magic != 0x10B && magic != 0x20B) return std::nullopt;
    // The count of data directories, then the directories, 8 bytes each.
    const int64_t counted = header + 24 + (magic == 0x10B ? 92 : 108);
    uint8_t count[4], entry[8];
    if (!ReadAt(stream, counted, count, 4) || LoadLe<uint32_t>(count) <= kSecurityDirectory ||
        !ReadAt(stream, counted + 4 + 8 * kSecurityDirectory, entry, 8)) {
        return std::nullopt;
    }
    const int64_t start = LoadLe<uint32_t>(entry), length = LoadLe<uint32_t>(entry + 4);
    if (length == 0 || start + length != size) return std::nullopt;
    return start;
}

template <typename Stream>
std::optional<int64_t> ReadAnyTrailer(Stream& stream, int64_t size) {
    if (auto program = ReadTrailer(stream, size, size)) return program;
    const auto table = CertificateTableStart(stream, size);
    if (!table) return std::nullopt;
    for (int64_t padding = 0; padding <= kMaxCertificatePadding; ++padding) {
        if (auto program = ReadTrailer(stream, *table - padding, *table)) return program;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int64_t> ReadExeTrailer(TStream& stream) { return ReadAnyTrailer(stream, stream.Size()); }

std::optional<int64_t> ReadExeTrailer(TQsBigStream& stream) { return ReadAnyTrailer(stream, stream.GetSize()); }

void WriteExeTrailer(TStream& stream, int64_t programSize) {
    uint8_t trailer[kExeTrailerSize] = {0, 0, 0, 0, kMark[0], kMark[1]};
    StoreLe(trailer, static_cast<int32_t>(programSize));
    stream.WriteBuffer(trailer, kExeTrailerSize);
}

void CopyProgramPart(const std::string& programFile, const std::string& dest) {
    TFileStream source(programFile, fmOpenRead | fmShareDenyWrite);
    auto program = ReadExeTrailer(source);
    if (!program) throw Error(programFile + ":アーカイブが付いていません");
    source.Seek(0, SeekOrigin::Begin);
    TFileStream out(dest, fmCreate);
    if (*program > 0) CopyStreamData(out, source, *program);
}

void CutToProgramPart(const std::string& programFile) {
    TFileStream file(programFile, fmOpenReadWrite | fmShareExclusive);
    if (auto program = ReadExeTrailer(file)) file.SetSize(*program);
}

}  // namespace qi
