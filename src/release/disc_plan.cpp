#include "release/disc_plan.h"

#include <algorithm>

#include "platform/platform.h"
#include "release/release_error.h"

namespace qi {

namespace {

constexpr int64_t kSector = 2048;
// Directory records (ISO 9660, Joliet and Rock Ridge), the name in the
// settings and in the archive's directory: generously one sector a file.
constexpr int64_t kPerFileRecords = kSector;
// Volume descriptors, path tables and the root folders of a disc image.
constexpr int64_t kImageOverhead = 1 << 20;

}  // namespace

int64_t DiscSpace(int64_t size) { return (size + kSector - 1) / kSector * kSector + kPerFileRecords; }

std::vector<DiscLoad> PlanDiscs(const std::vector<GameFile>& files, int64_t capacity, int64_t fixedBytes) {
    std::vector<size_t> order(files.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return files[a].Part < files[b].Part; });
    const int64_t empty = DiscSpace(fixedBytes) + kImageOverhead;
    if (empty >= capacity) {
        throw ReleaseError("\"media\": a disc of " + std::to_string(capacity) + " bytes cannot hold even what every disc carries (" +
                           std::to_string(empty) + " bytes: the setup program, settings and disc structures)");
    }
    std::vector<DiscLoad> discs(1, DiscLoad{{}, empty});
    for (size_t index : order) {
        const int64_t space = DiscSpace(files[index].Size);
        if (empty + space > capacity) {
            throw ReleaseError("'" + platform::Utf8FromCp932(files[index].Name) + "' (" +
                               std::to_string(files[index].Size) + " bytes) is larger than one disc holds");
        }
        if (discs.back().Bytes + space > capacity) discs.push_back(DiscLoad{{}, empty});
        discs.back().Files.push_back(index);
        discs.back().Bytes += space;
    }
    return discs;
}

}  // namespace qi
