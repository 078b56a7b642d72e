#pragma once
// The deterministic generator behind the archive directory's scrambling and
// the row and tile permutations of layered images. Reader and writer depend
// on the exact sequence: Value := Value * 5 + Seed, modulo 2^32.
#include <cstdint>
#include <vector>

namespace qi {

constexpr int32_t ArchiveSeed = 1604216343;

class TQsRandom {
public:
    explicit TQsRandom(int32_t seed) : Seed(seed) {}
    int32_t Next();
    void InitPermutation(int n);
    // Draws one index of the permutation; at most n calls after InitPermutation(n).
    int NextIndex();

    // Scrambling helpers: XOR with the next output (bytes with its low 8 bits,
    // 64-bit values with the output sign-extended).
    uint8_t Mask8(uint8_t value) { return static_cast<uint8_t>(value ^ static_cast<uint8_t>(Next())); }
    int32_t Mask32(int32_t value) { return value ^ Next(); }
    int64_t Mask64(int64_t value) { return value ^ static_cast<int64_t>(Next()); }

private:
    void Step() { Value = Value * 5u + static_cast<uint32_t>(Seed); }

    int32_t Seed;
    uint32_t Value = 0;
    std::vector<int> Pool;
    int PoolSize = 0;
};

}  // namespace qi
