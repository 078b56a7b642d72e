// Fuzz target: the archive directory reader, then extraction and checking
// of what it read. Any input must end in a directory or a qi::Error: never a
// crash, a read outside the data, a huge allocation or a loop without end.
//   build/fuzz/fuzz/fuzz_archive fuzz/corpus/archive -max_total_time=60
#include <cstddef>
#include <cstdint>

#include "archive/vrfiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qi::TVrFileCollection archive;
    auto stream = std::make_unique<qi::TQsBigMemoryStream>();
    stream->Memory.WriteBuffer(data, static_cast<int64_t>(size));
    stream->SetPosition(0);
    archive.Stream = std::move(stream);
    try {
        archive.ReadDirectory(*archive.Stream);
    } catch (const qi::Error&) {
        return 0;
    }
    for (int i = 0; i < archive.Count(); ++i) {
        const qi::TVrFile& entry = archive.Items(i);
        // Small entries only: inflating may multiply a size a thousandfold.
        if (entry.Size > 4096) continue;
        try {
            qi::TMemoryStream content;
            archive.ExtractToStream(content, entry.Name());
        } catch (const qi::Error&) {
        }
    }
    archive.Verify();
    return 0;
}
