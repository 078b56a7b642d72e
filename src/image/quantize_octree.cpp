#include "image/quantize_octree.h"

#include <algorithm>

namespace qi {

TOctree::TOctree(int maxColors) : maxColors_(std::max(maxColors, 1)), nodes_(1) {}

void TOctree::Add(uint8_t r, uint8_t g, uint8_t b) {
    int32_t node = 0;
    for (int level = 0;; ++level) {
        Node& n = nodes_[static_cast<size_t>(node)];
        ++n.Count;
        n.Red += r;
        n.Green += g;
        n.Blue += b;
        if (level == kDepth) {
            if (!n.Leaf) ++leaves_;
            n.Leaf = true;
            return;
        }
        int bit = 7 - level;
        int child = (r >> bit & 1) << 2 | (g >> bit & 1) << 1 | (b >> bit & 1);
        if (n.Children[child] < 0) {
            n.Children[child] = static_cast<int32_t>(nodes_.size());
            Node fresh;
            fresh.Level = level + 1;
            nodes_.push_back(fresh);  // n is not used after this
        }
        node = nodes_[static_cast<size_t>(node)].Children[child];
    }
}

void TOctree::Fold() {
    for (int level = kDepth - 1; level >= 0 && leaves_ > maxColors_; --level) {
        std::vector<int32_t> candidates;
        for (size_t i = 0; i < nodes_.size(); ++i) {
            if (nodes_[i].Level == level && !nodes_[i].Leaf && nodes_[i].Count > 0) {
                candidates.push_back(static_cast<int32_t>(i));
            }
        }
        std::stable_sort(candidates.begin(), candidates.end(), [this](int32_t a, int32_t b) {
            return nodes_[static_cast<size_t>(a)].Count < nodes_[static_cast<size_t>(b)].Count;
        });
        for (int32_t index : candidates) {
            if (leaves_ <= maxColors_) break;
            Node& n = nodes_[static_cast<size_t>(index)];
            // Every child is a leaf by now: the deeper levels were folded first.
            int children = 0;
            for (int32_t c : n.Children) children += c >= 0;
            leaves_ -= children - 1;
            n.Leaf = true;
        }
    }
}

void TOctree::CollectLeaves(int32_t node, std::vector<TRGBQuad>& out) const {
    const Node& n = nodes_[static_cast<size_t>(node)];
    if (n.Leaf) {
        auto mean = [&n](uint64_t sum) { return static_cast<uint8_t>((sum + n.Count / 2) / n.Count); };
        out.push_back(TRGBQuad{mean(n.Blue), mean(n.Green), mean(n.Red), 0});
        return;
    }
    for (int32_t c : n.Children) {
        if (c >= 0) CollectLeaves(c, out);
    }
}

std::vector<TRGBQuad> TOctree::Palette() {
    std::vector<TRGBQuad> palette;
    if (nodes_[0].Count == 0) return palette;
    Fold();
    CollectLeaves(0, palette);
    return palette;
}

}  // namespace qi
