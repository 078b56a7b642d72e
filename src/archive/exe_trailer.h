#pragma once
// The trailer of an executable that carries an archive after its program
// part: the last six bytes of the file are the program part's length
// (32-bit little-endian), where the archive starts, and the mark "qr".
#include <cstdint>
#include <optional>
#include <string>

#include "streams/big_stream.h"
#include "streams/stream.h"

namespace qi {

constexpr int64_t kExeTrailerSize = 6;

// The program part's length that the trailer at the end of the stream names
// (or, in a signed Windows program, the trailer right before its certificate
// table, after at most 7 zero bytes of padding); nothing when the stream
// carries no trailer: shorter than one, without the mark, or naming a
// negative length or one longer than the bytes before the trailer. The
// stream's position is left anywhere.
std::optional<int64_t> ReadExeTrailer(TStream& stream);
std::optional<int64_t> ReadExeTrailer(TQsBigStream& stream);

// Writes the trailer for a program part of programSize bytes (at most
// 2 GiB - 1) at the stream's position.
void WriteExeTrailer(TStream& stream, int64_t programSize);

// Copies the program part of a program file that carries an appended
// archive into dest; raises an error when the file carries none.
void CopyProgramPart(const std::string& programFile, const std::string& dest);
// Cuts a program file that carries an appended archive down to its program
// part; a file that carries none stays as it is.
void CutToProgramPart(const std::string& programFile);

}  // namespace qi
