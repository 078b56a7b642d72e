#include <vector>

#include "archive/vrfiles.h"

namespace qi {

namespace {

constexpr int64_t kVerifyBuffer = 0x100000;

bool IsReplaced(const TVrFile& item) { return !item.Name().empty() && item.Name()[0] == '/'; }

}  // namespace

bool TVrFileCollection::Verify(int* failedIndex) {
    if (failedIndex) *failedIndex = -1;
    if (!Stream) return false;
    // Every entry but the end sentinel is walked, also when a merge has
    // dropped the sentinel and the last item is a real entry.
    const int count = Count();
    const int walked = count > 0 && Items(count - 1).Name() == kEOFEntryName ? count - 1 : count;
    std::vector<uint8_t> buffer(static_cast<size_t>(kVerifyBuffer));
    const int64_t streamSize = Stream->GetSize();
    for (int i = 0; i < walked; ++i) {
        TVrFile& item = Items(i);
        if (i % 10 == 9 && OnProgress) {
            bool cancel = false;
            OnProgress(*this, &item, item.Size, i, walked, cancel);
            if (cancel) return true;
        }
        if (item.Checksum == 0 || IsReplaced(item) || item.Name() == kEOFEntryName) continue;
        bool inside = item.Offset >= 0 && item.Size >= 0 && item.Offset <= streamSize - item.Size;
        if (inside) {
            Stream->SetPosition(item.Offset);
            inside = BigStreamCrc32(*Stream, item.Size, buffer.data(), kVerifyBuffer) == item.Checksum;
        }
        if (!inside) {
            if (failedIndex) *failedIndex = i;
            return false;
        }
    }
    return true;
}

}  // namespace qi
