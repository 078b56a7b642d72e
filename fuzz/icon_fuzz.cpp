// Fuzz target: the icon reader must either decode a picture or raise
// qi::Error, never read outside the data or allocate beyond what the file
// can hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/dib_surface.h"
#include "image/icon.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        qi::TDIBSurface surface;
        // The first images the directory lists, each written back.
        const size_t count = qi::ReadIconDirectory(bytes).size();
        for (size_t i = 0; i < count && i < 4; ++i) {
            surface.LoadFromBytes(bytes, qi::TImageFormat::Icon, true, static_cast<int>(i));
            surface.SaveToBytes(qi::TImageFormat::Icon);
        }
    } catch (const qi::Error&) {
    }
    return 0;
}
