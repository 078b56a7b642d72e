// Fuzz target: the bitmap reader must either decode a picture or raise
// qi::Error, never read outside the data or allocate beyond what the file
// can hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/dib_surface.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        qi::TDIBSurface surface;
        surface.LoadFromBytes(bytes, qi::TImageFormat::Bitmap, true);
        surface.SaveToBytes(qi::TImageFormat::Bitmap);
    } catch (const qi::Error&) {
    }
    return 0;
}
