#include "image/permutation.h"

#include "platform/error.h"

namespace qi {

ScramblePermutation::ScramblePermutation(int32_t seed, int n)
    : random_(seed), tree_(static_cast<size_t>(n > 0 ? n : 0) + 1), n_(n > 0 ? n : 0), remaining_(n_) {
    for (int i = 1; i <= n_; ++i) {
        tree_[i] += 1;
        int parent = i + (i & -i);
        if (parent <= n_) tree_[parent] += tree_[i];
    }
    while (topBit_ * 2 <= n_) topBit_ *= 2;
}

int ScramblePermutation::Next() {
    if (remaining_ == 0) throw Error("TQsRandom: permutation exhausted");
    // The generator steps once; its value modulo the free count picks the
    // k-th free position, as the pool of TQsRandom does.
    uint32_t value = static_cast<uint32_t>(random_.Next());
    int k = static_cast<int>(value % static_cast<uint32_t>(remaining_));
    int pos = 0;
    for (int bit = topBit_; bit > 0; bit >>= 1) {
        int next = pos + bit;
        if (next <= n_ && tree_[next] <= k) {
            pos = next;
            k -= tree_[next];
        }
    }
    // pos + 1 is the 1-based free position; take it out.
    for (int i = pos + 1; i <= n_; i += i & -i) tree_[i] -= 1;
    --remaining_;
    return pos;
}

}  // namespace qi
