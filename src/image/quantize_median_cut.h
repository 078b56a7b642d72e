#pragma once
// Median-cut colour quantizer over a histogram of 32 levels per channel
// (with the exact colour sums of each cell, so that the palette holds the
// true means). Boxes of cells are split until there are as many as asked:
// either the box with the most pixels at the median of its longest side, or
// the box with the largest squared error where the two halves' error is
// smallest.
#include <array>
#include <cstdint>
#include <vector>

#include "image/dib_surface.h"

namespace qi {

class TMedianCut {
public:
    enum class TSplit { Median, Variance };
    TMedianCut(int maxColors, TSplit split);
    void Add(uint8_t r, uint8_t g, uint8_t b);
    std::vector<TRGBQuad> Palette();

private:
    static constexpr int kLevels = 32;
    struct Cell {
        uint64_t Count = 0;
        uint64_t Sum[3] = {};
        uint64_t Squares = 0;  // of all three channels
    };
    // Sums over a set of cells.
    struct Moments {
        uint64_t Count = 0;
        double Sum[3] = {};
        double Squares = 0;
        void Add(const Cell& c);
        void Add(const Moments& m);
        double Error() const;  // sum of squared distances to the mean
    };
    struct Box {
        int Low[3], High[3];  // inclusive cell ranges per channel
        Moments Total;
    };

    const Cell& At(int r, int g, int b) const { return cells_[static_cast<size_t>((r * kLevels + g) * kLevels + b)]; }
    Cell& At(int r, int g, int b) { return cells_[static_cast<size_t>((r * kLevels + g) * kLevels + b)]; }
    // The moments of each slice of the box across one channel.
    std::vector<Moments> Slices(const Box& box, int channel) const;
    // Tightens the box around its non-empty cells and sums it.
    void Shrink(Box& box) const;
    bool Splittable(const Box& box) const;
    // Where to cut: the last slice index of the lower half, or -1.
    int CutAt(const Box& box, int& channel) const;

    int maxColors_;
    TSplit split_;
    std::vector<Cell> cells_;
};

}  // namespace qi
