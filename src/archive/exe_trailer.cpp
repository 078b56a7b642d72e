#include "archive/exe_trailer.h"

#include "base/little_endian.h"

namespace qi {

namespace {

constexpr uint8_t kMark[] = {'q', 'r'};

// Both kinds of stream have SetPosition and Read; only their size differs.
template <typename Stream>
std::optional<int64_t> ReadTrailer(Stream& stream, int64_t size) {
    uint8_t trailer[kExeTrailerSize];
    if (size < kExeTrailerSize) return std::nullopt;
    stream.SetPosition(size - kExeTrailerSize);
    if (stream.Read(trailer, kExeTrailerSize) != kExeTrailerSize) return std::nullopt;
    if (trailer[4] != kMark[0] || trailer[5] != kMark[1]) return std::nullopt;
    int32_t programSize = LoadLe<int32_t>(trailer);
    if (programSize < 0 || programSize > size - kExeTrailerSize) return std::nullopt;
    return programSize;
}

}  // namespace

std::optional<int64_t> ReadExeTrailer(TStream& stream) { return ReadTrailer(stream, stream.Size()); }

std::optional<int64_t> ReadExeTrailer(TQsBigStream& stream) { return ReadTrailer(stream, stream.GetSize()); }

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
