// Fuzz target: the layered image decoder must either load an image or raise
// qi::Error, never read or write outside its buffers or allocate without
// bound, with and without the post-processing and kept layers.
#include <cstddef>
#include <cstdint>

#include "image/vexa.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the load options and the seed.
    uint8_t options = data[0];
    qi::TMemoryStream stream;
    stream.Write(data + 1, static_cast<int64_t>(size - 1));
    stream.SetPosition(0);
    qi::TVexaFrameList list(options >> 3);
    try {
        list.LoadFromStream(stream, options & 1, options & 2, options & 4);
        for (int i = 0; i < list.Count(); ++i) list.GetFrame(i).BuildMasks(true);
    } catch (const qi::Error&) {
    }
    return 0;
}
