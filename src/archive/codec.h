#pragma once
// zlib-format compression, inflation and CRC-32 for archive entries: whole
// buffers through libdeflate (fast; its CRC-32 uses carry-less
// multiplication where the processor has it), and a zlib inflater for
// contents too large to hold, fed and emptied in pieces.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"

namespace qi {

// Bytes of an entry that cannot be what was written: a checksum that does
// not match, a zlib stream that does not inflate, bytes outside the archive.
class EDataDamaged : public Error {
public:
    using Error::Error;
};

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);

// A zlib stream of the bytes, at the fastest level.
std::vector<uint8_t> ZlibCompress(const uint8_t* data, size_t size);

// Inflates a whole zlib stream into out; false (out undefined) when the
// content is larger than limit bytes. Raises EDataDamaged when the stream is
// damaged or cut; who (empty or ending in ":") begins its message.
bool InflateWhole(const uint8_t* data, size_t size, std::vector<uint8_t>& out, size_t limit,
                  const std::string& who);

// Inflates a zlib stream handed over in pieces, passing the content on in
// pieces; raises EDataDamaged naming who when it is damaged, cut, or
// larger than maxSize.
class ZlibInflater {
public:
    using Sink = std::function<void(const uint8_t* data, size_t size)>;
    ZlibInflater(std::string who, int64_t maxSize, Sink sink);
    ~ZlibInflater();
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;
    // The next piece of the stream; bytes after its end are ignored.
    void Feed(const uint8_t* data, size_t size);
    // After the last piece: the stream must have ended.
    void Finish();

private:
    void Pump();
    struct State;
    std::string who_;
    int64_t maxSize_;
    int64_t produced_ = 0;
    bool ended_ = false;
    Sink sink_;
    std::vector<uint8_t> out_;
    std::unique_ptr<State> state_;
};

}  // namespace qi
