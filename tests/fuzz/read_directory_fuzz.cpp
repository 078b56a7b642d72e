// libFuzzer target for the archive directory reader and entry extraction.
// Any input must end in a directory or a qi::Error: never a crash, a read
// outside the data, a huge allocation or a loop without end.
//
// Build and run (clang):
//   cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DQI_FUZZ=ON
//   cmake --build build/fuzz --target read_directory_fuzz -j1
//   build/fuzz/tests/read_directory_fuzz tests/fuzz/corpus -max_total_time=60
// ctest runs it briefly (test read_directory_fuzz) in such a build.
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
