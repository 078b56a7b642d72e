#pragma once
// Which game files go on which disc.
#include <cstdint>
#include <vector>

#include "release/game_files.h"

namespace qi {

struct DiscLoad {
    std::vector<size_t> Files;  // indexes into the game's files, in order
    int64_t Bytes = 0;          // what the disc holds, its fixed part included
};

// Fills discs of capacity bytes in order: program files, data entries,
// sound, movie, each by name. fixedBytes is what every disc holds besides
// the game's files (the setup program, settings, autorun.inf). The space a
// file takes is counted in whole 2048-byte sectors with room for its
// directory records, and an archive entry at its full size, which its
// stored form never exceeds, so a disc image never overflows. Raises
// ReleaseError naming a file that no disc can hold.
std::vector<DiscLoad> PlanDiscs(const std::vector<GameFile>& files, int64_t capacity, int64_t fixedBytes);

// The space a file of that size takes on a disc.
int64_t DiscSpace(int64_t size);

}  // namespace qi
