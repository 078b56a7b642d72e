#pragma once
// Run-length packing for the writers: a row of pixels as runs of equal
// pixels and literal stretches, each at most 128 pixels, as run-length
// targa packets hold them.
#include <cstdint>
#include <vector>

namespace qi {

struct TPxPacket {
    bool Run = false;  // Count copies of pixel Start; else Count pixels from Start
    int Start = 0;
    int Count = 0;
};

class TPxList {
public:
    static constexpr int kMaxPacket = 128;
    // Replaces the packets with those of the pixels.
    void Pack(const std::vector<uint32_t>& pixels);
    const std::vector<TPxPacket>& Packets() const { return packets_; }

private:
    std::vector<TPxPacket> packets_;
};

}  // namespace qi
