// The picture codecs: what the writers write the readers read back pixel for
// pixel at every bit count, the variants other programs write, and damaged
// files.
#include <gtest/gtest.h>

#include "base/little_endian.h"
#include "image/bitmap.h"
#include "image/icon.h"
#include "image/png.h"
#include "image/px_list.h"
#include "image/targa.h"

namespace qi {
namespace {

// A w x h picture of the bit count with a pattern of colours (and a palette).
void Pattern(TDIBSurface& s, int w, int h, int bits) {
    s.SetSize(w, h, bits);
    for (int i = 0; i < 256; ++i) {
        s.ColorTable[i] = TRGBQuad{static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3), 0};
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Runs along the rows as well as changing pixels, for the packing.
            uint32_t v = x < w / 3 ? 5u : static_cast<uint32_t>(x * 37 + y * 101) * 2654435761u >> 5;
            if (bits == 32) v &= 0xFFFFFF;
            s.SetPixel(x, y, v);
        }
}

// Colours (and mask values) of two pictures differ nowhere.
void ExpectSameColors(const TDIBSurface& a, const TDIBSurface& b, bool withMask) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    ASSERT_EQ(withMask, b.Mask != nullptr);
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            ASSERT_EQ(a.PixelToColor(a.Pixel(x, y)), b.PixelToColor(b.Pixel(x, y))) << x << "," << y;
            if (withMask) ASSERT_EQ(a.Mask->Pixel(x, y), b.Mask->Pixel(x, y)) << x << "," << y;
        }
}

TEST(Codecs, EveryBitCountGoesThroughTargaBitmapAndPng) {
    for (int bits : {1, 4, 8, 15, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        TDIBSurface original, tga, bmp, png;
        Pattern(original, 37, 5, bits);
        ReadTarga(WriteTarga(original, false), tga, true);
        ExpectSameColors(original, tga, false);
        ReadTarga(WriteTarga(original), tga, true);
        ExpectSameColors(original, tga, false);
        // Targa keeps palettes at 8 bits and 5-6-5 at 24; the bitmap keeps all.
        EXPECT_EQ(tga.LogicalBitCount(), bits < 8 ? 8 : bits == 16 ? 24 : bits);
        ReadBitmap(WriteBitmap(tga), bmp, true);
        ExpectSameColors(original, bmp, false);
        EXPECT_EQ(bmp.LogicalBitCount(), tga.LogicalBitCount());
        ReadBitmap(WriteBitmap(original), bmp, true);
        EXPECT_EQ(bmp.LogicalBitCount(), bits);
        SurfaceFromRgba(DecodePng(EncodePng(RgbaFromSurface(bmp))), png);
        ExpectSameColors(original, png, false);
    }
}

TEST(Codecs, MasksTravelAsAlpha) {
    TDIBSurface original, back;
    Pattern(original, 19, 7, 24);
    original.EnsureMask();
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 19; ++x) original.Mask->SetPixel(x, y, static_cast<uint32_t>(x * 13 + y));
    ReadTarga(WriteTarga(original), back, true);
    ExpectSameColors(original, back, true);
    ReadBitmap(WriteBitmap(original), back, true);
    ExpectSameColors(original, back, true);
    ReadBitmap(WriteBitmap(original), back, false);
    EXPECT_FALSE(back.Mask);
    // A palette keeps its bit count: the Mask has no place there.
    original.ReduceColors(TReduceMethod::Octree, 8, TDither::None, 0);
    ReadBitmap(WriteBitmap(original), back, true);
    EXPECT_EQ(back.BitCount(), 8);
    EXPECT_FALSE(back.Mask);
}

TEST(Codecs, IconsHoldSeveralImagesWithTheirMasks) {
    TDIBSurface images[4], large, back;
    const int bitCounts[4] = {1, 8, 24, 32};
    std::vector<TIconImage> list;
    for (int i = 0; i < 4; ++i) {
        Pattern(images[i], 16 + i, 16, bitCounts[i]);
        images[i].ColorTable[0] = TRGBQuad{};  // black for the hidden pixels
        images[i].EnsureMask();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16 + i; ++x) {
                uint32_t m = bitCounts[i] == 32 ? static_cast<uint32_t>(x * 15) : (x + y) % 3 ? 255 : 0;
                images[i].Mask->SetPixel(x, y, m);
                if (m == 0) images[i].SetPixel(x, y, 0);
            }
        list.push_back({&images[i], 0, 0});
    }
    Pattern(large, 256, 256, 24);
    list.push_back({&large, 0, 0});
    const std::string file = WriteIcon(list, false);
    const std::vector<TIconEntry> entries = ReadIconDirectory(file);
    ASSERT_EQ(entries.size(), 5u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[static_cast<size_t>(i)].Width, 16 + i);
        EXPECT_EQ(entries[static_cast<size_t>(i)].BitCount, bitCounts[i]);
        ReadIconImage(file, i, back);
        ExpectSameColors(images[i], back, true);
    }
    EXPECT_TRUE(entries[4].Png);
    ReadIconImage(file, 4, back);
    large.EnsureMask();
    large.FillMaskOpaque();
    ExpectSameColors(large, back, true);
    EXPECT_THROW(ReadIconImage(file, 5, back), Error);
    // A soft edge at 24 bits is kept as 32-bit alpha.
    images[2].Mask->SetPixel(1, 1, 128);
    const std::string soft = WriteIcon({{&images[2], 0, 0}}, false);
    EXPECT_EQ(ReadIconDirectory(soft)[0].BitCount, 32);
    ReadIconImage(soft, 0, back);
    EXPECT_EQ(back.Mask->Pixel(1, 1), 128u);

    // A cursor keeps its hotspot; the pixels under the transparent part are
    // written black so that they leave the screen unchanged.
    TDIBSurface arrow;
    Pattern(arrow, 8, 8, 24);
    arrow.EnsureMask();
    arrow.FillMaskOpaque();
    arrow.Mask->SetPixel(7, 7, 0);
    const std::string cursor = WriteIcon({{&arrow, 3, 5}}, true);
    EXPECT_EQ(ReadIconDirectory(cursor)[0].HotspotY, 5);
    ReadIconImage(cursor, 0, back);
    EXPECT_EQ(back.Pixel(7, 7), 0u);
    EXPECT_EQ(back.Mask->Pixel(7, 7), 0u);
    EXPECT_EQ(back.Pixel(6, 7), arrow.Pixel(6, 7));
}

std::string TargaHeader(int type, int mapLength, int mapBits, int w, int h, int depth, int descriptor) {
    std::string out(18, '\0');
    out[1] = static_cast<char>(mapLength > 0);
    out[2] = static_cast<char>(type);
    StoreLe<uint16_t>(reinterpret_cast<uint8_t*>(&out[5]), static_cast<uint16_t>(mapLength));
    out[7] = static_cast<char>(mapBits);
    StoreLe<uint16_t>(reinterpret_cast<uint8_t*>(&out[12]), static_cast<uint16_t>(w));
    StoreLe<uint16_t>(reinterpret_cast<uint8_t*>(&out[14]), static_cast<uint16_t>(h));
    out[16] = static_cast<char>(depth);
    out[17] = static_cast<char>(descriptor);
    return out;
}

TEST(Codecs, TargaVariantsOfOtherWriters) {
    TDIBSurface s;
    // Top-left origin, right to left, grey with alpha as the Mask.
    ReadTarga(TargaHeader(3, 0, 0, 2, 2, 16, 0x38) + std::string("\x10\x80\x20\xFF\x30\x00\x40\x01", 8), s, true);
    EXPECT_EQ(s.BitCount(), 8);
    EXPECT_EQ(s.PixelToColor(s.Pixel(1, 0)), 0x101010u);
    EXPECT_EQ(s.Mask->Pixel(1, 0), 0x80u);
    EXPECT_EQ(s.Pixel(0, 1), 0x40u);
    // A colour map of 16-bit entries, run-length packed indices across rows.
    ReadTarga(TargaHeader(9, 2, 16, 3, 2, 8, 0x20) + std::string("\x1F\x00\xE0\x03", 4) +
                  std::string("\x83\x01\x81\x00", 4), s, true);
    EXPECT_EQ(s.PixelToColor(s.Pixel(0, 0)), 0x00FF00u);  // 5-bit green widened
    EXPECT_EQ(s.PixelToColor(s.Pixel(2, 1)), 0xFF0000u);
    // 32 bits whose alpha the extension area says is not used.
    std::string body = TargaHeader(2, 0, 0, 1, 1, 32, 8) + std::string("\x01\x02\x03\x04", 4);
    std::string extension(495, '\0');
    extension[0] = static_cast<char>(495 & 0xFF), extension[1] = static_cast<char>(495 >> 8);
    std::string footer(8, '\0');
    StoreLe<uint32_t>(reinterpret_cast<uint8_t*>(&footer[0]), static_cast<uint32_t>(body.size()));
    ReadTarga(body + extension + footer + std::string("TRUEVISION-XFILE.\0", 18), s, true);
    EXPECT_FALSE(s.Mask);
    ReadTarga(body, s, true);
    EXPECT_EQ(s.Mask->Pixel(0, 0), 4u);
}

std::string BitmapFile(int w, int h, int bits, uint32_t compression, const std::string& extra, const std::string& rows) {
    std::string info(40, '\0');
    auto put = [&info](size_t at, uint32_t v) { StoreLe<uint32_t>(reinterpret_cast<uint8_t*>(&info[at]), v); };
    put(0, 40);
    put(4, static_cast<uint32_t>(w));
    put(8, static_cast<uint32_t>(h));
    put(12, 1u | static_cast<uint32_t>(bits) << 16);
    put(16, compression);
    std::string file = "BM" + std::string(12, '\0') + info + extra + rows;
    StoreLe<uint32_t>(reinterpret_cast<uint8_t*>(&file[10]), static_cast<uint32_t>(54 + extra.size()));
    return file;
}

TEST(Codecs, BitmapVariantsOfOtherWriters) {
    TDIBSurface s;
    std::string palette;
    for (int i = 0; i < 16; ++i) palette += std::string{static_cast<char>(i), 0, 0, 0};
    // Run-length 8 bits: a run, an absolute stretch, end of line, end.
    std::string table8 = palette + std::string(240 * 4, '\0');
    ReadBitmap(BitmapFile(4, 2, 8, 1, table8, std::string("\x02\x07\x00\x03\x01\x02\x03\x00\x00\x00\x04\x09\x00\x01", 14)), s, true);
    EXPECT_EQ(s.Pixel(0, 1), 7u);
    EXPECT_EQ(s.Pixel(3, 1), 2u);
    EXPECT_EQ(s.Pixel(3, 0), 9u);
    // Run-length 4 bits alternates the two nibbles.
    ReadBitmap(BitmapFile(5, 1, 4, 2, palette, std::string("\x05\x12\x00\x01", 4)), s, true);
    EXPECT_EQ(s.Pixel(3, 0), 2u);
    EXPECT_EQ(s.Pixel(4, 0), 1u);
    // Top-down 5-6-5 through bit fields.
    std::string masks("\x00\xF8\x00\x00\xE0\x07\x00\x00\x1F\x00\x00\x00", 12);
    ReadBitmap(BitmapFile(2, -2, 16, 3, masks, std::string("\x00\xF8\x00\x00\x1F\x00\x00\x00", 8)), s, true);
    EXPECT_EQ(s.LogicalBitCount(), 16);
    EXPECT_EQ(s.Pixel(0, 0), 0xF800u);
    EXPECT_EQ(s.Pixel(0, 1), 0x001Fu);
    // Other bit fields (4-4-4-4) become 32 bits with the alpha as the Mask.
    std::string argb("\x00\x0F\x00\x00\xF0\x00\x00\x00\x0F\x00\x00\x00\x00\xF0\x00\x00", 16);
    ReadBitmap(BitmapFile(1, 1, 16, 6, argb, std::string("\x0F\x8F\x00\x00", 4)), s, true);
    EXPECT_EQ(s.Pixel(0, 0) & 0xFFFFFF, 0xFF00FFu);
    EXPECT_EQ(s.Mask->Pixel(0, 0), 0x88u);
    // Plain 32 bits with every fourth byte 0: no alpha, no Mask.
    ReadBitmap(BitmapFile(1, 1, 32, 0, "", std::string("\x01\x02\x03\x00", 4)), s, true);
    EXPECT_FALSE(s.Mask);
}

TEST(Codecs, DamagedFilesAreRefusedSafely) {
    TDIBSurface s;
    Pattern(s, 9, 4, 8);
    s.EnsureMask();
    TDIBSurface back;
    using Reader = void (*)(const std::string&, TDIBSurface&);
    const std::pair<std::string, Reader> files[] = {
        {WriteTarga(s), [](const std::string& b, TDIBSurface& o) { ReadTarga(b, o, true); }},
        {WriteTarga(s, false), [](const std::string& b, TDIBSurface& o) { ReadTarga(b, o, true); }},
        {WriteBitmap(s), [](const std::string& b, TDIBSurface& o) { ReadBitmap(b, o, true); }},
        {WriteIcon({{&s, 0, 0}}, false), [](const std::string& b, TDIBSurface& o) { ReadIconImage(b, 0, o); }},
    };
    for (const auto& [file, read] : files) {
        for (size_t cut = 0; cut < file.size(); ++cut) {
            try {
                read(file.substr(0, cut), back);
            } catch (const Error&) {
            }
        }
    }
    // Sizes the data cannot hold are refused before anything is allocated.
    EXPECT_THROW(ReadTarga(TargaHeader(10, 0, 0, 65535, 65535, 32, 0) + std::string(100, '\0'), back, true), Error);
    EXPECT_THROW(ReadBitmap(BitmapFile(30000, 30000, 8, 1, std::string(1024, '\0'), "\x00\x01"), back, true), Error);
    EXPECT_THROW(ReadBitmap(BitmapFile(1, -2147483647 - 1, 24, 0, "", ""), back, true), Error);
}

TEST(Codecs, RunLengthPacketsHoldAtMost128Pixels) {
    std::vector<uint32_t> row(300, 7);
    for (int i = 200; i < 300; ++i) row[static_cast<size_t>(i)] = static_cast<uint32_t>(i);
    row.insert(row.end(), 100, 9);
    TPxList list;
    list.Pack(row);
    std::vector<std::tuple<bool, int, int>> got;
    for (const TPxPacket& p : list.Packets()) got.emplace_back(p.Run, p.Start, p.Count);
    std::vector<std::tuple<bool, int, int>> want = {
        {true, 0, 128}, {true, 128, 72}, {false, 200, 100}, {true, 300, 100}};
    EXPECT_EQ(got, want);
    std::vector<uint32_t> changing(130);
    for (size_t i = 0; i < changing.size(); ++i) changing[i] = static_cast<uint32_t>(i);
    list.Pack(changing);
    ASSERT_EQ(list.Packets().size(), 2u);
    EXPECT_EQ(list.Packets()[0].Count, 128);
}

}  // namespace
}  // namespace qi
