#include "image/nearest_color.h"

#include <algorithm>

namespace qi {

TPaletteSearch::TPaletteSearch(const TRGBQuad* entries, int count) {
    for (int i = 0; i < count; ++i) sorted_.push_back({entries[i].Green, entries[i].Red, entries[i].Blue, i});
    std::stable_sort(sorted_.begin(), sorted_.end(), [](const Entry& a, const Entry& b) { return a.Green < b.Green; });
}

int TPaletteSearch::Nearest(int r, int g, int b) const {
    int best = 0;
    int64_t bestDistance = -1;
    auto consider = [&](const Entry& e) {
        int64_t dr = e.Red - r, dg = e.Green - g, db = e.Blue - b;
        int64_t distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance || (distance == bestDistance && e.Index < best)) {
            bestDistance = distance;
            best = e.Index;
        }
    };
    // Entries whose green alone is farther than the best distance cannot win.
    auto hopeless = [&](const Entry& e) {
        int64_t dg = e.Green - g;
        return bestDistance >= 0 && dg * dg > bestDistance;
    };
    auto up = std::lower_bound(sorted_.begin(), sorted_.end(), g, [](const Entry& e, int v) { return e.Green < v; });
    auto down = up;
    while (up != sorted_.end() || down != sorted_.begin()) {
        bool moved = false;
        if (up != sorted_.end() && !hopeless(*up)) {
            consider(*up++);
            moved = true;
        }
        if (down != sorted_.begin() && !hopeless(*(down - 1))) {
            consider(*--down);
            moved = true;
        }
        if (!moved) break;
    }
    return best;
}

}  // namespace qi
