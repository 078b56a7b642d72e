#include "image/px_list.h"

#include <algorithm>

namespace qi {

void TPxList::Pack(const std::vector<uint32_t>& pixels) {
    packets_.clear();
    const int count = static_cast<int>(pixels.size());
    auto runLength = [&](int at) {
        int n = 1;
        while (at + n < count && n < kMaxPacket && pixels[static_cast<size_t>(at + n)] == pixels[static_cast<size_t>(at)]) ++n;
        return n;
    };
    int i = 0;
    while (i < count) {
        int run = runLength(i);
        if (run >= 2) {
            packets_.push_back({true, i, run});
            i += run;
            continue;
        }
        // A literal stretch up to the next run of two or more.
        int start = i;
        while (i < count && i - start < kMaxPacket && runLength(i) < 2) ++i;
        packets_.push_back({false, start, i - start});
    }
}

}  // namespace qi
