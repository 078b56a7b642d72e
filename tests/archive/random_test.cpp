#include <gtest/gtest.h>

#include "archive/random.h"
#include "platform/error.h"

namespace qi {
namespace {

TEST(Random, SequenceIsSeedTimesGeometricSums) {
    TQsRandom one(1);
    for (int32_t expected : {1, 6, 31, 156, 781}) EXPECT_EQ(one.Next(), expected);

    // The archive's key stream wraps around 2^32 silently.
    TQsRandom archive(ArchiveSeed);
    for (int32_t expected : {1604216343, 1035363466, -1808900919}) EXPECT_EQ(archive.Next(), expected);
    for (int i = 3; i < 999; ++i) archive.Next();
    EXPECT_EQ(archive.Next(), -10752856);
}

TEST(Random, PermutationDrawsEveryIndexOnce) {
    TQsRandom one(1);
    one.InitPermutation(3);
    EXPECT_EQ(one.NextIndex(), 1);
    EXPECT_EQ(one.NextIndex(), 0);
    EXPECT_EQ(one.NextIndex(), 2);
    EXPECT_THROW(one.NextIndex(), Error);

    TQsRandom zero(0);
    zero.InitPermutation(5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(zero.NextIndex(), i);

    TQsRandom archive(ArchiveSeed);
    archive.InitPermutation(500);
    std::vector<bool> seen(500);
    for (int i = 0; i < 500; ++i) {
        int k = archive.NextIndex();
        ASSERT_FALSE(seen[static_cast<size_t>(k)]);
        seen[static_cast<size_t>(k)] = true;
    }
}

TEST(Random, MasksAreTheirOwnInverse) {
    // 64-bit values take the output sign-extended: a negative output flips
    // the upper half as well.
    TQsRandom negative(-1);
    EXPECT_EQ(negative.Mask64(0), -1);
    TQsRandom positive(1);
    EXPECT_EQ(positive.Mask64(0x100000000LL), 0x100000001LL);

    std::string name = "data\\script.dat";
    TQsRandom scramble(ArchiveSeed), unscramble(ArchiveSeed);
    std::string scrambled, restored;
    for (char c : name) scrambled += static_cast<char>(scramble.Mask8(static_cast<uint8_t>(c)));
    EXPECT_NE(scrambled, name);
    for (char c : scrambled) restored += static_cast<char>(unscramble.Mask8(static_cast<uint8_t>(c)));
    EXPECT_EQ(restored, name);
}

}  // namespace
}  // namespace qi
