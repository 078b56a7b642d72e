#pragma once
// The nearest entry of a palette to a colour: smallest squared distance, the
// lowest index on a tie. The entries are kept sorted by green, and the
// search walks outward from the colour's green until no closer entry can
// follow, so that mapping a picture does not compare every pixel with every
// entry.
#include <cstdint>
#include <vector>

#include "image/dib_surface.h"

namespace qi {

class TPaletteSearch {
public:
    TPaletteSearch(const TRGBQuad* entries, int count);
    int Nearest(int r, int g, int b) const;

private:
    struct Entry {
        int Green, Red, Blue, Index;
    };
    std::vector<Entry> sorted_;
};

}  // namespace qi
