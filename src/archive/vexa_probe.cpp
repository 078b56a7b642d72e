#include "archive/vexa_probe.h"

#include <cstdint>
#include <cstring>

#include "base/little_endian.h"

namespace qi {

namespace {

constexpr int kHeaderSize = 40;
constexpr int kStorageModeOffset = 22;

}  // namespace

bool IsUncompressedImage(TStream& stream) {
    char signature[7];
    if (stream.Read(signature, 7) != 7 || std::memcmp(signature, "Vexa", 4) != 0) return false;
    int version = 0;
    for (int i = 4; i < 7; ++i) {
        if (signature[i] < '0' || signature[i] > '9') {
            throw Error("'" + std::string(signature + 4, 3) + "' は有効な整数値ではありません");
        }
        version = version * 10 + (signature[i] - '0');
    }
    if (version < 103) return false;
    uint8_t sizeBytes[4];
    if (stream.Read(sizeBytes, 4) != 4) return false;
    int32_t size = LoadLe<int32_t>(sizeBytes);
    // The header record is 40 bytes; a larger stated size fills no more.
    uint8_t header[kHeaderSize] = {};
    int64_t wanted = size < 0 ? 0 : size > kHeaderSize ? kHeaderSize : size;
    stream.Read(header, wanted);
    return header[kStorageModeOffset] == 1;
}

}  // namespace qi
