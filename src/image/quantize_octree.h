#pragma once
// Octree colour quantizer: every colour goes down a tree of eight children
// per level (one bit of red, green and blue each) to six levels; then the
// nodes of the deepest level, those with the fewest pixels first, are folded
// into their parent until no more leaves than asked are left. Each leaf
// gives the mean of its pixels' colours.
#include <cstdint>
#include <vector>

#include "image/dib_surface.h"

namespace qi {

class TOctree {
public:
    explicit TOctree(int maxColors);
    void Add(uint8_t r, uint8_t g, uint8_t b);
    // At most maxColors entries (one per leaf).
    std::vector<TRGBQuad> Palette();

private:
    static constexpr int kDepth = 6;
    struct Node {
        uint64_t Count = 0, Red = 0, Green = 0, Blue = 0;
        int32_t Children[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
        int Level = 0;
        bool Leaf = false;
    };
    void Fold();
    void CollectLeaves(int32_t node, std::vector<TRGBQuad>& out) const;

    int maxColors_;
    int64_t leaves_ = 0;
    std::vector<Node> nodes_;
};

}  // namespace qi
