// The PNG codec that pictures leave and enter the system through: what it
// writes it reads back, the packed formats it accepts, and damaged files.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/archive_builder.h"
#include "image/dib_surface.h"
#include "image/png.h"

namespace qi {
namespace {

std::string Be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    return Be32(static_cast<uint32_t>(data.size())) + type + data + Be32(test::Crc(type + data));
}

// A PNG of the given header whose rows (each with its filter byte) are
// packed by zlib, with extra chunks before the image data.
std::string Png(uint32_t width, uint32_t height, int depth, int colorType, const std::string& rows,
                const std::string& extra = {}) {
    std::string header = Be32(width) + Be32(height) + std::string{static_cast<char>(depth), static_cast<char>(colorType), 0, 0, 0};
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + extra + Chunk("IDAT", test::Zlib(rows)) +
           Chunk("IEND", "");
}

std::string Rgba(const RgbaImage& image, int x, int y) {
    const uint8_t* p = image.Pixels.data() + (static_cast<size_t>(y) * image.Width + x) * 4;
    return std::string(reinterpret_cast<const char*>(p), 4);
}

TEST(Png, SurfacesGoOutAndComeBackUnchanged) {
    TDIBSurface surface;
    surface.SetSize(5, 3, 24);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) surface.SetPixel(x, y, surface.ColorToPixel(x * 50, y * 100, 7));
    }
    RgbaImage opaque = RgbaFromSurface(surface);
    EXPECT_FALSE(opaque.HasAlpha);
    EXPECT_EQ(Rgba(opaque, 4, 2), std::string("\xC8\xC8\x07\xFF", 4));
    RgbaImage back = DecodePng(EncodePng(opaque));
    EXPECT_FALSE(back.HasAlpha);
    EXPECT_EQ(back.Pixels, opaque.Pixels);

    surface.EnsureMask();
    surface.Mask->SetPixel(1, 1, 0x80);
    RgbaImage masked = RgbaFromSurface(surface);
    ASSERT_TRUE(masked.HasAlpha);
    EXPECT_EQ(Rgba(masked, 1, 1)[3], '\x80');
    back = DecodePng(EncodePng(masked));
    EXPECT_TRUE(back.HasAlpha);
    EXPECT_EQ(back.Pixels, masked.Pixels);
}

TEST(Png, ReadsPackedPalettesGreyAndSixteenBits) {
    // 2-bit palette indices 0 1 2 3 / 3 2, the first entry half transparent.
    std::string palette = Chunk("PLTE", std::string("\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0\xC0", 12)) +
                          Chunk("tRNS", std::string("\x80", 1));
    RgbaImage indexed = DecodePng(Png(4, 2, 2, 3, std::string("\x00\x1B\x00\xB0", 4), palette));
    ASSERT_TRUE(indexed.HasAlpha);
    EXPECT_EQ(Rgba(indexed, 0, 0), std::string("\x10\x20\x30\x80", 4));
    EXPECT_EQ(Rgba(indexed, 3, 0), std::string("\xA0\xB0\xC0\xFF", 4));
    EXPECT_EQ(Rgba(indexed, 0, 1), std::string("\x70\x80\x90\xFF", 4));

    // 16-bit grey keeps the high byte; the "up" filter adds the row above.
    RgbaImage grey = DecodePng(Png(2, 2, 16, 0, std::string("\x00\x12\x34\xFF\xFF\x02\x01\x00\x00\x00", 10)));
    EXPECT_EQ(Rgba(grey, 0, 0), std::string("\x12\x12\x12\xFF", 4));
    EXPECT_EQ(Rgba(grey, 1, 0), std::string("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(Rgba(grey, 0, 1), std::string("\x13\x13\x13\xFF", 4));
}

TEST(Png, DamagedFilesAreRefusedWithAReason) {
    const std::string good = Png(3, 2, 8, 2, std::string(1 + 9, '\x01') + std::string(1 + 9, '\x02'));
    ASSERT_NO_THROW(DecodePng(good));
    for (size_t cut = 0; cut < good.size(); ++cut) {
        EXPECT_THROW(DecodePng(good.substr(0, cut)), std::runtime_error) << "cut at " << cut;
    }
    auto refused = [](const std::string& bytes, const char* reason) {
        try {
            DecodePng(bytes);
            ADD_FAILURE() << "accepted, expected: " << reason;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::strstr(e.what(), reason), nullptr) << e.what();
        }
    };
    refused(Png(2, 1, 8, 3, std::string("\x00\x00\x05", 3), Chunk("PLTE", std::string(6, '\0'))), "palette");
    refused(Png(1, 1, 8, 2, std::string("\x07\x00\x00\x00", 4)), "row filter");
    refused(Png(1, 1, 3, 2, std::string(2, '\0')), "bit depth");
    refused(Png(1, 1, 8, 5, std::string(2, '\0')), "colour type");
    refused(Png(0, 1, 8, 2, ""), "size");
    refused(Png(0xFFFFFFF0, 0xFFFFFFF0, 8, 2, ""), "size");
    // A large picture whose data cannot hold it is refused before its rows
    // are allocated.
    refused(Png(4096, 4096, 16, 6, std::string(4, '\0')), "too short for the size");
}

}  // namespace
}  // namespace qi
