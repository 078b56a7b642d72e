// The pixel surface: layout, colour conversion and the drawing rules at every
// bit count where they differ.
#include <gtest/gtest.h>

#include "image/dib_surface.h"
#include "platform/error.h"

namespace qi {
namespace {

// A w x h surface of one bit count filled with value.
void Make(TDIBSurface& s, int w, int h, int bits, uint32_t value) {
    s.SetSize(w, h, bits);
    s.FillRect(s.GetBounds(), value);
}

int CountEqual(const TDIBSurface& s, uint32_t value) {
    int n = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) n += s.Pixel(x, y) == value;
    return n;
}

TEST(SurfaceLayout, SizesFormatsRowsAndMask) {
    TDIBSurface s;
    s.SetSize(5, 3, 15);
    EXPECT_EQ(s.BitCount(), 16);
    EXPECT_EQ(s.LogicalBitCount(), 15);
    EXPECT_EQ(s.GreenMask(), 0x03E0u);
    s.SetSize(5, 3, 16);
    EXPECT_EQ(s.LogicalBitCount(), 16);
    EXPECT_EQ(s.RedMask(), 0xF800u);
    EXPECT_EQ(s.WidthBytes(), 12);
    s.SetSize(5, 3, 1);
    EXPECT_EQ(s.WidthBytes(), 4);
    s.SetSize(9, 3, 24);
    EXPECT_EQ(s.WidthBytes(), 28);
    EXPECT_EQ(s.NextLine(), -28);
    // Rows lie bottom-up: the top row is the last in memory.
    EXPECT_EQ(s.ScanLine(0) - s.ScanLine(1), 28);
    EXPECT_THROW(s.ScanLine(3), Error);
    EXPECT_THROW(s.ScanLine(-1), Error);
    EXPECT_THROW(s.SetSize(4, 4, 12), Error);
    EXPECT_THROW(s.SetSize(-1, 4, 8), Error);
    EXPECT_THROW(s.SetSize(1 << 20, 1 << 20, 32), Error);
    EXPECT_THROW(s.SetSize(0x7FFFFFFF, 0, 32), Error);  // no pixels, but a row no int can hold

    s.SetSize(4, 4, 32);
    s.EnsureMask();
    ASSERT_TRUE(s.Mask);
    s.SetSize(7, 2, 24);
    EXPECT_EQ(s.Mask->Width(), 7);
    EXPECT_EQ(s.Mask->Height(), 2);
    EXPECT_EQ(s.Mask->BitCount(), 8);
    s.FillMaskOpaque();
    EXPECT_EQ(s.Mask->ScanLine(1)[7], 255);  // padding included
    s.MakeEmpty();
    EXPECT_FALSE(s.Mask);
    // Pixels outside read 0 and writes there are ignored.
    s.SetSize(2, 2, 8);
    s.SetPixel(5, 0, 9);
    EXPECT_EQ(s.Pixel(5, 0), 0u);
}

TEST(SurfaceColors, ColorToPixelAndBack) {
    TDIBSurface s;
    s.SetSize(1, 1, 16);
    EXPECT_EQ(s.ColorToPixel(255, 128, 0), 0xFC00u);
    s.SetSize(1, 1, 15);
    EXPECT_EQ(s.ColorToPixel(255, 128, 8), 0x7C01u | 16u << 5);
    EXPECT_EQ(s.PixelToColor(0x7FFF), 0x00F8F8F8u);
    EXPECT_EQ(s.PixelToColor(0x7FFF, true), 0x00FFFFFFu);
    EXPECT_EQ(s.PixelToColor(0x0001, true), 0x000F0000u);  // blue field 1 -> 0x0F
    s.SetSize(1, 1, 16);
    EXPECT_EQ(s.PixelToColor(0x07E0), 0x0000FC00u);
    s.SetSize(1, 1, 24);
    EXPECT_EQ(s.ColorToPixel(255, 128, 0), 0xFF8000u);
    EXPECT_EQ(s.PixelToColor(0xFF8000), 0x000080FFu);
    s.SetSize(1, 1, 32);
    EXPECT_EQ(s.ColorToPixel(1, 2, 3), 0x010203u);

    // Palette: exact colours stay exact, the nearest entry otherwise, the
    // lowest index on a tie; only the entries of the bit count count.
    s.SetSize(1, 1, 8);
    s.ColorTable[3] = {10, 20, 30, 0};
    s.ColorTable[7] = {10, 20, 30, 0};
    s.ColorTable[9] = {200, 200, 200, 0};
    EXPECT_EQ(s.ColorToPixel(30, 20, 10), 3u);
    EXPECT_EQ(s.ColorToPixel(190, 210, 200), 9u);
    EXPECT_EQ(s.ColorToPixel(0, 0, 0), 0u);
    s.SetSize(1, 1, 1);
    EXPECT_EQ(s.ColorToPixel(200, 200, 200), 0u);
}

TEST(SurfaceColors, BitCountConversionKeepsColours) {
    TDIBSurface s;
    s.SetSize(3, 2, 4);
    s.ColorTable[1] = {0x11, 0x22, 0x33, 0};
    s.ColorTable[2] = {0xF0, 0x80, 0x01, 0};
    s.SetPixel(0, 0, 1);
    s.SetPixel(2, 1, 2);
    s.SetBitCount(24);
    EXPECT_EQ(s.BitCount(), 24);
    EXPECT_EQ(s.Pixel(0, 0), 0x332211u);
    EXPECT_EQ(s.Pixel(2, 1), 0x0180F0u);
    EXPECT_EQ(s.Pixel(1, 0), 0u);
    s.SetBitCount(8);
    EXPECT_EQ(s.Pixel(0, 0), 1u);
    EXPECT_EQ(s.Pixel(2, 1), 2u);
}

TEST(SurfaceFill, ClippedAndPerBitCount) {
    TDIBSurface s;
    Make(s, 10, 3, 1, 0);
    s.FillRect({3, -5, 12, 1}, 3);  // value and 1
    EXPECT_EQ(s.ScanLine(0)[0], 0x1F);
    EXPECT_EQ(s.ScanLine(0)[1], 0xC0);
    EXPECT_EQ(CountEqual(s, 1), 7);
    s.FillRect({20, 0, 30, 3}, 1);
    EXPECT_EQ(CountEqual(s, 1), 7);

    Make(s, 5, 1, 4, 0);
    s.FillRect({1, 0, 4, 1}, 0x1A);
    EXPECT_EQ(s.ScanLine(0)[0], 0x0A);
    EXPECT_EQ(s.ScanLine(0)[1], 0xAA);
    EXPECT_EQ(s.ScanLine(0)[2], 0x00);

    // Several rows with partial bytes at both ends.
    for (auto [bits, left, right] : {std::tuple{1, 3, 19}, std::tuple{1, 9, 11}, std::tuple{4, 1, 6},
                                     std::tuple{4, 2, 4}}) {
        Make(s, 21, 3, bits, 0);
        s.FillRect({left, 0, right, 3}, 1);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 21; ++x)
                EXPECT_EQ(s.Pixel(x, y), x >= left && x < right ? 1u : 0u) << bits << " " << x << "," << y;
    }

    Make(s, 2, 2, 15, 0xFFFF);
    EXPECT_EQ(s.Pixel(1, 1), 0x7FFFu);
    Make(s, 2, 2, 16, 0x1FFFF);
    EXPECT_EQ(s.Pixel(1, 1), 0xFFFFu);
    Make(s, 2, 2, 24, 0xAB123456);
    EXPECT_EQ(s.ScanLine(1)[0], 0x56);
    EXPECT_EQ(s.Pixel(1, 1), 0x123456u);
    EXPECT_EQ(s.ScanLine(1)[6], 0);  // row padding untouched
}

TEST(SurfaceCopy, SubBytePositionsAndClipping) {
    TDIBSurface src, dst;
    // 1 bit: a pattern copied from bit 3 to bit 6 of another byte.
    src.SetSize(16, 1, 1);
    for (int x = 0; x < 16; ++x) src.SetPixel(x, 0, x % 3 == 0);
    Make(dst, 16, 1, 1, 0);
    dst.CopyRect(6, 0, {3, 0, 11, 1}, src);
    for (int j = 0; j < 8; ++j) EXPECT_EQ(dst.Pixel(6 + j, 0), src.Pixel(3 + j, 0)) << j;
    EXPECT_EQ(dst.Pixel(5, 0), 0u);
    EXPECT_EQ(dst.Pixel(14, 0), 0u);
    // 4 bits from an odd to an even position.
    src.SetSize(6, 1, 4);
    for (int x = 0; x < 6; ++x) src.SetPixel(x, 0, x + 1);
    Make(dst, 6, 1, 4, 0xF);
    dst.CopyRect(2, 0, {1, 0, 4, 1}, src);
    EXPECT_EQ(dst.Pixel(1, 0), 0xFu);
    EXPECT_EQ(dst.Pixel(2, 0), 2u);
    EXPECT_EQ(dst.Pixel(4, 0), 4u);
    EXPECT_EQ(dst.Pixel(5, 0), 0xFu);

    // Negative destination and a source rectangle partly outside the source.
    src.SetSize(4, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.SetPixel(x, y, static_cast<uint32_t>(y * 16 + x + 1));
    Make(dst, 3, 3, 24, 0);
    dst.CopyRect(-1, 1, {0, 0, 4, 4}, src);
    EXPECT_EQ(dst.Pixel(0, 1), 2u);
    EXPECT_EQ(dst.Pixel(2, 2), 0x14u);
    EXPECT_EQ(dst.Pixel(0, 0), 0u);
    Make(dst, 3, 3, 24, 0);
    dst.CopyRect(0, 0, {-2, -1, 2, 2}, src);  // the cut-off part moves the destination
    EXPECT_EQ(dst.Pixel(2, 1), 1u);
    EXPECT_EQ(dst.Pixel(1, 1), 0u);
    // A clip rectangle keeps the rest untouched; another bit count draws nothing.
    Make(dst, 4, 4, 24, 0);
    dst.ClipRect = {1, 1, 2, 2};
    dst.Draw(0, 0, src);
    EXPECT_EQ(CountEqual(dst, 0), 15);
    EXPECT_EQ(dst.Pixel(1, 1), 0x12u);
    TDIBSurface other;
    Make(other, 4, 4, 32, 7);
    dst.ClipRect = {};
    dst.Draw(0, 0, other);
    EXPECT_EQ(CountEqual(dst, 7), 0);
}

TEST(SurfaceTransparent, TransValueAtEveryWidth) {
    // Per pixel format: the transparent value, another source value and the
    // destination's own value, each within the format's range.
    struct Format {
        int bits;
        uint32_t key, other, background;
    };
    const Format formats[] = {{1, 1, 0, 0},          {4, 3, 9, 1},          {8, 0xC3, 0x21, 7},
                              {15, 0x7C00, 0x001F, 0x03E0}, {16, 0xF800, 0x07E0, 0x001F},
                              {24, 0x00FF00, 0x0000FF, 0x123456}, {32, 5, 0xFFFFFFFF, 1}};
    for (const Format& f : formats) {
        SCOPED_TRACE(f.bits);
        TDIBSurface src, dst;
        Make(src, 5, 1, f.bits, f.key);
        src.SetPixel(4, 0, f.other);
        Make(dst, 5, 1, f.bits, f.background);
        dst.DrawTransparent(0, 0, src, src.GetBounds(), static_cast<int32_t>(f.key));
        EXPECT_EQ(CountEqual(dst, f.background), f.other == f.background ? 5 : 4);
        EXPECT_EQ(dst.Pixel(4, 0), f.other);

        Make(dst, 5, 1, f.bits, f.background);
        dst.DrawTransparent(0, 0, src, src.GetBounds(), -1);  // -1 matches nothing
        EXPECT_EQ(dst.Pixel(0, 0), f.key);
    }
}

TEST(SurfaceTranslucent, BlendRulesDifferByBitCount) {
    TDIBSurface src, dst;
    // 24 bits divide by 255, 32 bits shift by 8.
    for (auto [alpha, want24, want32] : {std::tuple{128, 128u, 127u}, std::tuple{254, 254u, 253u}}) {
        Make(src, 1, 1, 24, 0xFFFFFF);
        Make(dst, 1, 1, 24, 0);
        dst.DrawTranslucent(0, 0, src, src.GetBounds(), -1, alpha);
        EXPECT_EQ(dst.Pixel(0, 0), want24 * 0x010101u) << alpha;
        Make(src, 1, 1, 32, 0xFFFFFFFF);
        Make(dst, 1, 1, 32, 0);
        dst.DrawTranslucent(0, 0, src, src.GetBounds(), -1, alpha);
        EXPECT_EQ(dst.Pixel(0, 0), want32 * 0x010101u) << alpha;  // fourth byte 0
    }
    // Alpha 255 and above is DrawTransparent exactly; 0 draws nothing.
    Make(src, 2, 1, 24, 0xABCDEF);
    src.SetPixel(1, 0, 7);
    Make(dst, 2, 1, 24, 0x111111);
    dst.DrawTranslucent(0, 0, src, src.GetBounds(), 7, 255);
    EXPECT_EQ(dst.Pixel(0, 0), 0xABCDEFu);
    EXPECT_EQ(dst.Pixel(1, 0), 0x111111u);
    Make(dst, 2, 1, 24, 0x111111);
    dst.DrawTranslucent(0, 0, src, src.GetBounds(), -1, 0);
    EXPECT_EQ(CountEqual(dst, 0x111111), 2);
    // Transparent pixels are skipped in a blend too.
    dst.DrawTranslucent(0, 0, src, src.GetBounds(), 7, 100);
    EXPECT_EQ(dst.Pixel(1, 0), 0x111111u);
    EXPECT_NE(dst.Pixel(0, 0), 0x111111u);

    // 5-6-5 and 5-5-5: each field over its own mask, divided by 255.
    Make(src, 1, 1, 16, 0xFFFF);
    Make(dst, 1, 1, 16, 0);
    dst.DrawTranslucent(0, 0, src, src.GetBounds(), -1, 128);
    uint32_t r = (128u * 0xF800 / 255) & 0xF800, g = (128u * 0x07E0 / 255) & 0x07E0, b = 128u * 0x1F / 255;
    EXPECT_EQ(dst.Pixel(0, 0), r | g | b);
    Make(src, 1, 1, 15, 0x7FFF);
    Make(dst, 1, 1, 15, 0);
    dst.DrawTranslucent(0, 0, src, src.GetBounds(), -1, 128);
    r = (128u * 0x7C00 / 255) & 0x7C00;
    g = (128u * 0x03E0 / 255) & 0x03E0;
    EXPECT_EQ(dst.Pixel(0, 0), r | g | b);
}

TEST(SurfaceTranslucent, PaletteSurfacesDither) {
    TDIBSurface src, dst;
    for (int bits : {8, 4, 1}) {
        Make(src, 8, 8, bits, 1);
        for (auto [alpha, cells] : {std::pair{1, 1}, std::pair{15, 1}, std::pair{16, 2}, std::pair{31, 2},
                                    std::pair{128, 9}, std::pair{239, 15}, std::pair{240, 16},
                                    std::pair{254, 16}}) {
            Make(dst, 8, 8, bits, 0);
            dst.DrawTranslucent(0, 0, src, src.GetBounds(), -1, alpha);
            EXPECT_EQ(CountEqual(dst, 1), cells * 4) << bits << " bits, alpha " << alpha;
        }
    }
    // Level 1 sets the cells where the ordered-dither matrix holds 0 and 1.
    Make(src, 4, 4, 8, 1);
    Make(dst, 4, 4, 8, 0);
    dst.DrawTranslucent(0, 0, src, src.GetBounds(), -1, 20);
    EXPECT_EQ(dst.Pixel(0, 0), 1u);
    EXPECT_EQ(dst.Pixel(2, 2), 1u);
    // The cells follow destination coordinates.
    Make(dst, 5, 4, 8, 0);
    dst.DrawTranslucent(1, 0, src, src.GetBounds(), -1, 5);
    EXPECT_EQ(CountEqual(dst, 1), 1);
    EXPECT_EQ(dst.Pixel(0, 0), 0u);
    EXPECT_EQ(dst.Pixel(4, 0), 1u);
}

TEST(SurfaceAlpha, MaskBlendsByBitCount) {
    TDIBSurface src, dst;
    auto masked = [&](int bits, uint32_t value, uint8_t m) {
        Make(src, 1, 1, bits, value);
        src.EnsureMask();
        src.Mask->SetPixel(0, 0, m);
    };
    masked(8, 5, 127);
    Make(dst, 1, 1, 8, 0);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 255);
    EXPECT_EQ(dst.Pixel(0, 0), 0u);
    masked(8, 5, 128);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 255);
    EXPECT_EQ(dst.Pixel(0, 0), 5u);

    masked(24, 0xFFFFFF, 127);
    Make(dst, 1, 1, 24, 0);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 255);
    EXPECT_EQ(dst.Pixel(0, 0), 0x7E7E7Eu);  // 255 * 127 / 256
    masked(24, 0xFFFFFF, 255);
    Make(dst, 1, 1, 24, 0);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 128);  // m' = 127, the 32-bit rule
    EXPECT_EQ(dst.Pixel(0, 0), 0x7E7E7Eu);
    masked(24, 0xFFFFFF, 1);
    Make(dst, 1, 1, 24, 9);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 128);  // m' = 0 keeps
    EXPECT_EQ(dst.Pixel(0, 0), 9u);
    masked(24, 0xFFFFFF, 0);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 255);
    EXPECT_EQ(dst.Pixel(0, 0), 9u);

    masked(32, 0xFFFFFFFF, 255);
    Make(dst, 1, 1, 32, 0);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 255);
    EXPECT_EQ(dst.Pixel(0, 0), 0xFFFFFFFFu);  // a copy keeps all four bytes
    masked(32, 0xFFFFFFFF, 128);
    Make(dst, 1, 1, 32, 0);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 255);
    EXPECT_EQ(dst.Pixel(0, 0), 0x7F7F7Fu);

    masked(16, 0xFFFF, 128);
    Make(dst, 1, 1, 16, 0);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 255);
    EXPECT_EQ(dst.Pixel(0, 0), ((0xF800u * 128 >> 8) & 0xF800) | ((0x07E0u * 128 >> 8) & 0x07E0) | (31u * 128 >> 8));

    // Without a mask: DrawTranslucent with no transparent value.
    src.FreeMask();
    Make(src, 1, 1, 24, 0xFFFFFF);
    Make(dst, 1, 1, 24, 0);
    dst.DrawAlpha(0, 0, src, src.GetBounds(), 128);
    EXPECT_EQ(dst.Pixel(0, 0), 0x808080u);
}

}  // namespace
}  // namespace qi
