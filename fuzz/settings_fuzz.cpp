// Fuzz target: the "install.dat" reader must either load an image or raise
// qi::Error, never read outside the data or allocate without bound.
#include <cstddef>
#include <cstdint>

#include "settings/install_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qi::TMemoryStream stream;
    stream.Write(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    qi::TQuorInstallSet settings;
    try {
        settings.LoadFromStream(stream);
        qi::TMemoryStream saved;
        settings.SaveToStream(saved);
    } catch (const qi::Error&) {
    }
    return 0;
}
