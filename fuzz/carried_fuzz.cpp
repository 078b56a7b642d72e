// Fuzz target: the settings a setup program carries: the trailer at the end
// of the program file, the archive it points to, and the "install.dat"
// entry read from there. Any input must end in settings or a qi::Error:
// never a crash, a read outside the data, a huge allocation or a loop
// without end.
//   build/fuzz/fuzz/fuzz_carried fuzz/corpus/carried -max_total_time=60
#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/exe_trailer.h"
#include "archive/vrfiles.h"
#include "settings/install_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qi::TVrFileCollection archive;
    auto stream = std::make_unique<qi::TQsBigMemoryStream>();
    stream->Memory.WriteBuffer(data, static_cast<int64_t>(size));
    const auto start = qi::ReadExeTrailer(*stream);
    if (!start) return 0;
    stream->SetPosition(*start);
    archive.Stream = std::move(stream);
    try {
        archive.ReadDirectory(*archive.Stream);
        const int index = archive.IndexOf("install.dat");
        // Small entries only: inflating may multiply a size a thousandfold.
        if (index < 0 || archive.Items(index).Size > 0x10000) return 0;
        qi::TMemoryStream content;
        archive.ExtractToStream(content, "install.dat");
        qi::TQuorInstallSet settings;
        settings.LoadFromStream(content, "install.dat");
        qi::TMemoryStream saved;
        settings.SaveToStream(saved);
    } catch (const qi::Error&) {
    }
    return 0;
}
