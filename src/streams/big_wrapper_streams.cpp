#include <algorithm>

#include "streams/big_stream.h"

namespace qi {

int64_t TQsBigMemoryStream::CopyFrom(TQsBigStream& source, int64_t count) {
    auto* memory = dynamic_cast<TQsBigMemoryStream*>(&source);
    return memory ? CopyStreamData(Memory, memory->Memory, count) : 0;
}

int64_t TQsBigResourceStream::CopyFrom(TQsBigStream& source, int64_t count) {
    auto* resource = dynamic_cast<TQsBigResourceStream*>(&source);
    return resource ? CopyStreamData(Resource, resource->Resource, count) : 0;
}

// ---- TQsBuffBigStream -------------------------------------------------

TQsBuffBigStream::~TQsBuffBigStream() {
    int64_t unread = Buffer.Size() - Buffer.Position();
    if (unread > 0) Source.SetPosition(Source.GetPosition() - unread);
}

// Fetches the next block; false at the end of Source. A block request of
// 0 bytes is never handed on, since a copy of 0 means the whole stream.
bool TQsBuffBigStream::Refill() {
    Buffer.Clear();
    int64_t wanted = std::min<int64_t>(Source.GetSize() - Source.GetPosition(), BlockSize);
    if (wanted <= 0) return false;
    Source.CopyToStream(Buffer, wanted);
    Buffer.SetPosition(0);
    return Buffer.Size() > 0;
}

int64_t TQsBuffBigStream::Read(void* buffer, int64_t count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    int64_t total = 0;
    while (count > 0) {
        if (Buffer.Position() >= Buffer.Size() && !Refill()) break;
        int64_t n = std::min(count, Buffer.Size() - Buffer.Position());
        int64_t got = Buffer.Read(bytes + total, n);
        total += got;
        count -= got;
    }
    return total;
}

}  // namespace qi
