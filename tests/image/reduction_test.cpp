// Colour work on the surface: flips, counting colours, conversion between
// bit counts and colour reduction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "image/dib_surface.h"
#include "platform/error.h"

namespace qi {
namespace {

// A photo-like 24-bit picture: smooth gradients, soft discs and grain.
void Photo(TDIBSurface& s, int w = 160, int h = 120) {
    s.SetSize(w, h, 24);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245 + 12345;
            int grain = static_cast<int>(seed >> 16 & 15) - 8;
            double sky = 1.0 - static_cast<double>(y) / h;
            double disc = std::exp(-((x - 50) * (x - 50) + (y - 40) * (y - 40)) / 600.0);
            double leaf = std::exp(-((x - 120) * (x - 120) + (y - 85) * (y - 85)) / 900.0);
            int r = static_cast<int>(90 * sky + 200 * disc + 40 * leaf + x / 4) + grain;
            int g = static_cast<int>(120 * sky + 150 * disc + 160 * leaf) + grain;
            int b = static_cast<int>(230 * sky + 30 * disc + 50 * leaf) + grain;
            s.SetPixel(x, y, s.ColorToPixel(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255)));
        }
}

// Mean absolute difference per channel.
double MeanError(const TDIBSurface& a, const TDIBSurface& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            uint32_t p = a.PixelToColor(a.Pixel(x, y)), q = b.PixelToColor(b.Pixel(x, y));
            for (int shift = 0; shift < 24; shift += 8) sum += std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF));
        }
    return sum / (3.0 * a.Width() * a.Height());
}

// The same over the means of 4 x 4 blocks: what the eye sees of dithering.
double BlockError(const TDIBSurface& a, const TDIBSurface& b) {
    double sum = 0;
    int blocks = 0;
    for (int by = 0; by + 4 <= a.Height(); by += 4)
        for (int bx = 0; bx + 4 <= a.Width(); bx += 4, ++blocks)
            for (int shift = 0; shift < 24; shift += 8) {
                int d = 0;
                for (int y = by; y < by + 4; ++y)
                    for (int x = bx; x < bx + 4; ++x)
                        d += int(a.PixelToColor(a.Pixel(x, y)) >> shift & 0xFF) - int(b.PixelToColor(b.Pixel(x, y)) >> shift & 0xFF);
                sum += std::abs(d) / 16.0;
            }
    return sum / (3.0 * blocks);
}

TEST(Reduction, PhotoKeepsItsLookWithinTheColoursAsked) {
    TDIBSurface photo;
    Photo(photo);
    // Bounds on the mean error per channel, whatever the dithering (which
    // trades a larger error per pixel for a closer local average).
    struct Case {
        TReduceMethod method;
        int colors;
        double bound;
    };
    const Case cases[] = {
        {TReduceMethod::Fast, 16, 75},          {TReduceMethod::Fast, 256, 21},
        {TReduceMethod::Octree, 16, 18},        {TReduceMethod::Octree, 256, 4},
        {TReduceMethod::MedianCut, 16, 15},     {TReduceMethod::MedianCut, 256, 4},
        {TReduceMethod::MedianCutVariance, 16, 14}, {TReduceMethod::MedianCutVariance, 256, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "method " << static_cast<int>(c.method) << ", " << c.colors << " colours");
        double plainBlocks = 0;
        for (TDither dither : {TDither::None, TDither::Ordered, TDither::ErrorDiffusion}) {
            TDIBSurface reduced;
            reduced.AssignSurface(photo);
            reduced.ReduceColors(c.method, c.colors == 16 ? 4 : 8, dither, c.colors);
            EXPECT_LE(reduced.CountColors(), c.colors);
            EXPECT_LT(MeanError(photo, reduced), c.bound) << static_cast<int>(dither);
            if (dither == TDither::None) plainBlocks = BlockError(photo, reduced);
            if (dither == TDither::ErrorDiffusion) EXPECT_LT(BlockError(photo, reduced), plainBlocks);
        }
    }
}

TEST(Reduction, FewColoursStayExactAndBitCountsAreChecked) {
    TDIBSurface photo, s;
    Photo(photo, 16, 8);
    photo.FillRect({0, 0, 16, 4}, 0x102030);
    photo.FillRect({0, 4, 16, 8}, 0xF0E0D0);
    photo.SetPixel(3, 3, 0x00FF00);
    for (TReduceMethod method : {TReduceMethod::Octree, TReduceMethod::MedianCut, TReduceMethod::MedianCutVariance}) {
        s.AssignSurface(photo);
        s.ReduceColors(method, 4, TDither::Ordered, 0);
        EXPECT_EQ(MeanError(photo, s), 0.0);
        EXPECT_EQ(s.CountColors(), 3);
    }
    // Without a palette: the target's own levels, the Mask kept.
    s.AssignSurface(photo);
    s.EnsureMask();
    s.ReduceColors(TReduceMethod::Fast, 15, TDither::ErrorDiffusion, 0);
    EXPECT_EQ(s.LogicalBitCount(), 15);
    EXPECT_TRUE(s.Mask);
    EXPECT_LT(MeanError(photo, s), 8);
    EXPECT_THROW(s.ReduceColors(TReduceMethod::Octree, 4, TDither::None, 17), Error);
    EXPECT_THROW(s.ReduceColors(TReduceMethod::Octree, 12, TDither::None, 0), Error);
}

TEST(SurfaceColours, CountedPerBitCount) {
    TDIBSurface s;
    s.SetSize(5, 2, 4);
    s.ColorTable[1] = s.ColorTable[2] = TRGBQuad{1, 2, 3, 0};  // the same colour twice
    s.ColorTable[3] = TRGBQuad{9, 9, 9, 0};
    s.SetPixel(0, 0, 1);
    s.SetPixel(1, 0, 2);
    s.SetPixel(2, 0, 3);
    EXPECT_EQ(s.CountColors(), 3);  // black (entry 0), entries 1 and 2, entry 3
    EXPECT_EQ(s.FindUnusedIndex(), 4);
    s.SetSize(1, 1, 1);
    s.SetPixel(0, 0, 1);
    EXPECT_EQ(s.FindUnusedIndex(), 0);
    s.SetPixel(0, 0, 0);
    s.SetSize(2, 1, 1);
    s.SetPixel(1, 0, 1);
    EXPECT_EQ(s.FindUnusedIndex(), -1);

    s.SetSize(3, 1, 15);
    s.SetPixel(0, 0, 0x8001);  // the unused top bit does not count
    s.SetPixel(1, 0, 0x0001);
    EXPECT_EQ(s.CountColors(), 2);
    s.SetSize(3, 1, 32);
    s.SetPixel(0, 0, 0xFF123456);
    s.SetPixel(1, 0, 0x00123456);
    s.SetPixel(2, 0, 0x00FFFFFF);
    EXPECT_EQ(s.CountColors(), 2);
    std::vector<TRGBQuad> used = s.GetUsedColors();
    ASSERT_EQ(used.size(), 2u);
    EXPECT_EQ(used[0].Red, 0x12);
    EXPECT_EQ(used[1].Blue, 0xFF);
    EXPECT_EQ(s.FindUnusedIndex(), -1);
}

TEST(SurfaceColours, FlipsMoveMaskAndPixels) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        TDIBSurface s;
        s.SetSize(5, 3, bits);
        s.EnsureMask();
        s.SetPixel(0, 0, 1);
        s.Mask->SetPixel(0, 0, 9);
        s.FlipHorizontal();
        EXPECT_EQ(s.Pixel(4, 0), 1u);
        EXPECT_EQ(s.Pixel(0, 0), 0u);
        s.FlipVertical();
        EXPECT_EQ(s.Pixel(4, 2), 1u);
        EXPECT_EQ(s.Mask->Pixel(4, 2), 9u);
        EXPECT_EQ(s.Pixel(4, 0), 0u);
    }
}

TEST(SurfaceColours, DrawConvertedBetweenBitCounts) {
    TDIBSurface source, target;
    source.SetSize(3, 1, 24);
    source.SetPixel(0, 0, 0xFF0000);
    source.SetPixel(1, 0, 0x00FE00);
    target.SetSize(4, 2, 8);
    target.ColorTable[5] = TRGBQuad{0, 0, 255, 0};
    target.ColorTable[6] = TRGBQuad{0, 250, 0, 0};
    target.ColorTable[9] = TRGBQuad{0, 0, 255, 0};  // a tie goes to the lower index
    target.DrawConverted(2, 1, source);  // clipped at the right edge
    EXPECT_EQ(target.Pixel(2, 1), 5u);
    EXPECT_EQ(target.Pixel(3, 1), 6u);  // the nearest entry
    EXPECT_EQ(target.Pixel(1, 1), 0u);
    TDIBSurface wide;
    wide.SetSize(4, 2, 16);
    wide.DrawConverted(0, 0, target);
    EXPECT_EQ(wide.Pixel(2, 1), 0xF800u);
}

}  // namespace
}  // namespace qi
