#pragma once
// The row and tile-table permutation of scrambled images: the same sequence
// as TQsRandom's InitPermutation(n) and NextIndex(), drawn in O(log n) per
// index so that large planes do not take quadratic time.
#include <cstdint>
#include <vector>

#include "archive/random.h"

namespace qi {

class ScramblePermutation {
public:
    ScramblePermutation(int32_t seed, int n);
    // The position that the next stored row or table entry belongs to; at
    // most n calls.
    int Next();

private:
    TQsRandom random_;
    std::vector<int> tree_;  // counts of the positions still free (Fenwick tree)
    int n_;
    int remaining_;
    int topBit_ = 1;
};

}  // namespace qi
