#include "image/quantize_median_cut.h"

#include <algorithm>

namespace qi {

void TMedianCut::Moments::Add(const Cell& c) {
    Count += c.Count;
    for (int k = 0; k < 3; ++k) Sum[k] += static_cast<double>(c.Sum[k]);
    Squares += static_cast<double>(c.Squares);
}

void TMedianCut::Moments::Add(const Moments& m) {
    Count += m.Count;
    for (int k = 0; k < 3; ++k) Sum[k] += m.Sum[k];
    Squares += m.Squares;
}

double TMedianCut::Moments::Error() const {
    if (Count == 0) return 0;
    double n = static_cast<double>(Count);
    return Squares - (Sum[0] * Sum[0] + Sum[1] * Sum[1] + Sum[2] * Sum[2]) / n;
}

TMedianCut::TMedianCut(int maxColors, TSplit split)
    : maxColors_(std::max(maxColors, 1)), split_(split), cells_(size_t{kLevels} * kLevels * kLevels) {}

void TMedianCut::Add(uint8_t r, uint8_t g, uint8_t b) {
    Cell& c = At(r >> 3, g >> 3, b >> 3);
    ++c.Count;
    c.Sum[0] += r;
    c.Sum[1] += g;
    c.Sum[2] += b;
    c.Squares += uint64_t{r} * r + uint64_t{g} * g + uint64_t{b} * b;
}

std::vector<TMedianCut::Moments> TMedianCut::Slices(const Box& box, int channel) const {
    std::vector<Moments> slices(static_cast<size_t>(box.High[channel] - box.Low[channel] + 1));
    int p[3];
    for (p[0] = box.Low[0]; p[0] <= box.High[0]; ++p[0])
        for (p[1] = box.Low[1]; p[1] <= box.High[1]; ++p[1])
            for (p[2] = box.Low[2]; p[2] <= box.High[2]; ++p[2]) {
                const Cell& c = At(p[0], p[1], p[2]);
                if (c.Count) slices[static_cast<size_t>(p[channel] - box.Low[channel])].Add(c);
            }
    return slices;
}

void TMedianCut::Shrink(Box& box) const {
    Box tight = box;
    tight.Total = Moments();
    for (int channel = 0; channel < 3; ++channel) {
        std::vector<Moments> slices = Slices(box, channel);
        int first = 0, last = static_cast<int>(slices.size()) - 1;
        while (first < last && slices[static_cast<size_t>(first)].Count == 0) ++first;
        while (last > first && slices[static_cast<size_t>(last)].Count == 0) --last;
        tight.Low[channel] = box.Low[channel] + first;
        tight.High[channel] = box.Low[channel] + last;
        if (channel == 0) {
            for (const Moments& m : slices) tight.Total.Add(m);
        }
    }
    box = tight;
}

bool TMedianCut::Splittable(const Box& box) const {
    for (int k = 0; k < 3; ++k) {
        if (box.Low[k] < box.High[k]) return true;
    }
    return false;
}

int TMedianCut::CutAt(const Box& box, int& channel) const {
    if (split_ == TSplit::Median) {
        channel = 0;
        for (int k = 1; k < 3; ++k) {
            if (box.High[k] - box.Low[k] > box.High[channel] - box.Low[channel]) channel = k;
        }
        std::vector<Moments> slices = Slices(box, channel);
        uint64_t below = 0;
        for (size_t i = 0; i + 1 < slices.size(); ++i) {
            below += slices[i].Count;
            if (below * 2 >= box.Total.Count) return static_cast<int>(i);
        }
        return static_cast<int>(slices.size()) - 2;
    }
    double best = -1;
    int cut = -1;
    for (int k = 0; k < 3; ++k) {
        std::vector<Moments> slices = Slices(box, k);
        Moments lower;
        for (size_t i = 0; i + 1 < slices.size(); ++i) {
            lower.Add(slices[i]);
            Moments upper = box.Total;
            upper.Count -= lower.Count;
            for (int c = 0; c < 3; ++c) upper.Sum[c] -= lower.Sum[c];
            upper.Squares -= lower.Squares;
            if (lower.Count == 0 || upper.Count == 0) continue;
            double error = lower.Error() + upper.Error();
            if (best < 0 || error < best) {
                best = error;
                cut = static_cast<int>(i);
                channel = k;
            }
        }
    }
    return cut;
}

std::vector<TRGBQuad> TMedianCut::Palette() {
    std::vector<Box> boxes(1);
    boxes[0] = Box{{0, 0, 0}, {kLevels - 1, kLevels - 1, kLevels - 1}, {}};
    Shrink(boxes[0]);
    std::vector<TRGBQuad> palette;
    if (boxes[0].Total.Count == 0) return palette;
    while (static_cast<int>(boxes.size()) < maxColors_) {
        // The box to split: the most pixels, or the largest error.
        int chosen = -1;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (!Splittable(boxes[i])) continue;
            auto weight = [this](const Box& b) {
                return split_ == TSplit::Median ? static_cast<double>(b.Total.Count) : b.Total.Error();
            };
            if (chosen < 0 || weight(boxes[i]) > weight(boxes[static_cast<size_t>(chosen)])) {
                chosen = static_cast<int>(i);
            }
        }
        if (chosen < 0) break;
        Box& box = boxes[static_cast<size_t>(chosen)];
        int channel = 0;
        int cut = CutAt(box, channel);
        if (cut < 0) break;
        Box upper = box;
        box.High[channel] = box.Low[channel] + cut;
        upper.Low[channel] = box.High[channel] + 1;
        Shrink(box);
        Shrink(upper);
        boxes.push_back(upper);
    }
    for (const Box& b : boxes) {
        auto mean = [&b](int k) {
            return static_cast<uint8_t>(std::clamp(b.Total.Sum[k] / static_cast<double>(b.Total.Count) + 0.5, 0.0, 255.0));
        };
        palette.push_back(TRGBQuad{mean(2), mean(1), mean(0), 0});
    }
    return palette;
}

}  // namespace qi
