// The layered image decoder: versions, storage modes, tiles, scrambling,
// compositing, palettes and damaged images. Images are built with the writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "archive/random.h"
#include "image/jpeg_codec.h"
#include "image/permutation.h"
#include "image/vexa.h"
#include "image/vexa_writer.h"
#include "platform/error.h"

namespace qi {
namespace {

// A stream that is not a memory stream: blocks take the copy route.
class PlainStream : public TStream {
public:
    explicit PlainStream(const std::vector<uint8_t>& bytes) { inner_.Bytes() = bytes; }
    int64_t Read(void* b, int64_t n) override { return inner_.Read(b, n); }
    int64_t Write(const void* b, int64_t n) override { return inner_.Write(b, n); }
    int64_t Seek(int64_t o, SeekOrigin w) override { return inner_.Seek(o, w); }
    int64_t Size() override { return inner_.Size(); }
    void SetSize(int64_t s) override { inner_.SetSize(s); }

private:
    TMemoryStream inner_;
};

// A w x h plane whose pixels follow f(x, y).
std::unique_ptr<TDIBSurface> Plane(int w, int h, int bits, const std::function<uint32_t(int, int)>& f) {
    auto s = std::make_unique<TDIBSurface>();
    s->SetSize(w, h, bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s->SetPixel(x, y, f(x, y));
    return s;
}

uint32_t Pattern24(int x, int y) { return static_cast<uint32_t>((x * 37 + y * 101) * 0x010307) & 0xFFFFFF; }

void AddMask(TDIBSurface& s, const std::function<uint8_t(int, int)>& f) {
    s.EnsureMask();
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) s.Mask->SetPixel(x, y, f(x, y));
}

VexaFrameData Frame(const TDIBSurface& pixels, int bits = 24) {
    VexaFrameData f;
    f.Name = "frame";
    f.Width = pixels.Width();
    f.Height = pixels.Height();
    f.BitCount = bits;
    VexaLayerData l;
    l.Name = "layer";
    l.Pixels = &pixels;
    f.Layers.push_back(l);
    return f;
}

std::vector<uint8_t> Bytes(const VexaWriteOptions& o, const std::vector<VexaFrameData>& frames) {
    TMemoryStream m;
    WriteVexaImage(m, o, frames);
    return m.Bytes();
}

void Load(TVexaFrameList& list, const std::vector<uint8_t>& bytes, bool firstOnly = false, bool prepare = false,
          bool keep = false) {
    TMemoryStream m;
    m.Bytes() = bytes;
    list.LoadFromStream(m, firstOnly, prepare, keep);
}

bool SamePixels(const TDIBSurface& a, const TDIBSurface& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

TEST(VexaPermutation, SameSequenceAsTheGenerator) {
    for (int32_t seed : {0, 1, -7, 123456789}) {
        for (int n : {1, 2, 7, 100, 1000}) {
            TQsRandom random(seed);
            random.InitPermutation(n);
            ScramblePermutation fast(seed, n);
            for (int k = 0; k < n; ++k) ASSERT_EQ(fast.Next(), random.NextIndex()) << seed << " " << n;
            EXPECT_THROW(fast.Next(), Error);
        }
    }
}

TEST(VexaVersions, EveryLayoutAndStorageRoundTrips) {
    auto pixels = Plane(7, 5, 24, Pattern24);
    struct Case {
        int version;
        bool signature;
        uint8_t storage;
    };
    std::vector<Case> cases = {{0, false, 0}, {0, true, 0}, {99, true, 0}, {100, true, 0}, {101, true, 0},
                               {102, true, 0}};
    for (int v = 103; v <= 106; ++v) {
        cases.push_back({v, true, kVexaZlib});
        cases.push_back({v, true, kVexaRaw});
    }
    for (const Case& c : cases) {
        VexaWriteOptions o;
        o.Version = c.version;
        o.Signature = c.signature;
        o.StorageMode = c.storage;
        o.BackColor = 0x0000FF;
        auto bytes = Bytes(o, {Frame(*pixels)});
        for (bool memory : {true, false}) {
            SCOPED_TRACE("version " + std::to_string(c.version) + " storage " + std::to_string(c.storage) +
                         (memory ? " memory" : " plain"));
            TVexaFrameList list(5);
            list.BackColor = 0x123456;  // kept when the image stores none
            if (memory) {
                Load(list, bytes);
            } else {
                PlainStream s(bytes);
                list.LoadFromStream(s, true, false, false);
            }
            ASSERT_EQ(list.Count(), 1);
            EXPECT_EQ(list.Version, c.signature ? c.version : 0);
            EXPECT_EQ(list.BackColor, c.version >= 102 ? 0x0000FFu : 0x123456u);
            EXPECT_TRUE(SamePixels(list.GetFrame(0).Surface, *pixels));
            EXPECT_EQ(list.GetFrame(0).Count(), 0);
        }
    }
}

TEST(VexaVersions, HeaderFieldsAndFrameRecords) {
    auto pixels = Plane(8, 4, 24, Pattern24);
    VexaWriteOptions o;
    o.HeaderSize = 24;  // no tiles, no BaseOpaque from a short header
    o.TileWidth = 4;
    o.TileHeight = 2;
    o.BaseOpaque = 1;
    VexaFrameData f = Frame(*pixels);
    f.Name = "タイトル";
    f.FrameParam = 42;
    f.FrameFlag = 3;
    f.ExtraA = 2;
    f.ExtraB = 0;
    f.Layers[0].Name = "背景";
    auto bytes = Bytes(o, {f});
    TVexaFrameList list;
    Load(list, bytes, false, false, true);
    EXPECT_EQ(list.BaseOpaque, 0);
    TVexaFrame& frame = list.GetFrame(0);
    EXPECT_TRUE(SamePixels(frame.Surface, *pixels));
    EXPECT_EQ(frame.Name, "タイトル");
    EXPECT_EQ(frame.FrameParam, 42);
    EXPECT_EQ(frame.FrameFlag, 3);
    ASSERT_EQ(frame.ExtraListA.size(), 2u);
    EXPECT_EQ(frame.ExtraListA[1][15], 31);
    EXPECT_TRUE(frame.ExtraListB.empty());
    ASSERT_EQ(frame.Count(), 1);
    EXPECT_EQ(frame.GetLayer(0).Name, "背景");
    EXPECT_THROW(frame.GetLayer(1), Error);

    // The header's own version governs the frame and layer layout.
    {
        VexaWriteOptions old;
        old.HeaderVersion = 101;
        old.StorageMode = kVexaRaw;
        VexaFrameData g = Frame(*pixels);
        g.ExtraA = 3;  // not written below version 104
        Load(list, Bytes(old, {g, g}));
        EXPECT_EQ(list.Version, 106);
        EXPECT_EQ(list.Header.Version, 101);
        ASSERT_EQ(list.Count(), 2);
        EXPECT_TRUE(SamePixels(list.GetFrame(1).Surface, *pixels));
        EXPECT_TRUE(list.GetFrame(1).ExtraListA.empty());
    }

    // BaseOpaque is taken from version 105 on only.
    o.HeaderSize = 40;
    o.TileWidth = o.TileHeight = 0;
    for (int v : {104, 105}) {
        o.Version = v;
        Load(list, Bytes(o, {Frame(*pixels)}));
        EXPECT_EQ(list.BaseOpaque, v >= 105 ? 1 : 0);
    }
}

TEST(VexaFrames, FirstFrameOnlyKeepLayersAndGetFrame) {
    auto a = Plane(3, 3, 24, [](int, int) { return 0x111111u; });
    auto b = Plane(3, 3, 24, [](int, int) { return 0x222222u; });
    VexaWriteOptions o;
    auto bytes = Bytes(o, {Frame(*a), Frame(*b)});
    TVexaFrameList list;
    Load(list, bytes, true);
    EXPECT_EQ(list.Count(), 1);
    Load(list, bytes, false, false, true);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetFrame(1).Surface.Pixel(2, 2), 0x222222u);
    EXPECT_EQ(list.GetFrame(1).Count(), 1);
    EXPECT_TRUE(SamePixels(list.GetFrame(1).GetLayer(0).Surface, *b));
    try {
        list.GetFrame(2);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Error:TVexaFrameList.GetFrame");
    }
    // Frames without columns or rows load as empty pictures.
    auto narrow = Plane(0, 3, 24, Pattern24);
    auto flat = Plane(5, 0, 8, Pattern24);
    for (bool scrambled : {false, true}) {
        o.Scrambled = scrambled;
        Load(list, Bytes(o, {Frame(*narrow), Frame(*flat, 8)}));
        EXPECT_EQ(list.GetFrame(0).Surface.Height(), 3);
        EXPECT_EQ(list.GetFrame(1).Surface.Width(), 5);
    }
    Load(list, Bytes(o, {}), true);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.GetFrame(0), Error);
}

TEST(VexaBitCounts, EveryBitCountRoundTripsAndPalettesBecome24Bits) {
    for (int bits : {1, 4, 8, 15, 16, 32}) {
        SCOPED_TRACE(bits);
        int storage = bits == 15 ? 16 : bits;
        uint32_t top = storage >= 32 ? 0xFFFFFFFFu : (1u << storage) - 1;
        if (bits == 15) top = 0x7FFF;
        auto pixels = Plane(9, 4, bits, [&](int x, int y) { return static_cast<uint32_t>(x * 7919 + y * 31) & top; });
        VexaFrameData f = Frame(*pixels, bits);
        for (int i = 0; i < 256; ++i) f.Palette.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0});
        VexaWriteOptions o;
        o.StorageMode = kVexaRaw;
        TVexaFrameList list;
        Load(list, Bytes(o, {f}));
        TDIBSurface& s = list.GetFrame(0).Surface;
        EXPECT_EQ(s.LogicalBitCount(), bits);
        EXPECT_TRUE(SamePixels(s, *pixels));
        if (bits <= 8) {
            // Prepare turns palette frames into 24-bit ones with the same colours.
            Load(list, Bytes(o, {f}), false, true);
            TDIBSurface& p = list.GetFrame(0).Surface;
            EXPECT_EQ(p.BitCount(), 24);
            for (int x = 0; x < 9; ++x) {
                uint32_t i = pixels->Pixel(x, 2);
                EXPECT_EQ(p.Pixel(x, 2), (i * 3 & 0xFF) << 16 | (255 - i) << 8 | i);
            }
        }
    }
}

TEST(VexaBitCounts, PrepareMasksTheTransparentValue) {
    auto pixels = Plane(4, 2, 8, [](int x, int y) { return static_cast<uint32_t>(x + y * 4 == 5 ? 9 : 1); });
    VexaFrameData f = Frame(*pixels, 8);
    f.Palette.assign(256, TRGBQuad{});
    f.Palette[9] = {0x30, 0x20, 0x10, 0};
    f.TransValue = 9;
    f.Layers[0].TransValue = 1;
    VexaWriteOptions o;
    TVexaFrameList list;
    Load(list, Bytes(o, {f}), false, true, true);
    TVexaFrame& frame = list.GetFrame(0);
    EXPECT_EQ(frame.TransColor, 0x302010);
    EXPECT_EQ(frame.TransValue, 0x102030);  // the 24-bit value of the first such pixel
    ASSERT_TRUE(frame.HasMask());
    EXPECT_EQ(frame.Surface.Mask->Pixel(1, 1), 0u);
    EXPECT_EQ(frame.Surface.Mask->Pixel(0, 0), 255u);
    // The layer's own value wins over the frame's.
    TDIBSurface& layer = frame.GetLayer(0).Surface;
    EXPECT_EQ(layer.BitCount(), 24);
    ASSERT_TRUE(layer.Mask);
    EXPECT_EQ(layer.Mask->Pixel(0, 0), 0u);
    EXPECT_EQ(layer.Mask->Pixel(1, 1), 255u);

    // The background of a palette frame is its nearest palette entry.
    o.BackColor = 0x302011;
    f.Layers[0].Visible = 0;
    Load(list, Bytes(o, {f}));
    EXPECT_EQ(list.GetFrame(0).Surface.Pixel(3, 1), 9u);
    // Colour reduction is not available: refused, not skipped silently.
    TVexaFrameList reducing;
    reducing.BitCount = 8;
    EXPECT_THROW(Load(reducing, Bytes(o, {f}), false, true), Error);
}

TEST(VexaCompositing, LayerRules) {
    const uint32_t back = 0x0A0B0C;  // stored as 0x00BBGGRR
    auto opaque = Plane(4, 2, 24, [](int, int) { return 0x404040u; });
    auto keyed = Plane(4, 2, 24, [](int x, int) { return x == 0 ? 0x00FF00u : 0xC0C0C0u; });
    VexaWriteOptions o;
    o.BackColor = back;
    const uint32_t backPixel = 0x0C0B0A;
    auto composite = [&](std::vector<VexaLayerData> layers, uint8_t baseOpaque = 0) {
        VexaFrameData f = Frame(*opaque);
        f.Layers = std::move(layers);
        o.BaseOpaque = baseOpaque;
        auto list = std::make_unique<TVexaFrameList>();
        Load(*list, Bytes(o, {f}));
        return list;
    };
    VexaLayerData base{"base", 1, -1, 255, 0, opaque.get(), {}, {}};
    VexaLayerData key{"key", 1, 0x00FF00, 255, 0, keyed.get(), {}, {}};

    VexaLayerData hidden = base;
    hidden.Visible = 0;
    EXPECT_EQ(composite({hidden})->GetFrame(0).Surface.Pixel(1, 1), backPixel);
    VexaLayerData clear = base;
    clear.Opacity = 0;
    EXPECT_EQ(composite({clear})->GetFrame(0).Surface.Pixel(1, 1), backPixel);
    auto one = composite({base});
    EXPECT_TRUE(SamePixels(one->GetFrame(0).Surface, *opaque));

    // A transparent value skips pixels, except on the bottom layer of a
    // BaseOpaque image.
    auto skipped = composite({base, key});
    EXPECT_EQ(skipped->GetFrame(0).Surface.Pixel(0, 0), 0x404040u);
    EXPECT_EQ(skipped->GetFrame(0).Surface.Pixel(1, 0), 0xC0C0C0u);
    EXPECT_EQ(composite({key}, 0)->GetFrame(0).Surface.Pixel(0, 0), backPixel);
    EXPECT_EQ(composite({key}, 1)->GetFrame(0).Surface.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(composite({hidden, key}, 1)->GetFrame(0).Surface.Pixel(0, 0), 0x00FF00u);  // first visible
    EXPECT_EQ(composite({base, key}, 1)->GetFrame(0).Surface.Pixel(0, 0), 0x404040u);
    // Opacity blends with the 24-bit rule.
    VexaLayerData half = key;
    half.Opacity = 128;
    EXPECT_EQ(composite({base, half})->GetFrame(0).Surface.Pixel(1, 0), 0x808080u);

    // A masked AlphaEnabled layer: at index 0 copied whole (its transparent
    // value is dropped) and its mask becomes the composite's; at index 1
    // blended through the mask.
    auto masked = Plane(4, 2, 24, [](int x, int) { return x == 0 ? 0x00FF00u : 0xFFFFFFu; });
    AddMask(*masked, [](int x, int) { return static_cast<uint8_t>(x == 3 ? 0 : x == 2 ? 128 : 255); });
    VexaLayerData alpha{"alpha", 1, 0x00FF00, 255, 1, masked.get(), {}, {}};
    auto bottom = composite({alpha});
    TVexaFrame& b = bottom->GetFrame(0);
    EXPECT_EQ(b.Surface.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(b.Surface.Pixel(3, 0), 0xFFFFFFu);
    ASSERT_TRUE(b.HasMask());
    EXPECT_EQ(b.Surface.Mask->Pixel(2, 1), 128u);
    auto above = composite({base, alpha});
    TVexaFrame& a = above->GetFrame(0);
    EXPECT_EQ(a.Surface.Pixel(3, 0), 0x404040u);
    EXPECT_EQ(a.Surface.Pixel(2, 0), ((0xFFu * 128 + 0x40u * 127) >> 8) * 0x010101u);
    EXPECT_EQ(a.Surface.Pixel(1, 0), 0xFFFFFFu);
    EXPECT_FALSE(a.HasMask());
    // Without AlphaEnabled the mask does not take part.
    VexaLayerData ignored = alpha;
    ignored.AlphaEnabled = 0;
    ignored.TransValue = -1;
    EXPECT_EQ(composite({base, ignored})->GetFrame(0).Surface.Pixel(3, 0), 0xFFFFFFu);
}

TEST(VexaScrambling, RowsAndTileTablesNeedTheSeed) {
    auto pixels = Plane(6, 9, 24, Pattern24);
    VexaWriteOptions o;
    o.Scrambled = true;
    o.Seed = 777;
    for (uint8_t storage : {kVexaZlib, kVexaRaw}) {
        o.StorageMode = storage;
        auto bytes = Bytes(o, {Frame(*pixels)});
        TVexaFrameList right(777), wrong(778);
        Load(right, bytes);
        Load(wrong, bytes);
        EXPECT_TRUE(SamePixels(right.GetFrame(0).Surface, *pixels));
        // Another seed gives the same rows in another order.
        const TDIBSurface& w = wrong.GetFrame(0).Surface;
        EXPECT_FALSE(SamePixels(w, *pixels));
        std::vector<int> found;
        for (int y = 0; y < 9; ++y) {
            for (int r = 0; r < 9; ++r) {
                if (std::memcmp(w.ScanLine(y), pixels->ScanLine(r), 18) == 0) found.push_back(r);
            }
        }
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    }
    // A scrambled tile table with a repeated tile.
    o.TileWidth = 2;
    o.TileHeight = 3;
    auto tiled = Plane(6, 9, 24, [](int x, int y) { return static_cast<uint32_t>((x / 2 + y / 3 * 3) % 4); });
    VexaFrameData f = Frame(*tiled);
    f.Layers[0].PixelTiles.resize(9);
    f.Layers[0].PixelTiles[4] = {-2, 0};
    f.Layers[0].PixelTiles[8] = {-2, 0};
    auto bytes = Bytes(o, {f});
    TVexaFrameList right(777);
    Load(right, bytes);
    EXPECT_TRUE(SamePixels(right.GetFrame(0).Surface, *tiled));
}

TEST(VexaTiles, SourcesNarrowEdgesAndSubByteTiles) {
    // 10 x 7 in tiles of 4 x 3: the last column is 2 wide, the last row 1 high.
    auto first = Plane(10, 7, 24, Pattern24);
    auto second = Plane(10, 7, 24, [](int x, int y) { return Pattern24(x, y) ^ 0x808080; });
    auto mask = Plane(10, 7, 8, [](int x, int y) { return static_cast<uint32_t>(x * 20 + y); });
    AddMask(*first, [](int x, int y) { return static_cast<uint8_t>(x * 25 + y); });
    VexaWriteOptions o;
    o.TileWidth = 4;
    o.TileHeight = 3;
    for (uint8_t storage : {kVexaZlib, kVexaRaw}) {
        o.StorageMode = storage;
        VexaFrameData f0 = Frame(*first);
        VexaFrameData f1 = Frame(*second);
        // Frame 1 takes tiles 0 and 8 from frame 0 and repeats its tile 1 at 5.
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 10; ++x) {
                bool fromFirst = (x < 4 && y < 3) || (x >= 8 && y >= 6);
                if (fromFirst) second->SetPixel(x, y, first->Pixel(x, y));
                if (x >= 4 && x < 8 && y >= 3 && y < 6) second->SetPixel(x, y, second->Pixel(x, y - 3));
            }
        }
        f1.Layers[0].PixelTiles.resize(9);
        f1.Layers[0].PixelTiles[0] = {0, 0};
        f1.Layers[0].PixelTiles[8] = {0, 0};
        f1.Layers[0].PixelTiles[4] = {-2, 1};
        f0.Layers[0].MaskTiles.resize(9);
        f0.Layers[0].MaskTiles[2] = {-2, 0};  // the narrow column repeats part of tile 0
        for (int y = 0; y < 3; ++y)
            for (int x = 8; x < 10; ++x) first->Mask->SetPixel(x, y, first->Mask->Pixel(x - 8, y));
        TVexaFrameList list;
        Load(list, Bytes(o, {f0, f1}), false, false, true);
        EXPECT_TRUE(SamePixels(list.GetFrame(0).GetLayer(0).Surface, *first));
        EXPECT_TRUE(SamePixels(*list.GetFrame(0).GetLayer(0).Surface.Mask, *first->Mask));
        EXPECT_TRUE(SamePixels(list.GetFrame(1).Surface, *second));
    }
    // 1-bit and 4-bit planes in byte-aligned tiles.
    for (int bits : {1, 4}) {
        auto p = Plane(21, 5, bits, [&](int x, int y) { return static_cast<uint32_t>(x * 3 + y) % (1u << bits); });
        VexaWriteOptions t;
        t.TileWidth = bits == 1 ? 8 : 2;
        t.TileHeight = 2;
        VexaFrameData f = Frame(*p, bits);
        TVexaFrameList list;
        Load(list, Bytes(t, {f}));
        EXPECT_TRUE(SamePixels(list.GetFrame(0).Surface, *p)) << bits;
    }
}

TEST(VexaJpeg, PlanesWithinTheCodecsErrorAndZlibMasks) {
    if (!JpegSupported()) {
        auto p = Plane(4, 4, 24, Pattern24);
        VexaWriteOptions o;
        o.StorageMode = kVexaJpeg;
        EXPECT_THROW(Bytes(o, {Frame(*p)}), Error);
        return;
    }
    auto smooth = Plane(40, 24, 24, [](int x, int y) {
        return static_cast<uint32_t>((x * 4) << 16 | (y * 8) << 8 | (100 + x + y));
    });
    AddMask(*smooth, [](int x, int) { return static_cast<uint8_t>(x * 6); });
    VexaWriteOptions o;
    o.StorageMode = kVexaJpeg;
    o.Scrambled = true;  // ignored for JPEG blocks and their masks
    o.TileWidth = 8;
    o.TileHeight = 8;
    o.JpegQuality = 95;
    VexaFrameData f = Frame(*smooth);
    f.Layers[0].AlphaEnabled = 1;
    auto bytes = Bytes(o, {f});
    TVexaFrameList list;
    Load(list, bytes, false, false, true);
    const TDIBSurface& s = list.GetFrame(0).GetLayer(0).Surface;
    ASSERT_EQ(s.BitCount(), 24);
    int worst = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            for (int c = 0; c < 24; c += 8)
                worst = std::max(worst, std::abs(int(s.Pixel(x, y) >> c & 0xFF) - int(smooth->Pixel(x, y) >> c & 0xFF)));
    EXPECT_LE(worst, 8);
    ASSERT_TRUE(s.Mask);
    EXPECT_TRUE(SamePixels(*s.Mask, *smooth->Mask));

    // A JPEG of another size than its frame is refused.
    auto small = Plane(16, 8, 24, Pattern24);
    std::vector<uint8_t> jpeg = EncodeJpeg(*small, 80);
    auto other = Plane(40, 24, 24, Pattern24);
    VexaWriteOptions plain;
    plain.StorageMode = kVexaJpeg;
    auto good = Bytes(plain, {Frame(*other)});
    // Swap the JPEG block for the small one: it is the last block but one
    // (the mask size 0 and the two extra list counts follow).
    std::vector<uint8_t> fake(good.begin(), good.end());
    std::vector<uint8_t> big = EncodeJpeg(*other, 90);
    auto at = std::search(fake.begin(), fake.end(), big.begin(), big.end());
    ASSERT_NE(at, fake.end());
    size_t offset = static_cast<size_t>(at - fake.begin());
    std::vector<uint8_t> bad(fake.begin(), fake.begin() + static_cast<ptrdiff_t>(offset) - 4);
    uint32_t n = static_cast<uint32_t>(jpeg.size());
    for (int i = 0; i < 4; ++i) bad.push_back(static_cast<uint8_t>(n >> (8 * i)));
    bad.insert(bad.end(), jpeg.begin(), jpeg.end());
    bad.insert(bad.end(), fake.begin() + static_cast<ptrdiff_t>(offset + big.size()), fake.end());
    EXPECT_THROW(Load(list, bad), Error);
    // And a broken JPEG block is an error, not a crash.
    std::vector<uint8_t> broken = good;
    for (size_t i = offset + 20; i < offset + big.size(); ++i) broken[i] ^= 0x5A;
    try {
        Load(list, broken);
    } catch (const Error&) {
    }
}

// ---- damaged images ----

struct Raw {
    std::vector<uint8_t> b;
    Raw& I32(int32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    Raw& U8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    Raw& Str(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    // Header of version 106 with raw storage and optional tiles.
    Raw& Header(int frames, int tw = 0, int th = 0, int size = 40) {
        Str("Vexa106").I32(size);
        TVexaHeader h;
        h.Version = 106;
        h.FrameCount = frames;
        h.StorageMode = kVexaRaw;
        h.TileWidth = tw;
        h.TileHeight = th;
        uint8_t bytes[40];
        h.ToBytes(bytes);
        b.insert(b.end(), bytes, bytes + std::min(size, 40));
        return *this;
    }
    Raw& FrameHead(int layers, int w, int h, int bits) {
        return I32(0).I32(-1).I32(100).U8(0).I32(0).I32(layers).I32(w).I32(h).I32(bits);
    }
    Raw& LayerHead() { return I32(0).I32(0).U8(1).I32(-1).I32(255).U8(0).I32(0); }
};

void ExpectDamaged(const std::vector<uint8_t>& bytes, const char* what) {
    TVexaFrameList list;
    EXPECT_THROW(Load(list, bytes), Error) << what;
    PlainStream s(bytes);
    EXPECT_THROW(list.LoadFromStream(s, false, false, false), Error) << what;
}

TEST(VexaDamaged, EachGivesAClearError) {
    ExpectDamaged(Raw().Header(1, 0, 0, 41).b, "header size above 40");
    ExpectDamaged(Raw().Str("Vexa1x3").I32(0).b, "version digits");
    ExpectDamaged(Raw().Header(1).FrameHead(0, 4, 4, 12).b, "bit count");
    ExpectDamaged(Raw().Header(1).FrameHead(0, -4, 4, 24).b, "negative width");
    ExpectDamaged(Raw().Header(1).FrameHead(0, 100000, 100000, 32).b, "absurd size");
    // Few bytes but two billion pixels, each of them painted.
    ExpectDamaged(Raw().Header(1).FrameHead(0, 64000, 32000, 1).b, "absurd size at one bit a pixel");
    ExpectDamaged(Raw().Header(1).FrameHead(0, 0, 400000000, 8).b, "rows without pixels");
    ExpectDamaged(Raw().Header(1).FrameHead(1, 2, 2, 24).LayerHead().I32(1000).I32(0).b, "block past the end");
    ExpectDamaged(Raw().Header(1).FrameHead(1, 2, 2, 24).LayerHead().I32(0).I32(0).I32(0).I32(0).b, "block of 0");
    // A block that holds fewer rows than the plane.
    ExpectDamaged(Raw().Header(1).FrameHead(1, 2, 2, 24).LayerHead().I32(8).I32(0).I32(0).I32(0).I32(0).I32(0).b,
                  "rows past the block");
    // Tile tables: too short, a raw tile cut, references out of range.
    auto tiled = [](std::vector<int32_t> table, int extra) {
        Raw r;
        r.Header(1, 2, 2).FrameHead(1, 4, 2, 8).I32(0);
        for (int i = 0; i < 255; ++i) r.I32(0);
        r.LayerHead().I32(static_cast<int32_t>(table.size() * 4 + extra));
        for (int32_t v : table) r.I32(v);
        for (int i = 0; i < extra; ++i) r.U8(7);
        r.I32(0).I32(0).I32(0);
        return r.b;
    };
    {
        TVexaFrameList list;
        EXPECT_NO_THROW(Load(list, tiled({-1, 0, -2, 0}, 4)));
        EXPECT_EQ(list.GetFrame(0).Surface.Pixel(3, 1), 7u);
    }
    ExpectDamaged(tiled({-1, 0}, 4), "table past the block");
    ExpectDamaged(tiled({-1, 0, -1, 0}, 6), "raw tile cut");
    ExpectDamaged(tiled({-1, 0, -2, 2}, 4), "repeat of a tile that does not exist");
    ExpectDamaged(tiled({-1, 0, -2, -1}, 4), "negative repeat");
    ExpectDamaged(tiled({-1, 0, 1, 0}, 4), "frame that does not exist");
    ExpectDamaged(tiled({-1, 0, 0, 3}, 4), "layer that does not exist");
    ExpectDamaged(tiled({-1, 0, -3, 0}, 4), "unknown tile kind");
    {
        TVexaFrameList list;
        try {
            Load(list, tiled({-1, 0, 1, 0}, 4));
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Error:TVexaFrameList.GetFrame");
        }
        EXPECT_EQ(list.Count(), 1);  // the frames read so far stay
    }
}

TEST(VexaDamaged, EveryCutAndFlippedByteIsRefusedOrRead) {
    auto pixels = Plane(5, 4, 24, Pattern24);
    AddMask(*pixels, [](int x, int) { return static_cast<uint8_t>(x * 50); });
    for (uint8_t storage : {kVexaZlib, kVexaRaw}) {
        VexaWriteOptions o;
        o.StorageMode = storage;
        o.TileWidth = 2;
        o.TileHeight = 3;
        o.Scrambled = true;
        VexaFrameData f = Frame(*pixels);
        f.Layers[0].AlphaEnabled = 1;
        f.ExtraA = 1;
        auto good = Bytes(o, {f, f});
        // Every byte of the raw image; the compressed one, whose blocks
        // mostly fail in zlib, more sparsely.
        const size_t step = storage == kVexaRaw ? 1 : 7;
        for (size_t cut = 0; cut < good.size(); cut += step) {
            std::vector<uint8_t> part(good.begin(), good.begin() + static_cast<ptrdiff_t>(cut));
            TVexaFrameList list;
            EXPECT_THROW(Load(list, part), Error) << cut;
        }
        for (size_t at = 0; at < good.size(); at += step) {
            std::vector<uint8_t> bad = good;
            bad[at] ^= 0x01;
            TVexaFrameList list;
            try {
                Load(list, bad, false, true, at % 2 == 0);
            } catch (const Error&) {
            }
        }
    }
}

}  // namespace
}  // namespace qi
