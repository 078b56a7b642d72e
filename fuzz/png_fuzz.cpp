// Fuzz target: the PNG reader must either decode a picture or raise
// std::runtime_error, never read outside the data or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "image/png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        qi::RgbaImage image = qi::DecodePng(std::string(reinterpret_cast<const char*>(data), size));
        qi::EncodePng(image);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
