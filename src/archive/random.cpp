#include "archive/random.h"

#include "platform/error.h"

namespace qi {

int32_t TQsRandom::Next() {
    Step();
    return static_cast<int32_t>(Value);
}

void TQsRandom::InitPermutation(int n) {
    PoolSize = n;
    Pool.clear();
    Pool.reserve(n > 0 ? static_cast<size_t>(n) : 0);
    for (int i = 0; i < n; ++i) Pool.push_back(i);
}

int TQsRandom::NextIndex() {
    if (Pool.empty()) throw Error("TQsRandom: permutation exhausted");
    Step();
    size_t i = Value % Pool.size();
    int result = Pool[i];
    Pool.erase(Pool.begin() + static_cast<std::ptrdiff_t>(i));
    return result;
}

}  // namespace qi
