#include "image/vexa.h"

#include <algorithm>
#include <cstring>

#include "archive/vrfiles.h"
#include "base/little_endian.h"
#include "image/jpeg_codec.h"
#include "image/permutation.h"
#include "platform/error.h"

namespace qi {

namespace {

[[noreturn]] void Damaged(const std::string& what) {
    throw Error("ファイルが壊れています (" + what + ")");
}

int64_t Remaining(TStream& s) { return s.Size() - s.Position(); }

void ReadExact(TStream& s, void* buffer, int64_t count) {
    if (s.Read(buffer, count) != count) Damaged("データが途中で切れています");
}

int32_t ReadI32(TStream& s) {
    uint8_t b[4];
    ReadExact(s, b, 4);
    return LoadLe<int32_t>(b);
}

uint8_t ReadByte(TStream& s) {
    uint8_t b;
    ReadExact(s, &b, 1);
    return b;
}

void Skip(TStream& s, int64_t count) {
    if (Remaining(s) < count) Damaged("データが途中で切れています");
    s.Seek(count, SeekOrigin::Current);
}

std::string ReadText(TStream& s) {
    int32_t n = ReadI32(s);
    if (n <= 0) return std::string();
    if (n > Remaining(s)) Damaged("文字列が途中で切れています");
    std::string text(static_cast<size_t>(n), '\0');
    ReadExact(s, text.data(), n);
    return text;
}

// One unpacked block: bytes that belong to it and nothing else.
struct Block {
    const uint8_t* data;
    int64_t size;
};

// Reads byte runs of a block front to back; never past its end.
class BlockCursor {
public:
    explicit BlockCursor(Block b) : block_(b) {}
    const uint8_t* Take(int64_t count) {
        if (count > block_.size - pos_) Damaged("面のデータがブロックを越えています");
        const uint8_t* p = block_.data + pos_;
        pos_ += count;
        return p;
    }

private:
    Block block_;
    int64_t pos_ = 0;
};

// Bytes of a row segment: (width x bpp + 7) div 8, from byte (left x bpp) div 8.
int64_t SegmentBytes(int64_t width, int bpp) { return (width * bpp + 7) / 8; }

// Copies a width x height rectangle between planes of the same layout.
void CopyRectangle(TDIBSurface& dst, const TDIBSurface& src, int64_t sx, int64_t sy, int64_t dx, int64_t dy,
                   int64_t w, int64_t h) {
    int bpp = dst.BitCount();
    if (src.BitCount() != bpp) Damaged("タイルの参照先の形式が違います");
    if (sx < 0 || sy < 0 || sx + w > src.Width() || sy + h > src.Height() || dx + w > dst.Width() ||
        dy + h > dst.Height()) {
        Damaged("タイルの参照先が面の外にあります");
    }
    int64_t bytes = SegmentBytes(w, bpp);
    int64_t from = sx * bpp / 8, to = dx * bpp / 8;
    if (from + bytes > src.WidthBytes() || to + bytes > dst.WidthBytes()) Damaged("タイルが行に収まりません");
    for (int64_t r = 0; r < h; ++r) {
        std::memmove(dst.ScanLine(static_cast<int>(dy + r)) + to,
                     src.ScanLine(static_cast<int>(sy + r)) + from, static_cast<size_t>(bytes));
    }
}

// Plain rows, top row first, each WidthBytes long.
void DecodeRows(TDIBSurface& target, Block block) {
    int64_t rowBytes = target.WidthBytes();
    if (rowBytes * target.Height() > block.size) Damaged("面のデータが足りません");
    if (rowBytes == 0) return;  // a plane without columns has nothing to copy
    for (int y = 0; y < target.Height(); ++y) {
        std::memcpy(target.ScanLine(y), block.data + rowBytes * y, static_cast<size_t>(rowBytes));
    }
}

struct PlaneContext {
    const TVexaHeader& header;
    TVexaFrameList& list;
    int32_t seed;
    bool isMask;
};

void DecodeTiles(TDIBSurface& target, Block block, const PlaneContext& ctx) {
    const int64_t W = target.Width(), H = target.Height();
    const int64_t tw = ctx.header.TileWidth, th = ctx.header.TileHeight;
    const int bpp = target.BitCount();
    const int64_t TX = (W + tw - 1) / tw, TY = (H + th - 1) / th;
    const int64_t count = TX * TY;
    if (count * 8 > block.size) Damaged("タイル表がブロックを越えています");
    BlockCursor cursor(block);
    const uint8_t* stored = cursor.Take(count * 8);
    std::vector<int32_t> table(static_cast<size_t>(count) * 2);
    if (ctx.header.Scrambled) {
        ScramblePermutation order(ctx.seed, static_cast<int>(count));
        for (int64_t k = 0; k < count; ++k) {
            int p = order.Next();
            table[2 * p] = LoadLe<int32_t>(stored + 8 * k);
            table[2 * p + 1] = LoadLe<int32_t>(stored + 8 * k + 4);
        }
    } else {
        for (int64_t k = 0; k < count * 2; ++k) table[k] = LoadLe<int32_t>(stored + 4 * k);
    }
    const int64_t tileRowStride = SegmentBytes(tw, bpp);
    for (int64_t p = 0; p < count; ++p) {
        const int64_t tx = p % TX, ty = p / TX;
        const int64_t x = tx * tw, y = ty * th;
        const int64_t w = std::min(tw, W - x), h = std::min(th, H - y);
        const int32_t source = table[2 * p], index = table[2 * p + 1];
        if (source == -1) {
            int64_t bytes = SegmentBytes(w, bpp);
            int64_t offset = tx * tileRowStride;
            if (offset + bytes > target.WidthBytes()) Damaged("タイルが行に収まりません");
            for (int64_t r = 0; r < h; ++r) {
                std::memcpy(target.ScanLine(static_cast<int>(y + r)) + offset, cursor.Take(bytes),
                            static_cast<size_t>(bytes));
            }
        } else if (source == -2) {
            if (index < 0 || index >= count) Damaged("タイルの参照番号が範囲外です");
            CopyRectangle(target, target, (index % TX) * tw, (index / TX) * th, x, y, w, h);
        } else if (source >= 0) {
            TVexaLayer& layer = ctx.list.GetFrame(source).GetLayer(index);
            const TDIBSurface* plane = &layer.Surface;
            if (ctx.isMask) {
                if (!layer.Surface.Mask) Damaged("タイルの参照先にマスクがありません");
                plane = layer.Surface.Mask.get();
            }
            CopyRectangle(target, *plane, x, y, x, y, w, h);
        } else {
            Damaged("タイルの種類が不正です (" + std::to_string(source) + ")");
        }
    }
}

void DecodeBlock(TDIBSurface& target, Block block, const PlaneContext& ctx) {
    const TVexaHeader& header = ctx.header;
    if (header.StorageMode == kVexaJpeg && !ctx.isMask) {
        int width = target.Width(), height = target.Height();
        if (target.LogicalBitCount() != 24) Damaged("JPEG の面は 24 ビットのフレームにしか置けません");
        DecodeJpeg(block.data, static_cast<size_t>(block.size), target, width, height);
        return;
    }
    if (header.Tiled() && header.StorageMode != kVexaJpeg) {
        DecodeTiles(target, block, ctx);
        return;
    }
    if (header.Scrambled && header.StorageMode != kVexaJpeg) {
        int64_t rowBytes = target.WidthBytes();
        if (rowBytes * target.Height() > block.size) Damaged("面のデータが足りません");
        if (rowBytes == 0) return;
        ScramblePermutation order(ctx.seed, target.Height());
        for (int k = 0; k < target.Height(); ++k) {
            std::memcpy(target.ScanLine(order.Next()), block.data + rowBytes * k, static_cast<size_t>(rowBytes));
        }
        return;
    }
    DecodeRows(target, block);
}

}  // namespace

TVexaHeader TVexaHeader::FromBytes(const uint8_t (&b)[kSize]) {
    TVexaHeader h;
    h.Version = LoadLe<int32_t>(b + 0);
    h.FrameCount = LoadLe<int32_t>(b + 16);
    h.Scrambled = b[21];
    h.StorageMode = b[22];
    h.BackColor = static_cast<uint32_t>(LoadLe<int32_t>(b + 24));
    h.TileWidth = LoadLe<int32_t>(b + 28);
    h.TileHeight = LoadLe<int32_t>(b + 32);
    h.BaseOpaque = b[36];
    return h;
}

void TVexaHeader::ToBytes(uint8_t (&b)[kSize]) const {
    std::memset(b, 0, kSize);
    StoreLe<int32_t>(b + 0, Version);
    StoreLe<int32_t>(b + 16, FrameCount);
    b[21] = Scrambled;
    b[22] = StorageMode;
    StoreLe<int32_t>(b + 24, static_cast<int32_t>(BackColor));
    StoreLe<int32_t>(b + 28, TileWidth);
    StoreLe<int32_t>(b + 32, TileHeight);
    b[36] = BaseOpaque;
}

// ---- layer ----

TVexaLayer::TVexaLayer(TVexaFrame& owner) : Owner(owner) {}

void TVexaLayer::LoadFromStream(TStream& stream, const TVexaHeader& header) {
    const int V = header.Version;
    TVexaFrameList& list = Owner.Owner;
    Skip(stream, 8);
    Visible = ReadByte(stream);
    TransValue = ReadI32(stream);
    Opacity = ReadI32(stream);
    AlphaEnabled = V >= 101 ? ReadByte(stream) : 0;
    Name = ReadText(stream);

    const TDIBSurface& frame = Owner.Surface;
    list.Charge(frame.Width(), frame.Height(), frame.BitCount());
    Surface.SetSize(frame.Width(), frame.Height(), frame.LogicalBitCount());
    PlaneContext pixels{header, list, list.Seed, false};

    // A block of 0 bytes holds no plane (and must not be read as "all of
    // the rest"); a block longer than the stream is cut.
    int32_t P = ReadI32(stream);
    if (P <= 0) Damaged("画素ブロックの大きさが不正です (" + std::to_string(P) + ")");
    if (P > Remaining(stream)) Damaged("画素ブロックがファイルを越えています");
    auto* memory = dynamic_cast<TMemoryStream*>(&stream);
    if (memory && header.StorageMode != kVexaZlib) {
        // Stored blocks of an in-memory image are decoded where they lie.
        int64_t start = stream.Position();
        Block block{memory->Memory() + start, P};
        if (V < 103) {
            DecodeRows(Surface, block);
        } else {
            DecodeBlock(Surface, block, pixels);
        }
        stream.SetPosition(start + P);
    } else {
        TMemoryStream scratch;
        CopyStreamData(scratch, stream, P);
        if (header.StorageMode == kVexaZlib) DecompressMemoryStream(scratch, {}, TVexaFrameList::kMaxImageBytes);
        Block block{scratch.Memory(), scratch.Size()};
        if (V < 103) {
            DecodeRows(Surface, block);
        } else {
            DecodeBlock(Surface, block, pixels);
        }
    }

    if (V < 100) return;
    int32_t M = ReadI32(stream);
    if (M <= 0) return;
    if (M > Remaining(stream)) Damaged("マスクブロックがファイルを越えています");
    if (AlphaEnabled) TransValue = -1;
    list.Charge(Surface.Width(), Surface.Height(), 8);
    Surface.EnsureMask();
    TMemoryStream scratch;
    CopyStreamData(scratch, stream, M);
    if (header.StorageMode == kVexaZlib || header.StorageMode == kVexaJpeg) {
        DecompressMemoryStream(scratch, {}, TVexaFrameList::kMaxImageBytes);
    }
    Block block{scratch.Memory(), scratch.Size()};
    if (V < 103) {
        DecodeRows(*Surface.Mask, block);
    } else {
        DecodeBlock(*Surface.Mask, block, PlaneContext{header, list, list.Seed, true});
    }
}

namespace {

// Calls found(x, y) for every pixel whose raw value is value, rows from the
// top and each row from the left, until found returns false.
template <typename Found>
void FindPixels(const TDIBSurface& surface, uint32_t value, Found found) {
    for (int y = 0; y < surface.Height(); ++y) {
        const uint8_t* row = surface.ScanLine(y);
        for (int x = 0; x < surface.Width(); ++x) {
            uint32_t v;
            switch (surface.BitCount()) {
                case 1: v = row[x >> 3] >> (7 - (x & 7)) & 1; break;
                case 4: v = x & 1 ? row[x >> 1] & 0xF : row[x >> 1] >> 4; break;
                case 8: v = row[x]; break;
                default: v = surface.Pixel(x, y); break;
            }
            if (v == value && !found(x, y)) return;
        }
    }
}

void ClearWhere(TDIBSurface& surface, uint32_t value) {
    TDIBSurface& mask = *surface.Mask;
    FindPixels(surface, value, [&](int x, int y) {
        mask.ScanLine(y)[x] = 0;
        return true;
    });
}

}  // namespace

void TVexaLayer::BuildLayerMask(int32_t frameValue) {
    if (Surface.Mask) return;
    Owner.Owner.Charge(Surface.Width(), Surface.Height(), 8);
    Surface.EnsureMask();
    Surface.FillMaskOpaque();
    int32_t value = TransValue >= 0 ? TransValue : frameValue;
    if (value < 0) return;
    ClearWhere(Surface, static_cast<uint32_t>(value));
}

// ---- frame ----

TVexaFrame::TVexaFrame(TVexaFrameList& owner) : Owner(owner) {}

TVexaLayer& TVexaFrame::GetLayer(int index) {
    if (index < 0 || index >= Count()) {
        throw Error("リストのインデックスが範囲を超えています (" + std::to_string(index) + ")");
    }
    return *layers_[static_cast<size_t>(index)];
}

void TVexaFrame::LoadFromStream(TStream& stream, const TVexaHeader& header, bool keepLayers) {
    const int V = header.Version;
    Name = ReadText(stream);
    TransValue = ReadI32(stream);
    FrameParam = ReadI32(stream);
    FrameFlag = ReadByte(stream);
    Skip(stream, 4);
    int32_t layerCount = ReadI32(stream);
    int32_t W = ReadI32(stream);
    int32_t H = ReadI32(stream);
    int32_t B = ReadI32(stream);
    if (W < 0 || H < 0) Damaged("フレームの大きさが不正です");
    int storage = B == 15 ? 16 : B;
    if (storage == 1 || storage == 4 || storage == 8 || storage == 16 || storage == 24 || storage == 32) {
        Owner.Charge(W, H, storage);
    }
    Surface.SetSize(W, H, B);  // refuses other bit counts
    if (B <= 8) {
        int entries = 1 << B;
        uint8_t table[256 * 4];
        ReadExact(stream, table, entries * 4);
        for (int i = 0; i < entries; ++i) {
            Surface.ColorTable[i] = TRGBQuad{table[4 * i], table[4 * i + 1], table[4 * i + 2], table[4 * i + 3]};
        }
        Surface.UpdatePalette();
    }
    TransColor = TransValue >= 0 ? static_cast<int32_t>(Surface.PixelToColor(static_cast<uint32_t>(TransValue)))
                                 : -1;
    uint32_t back = Owner.BackColor;
    Surface.FillRect(Surface.GetBounds(), Surface.ColorToPixel(back & 0xFF, back >> 8 & 0xFF, back >> 16 & 0xFF));

    bool anyVisible = false;
    for (int32_t i = 0; i < layerCount; ++i) {
        layers_.push_back(std::make_unique<TVexaLayer>(*this));
        TVexaLayer& layer = *layers_.back();
        layer.LoadFromStream(stream, header);
        if (keepLayers && B <= 8) {
            std::memcpy(layer.Surface.ColorTable, Surface.ColorTable, sizeof Surface.ColorTable);
            layer.Surface.UpdatePalette();
        }
        if (layer.Visible) {
            Composite(layer, i, !anyVisible);
            anyVisible = true;
        }
    }

    if (V >= 104) {
        for (auto* list : {&ExtraListA, &ExtraListB}) {
            int32_t n = ReadI32(stream);
            if (n < 0) continue;
            if (int64_t{n} * 16 > Remaining(stream)) Damaged("追加リストがファイルを越えています");
            list->resize(static_cast<size_t>(n));
            for (auto& entry : *list) ReadExact(stream, entry.data(), 16);
        }
    }
}

void TVexaFrame::Composite(TVexaLayer& layer, int index, bool firstVisible) {
    TDIBSurface& src = layer.Surface;
    bool masked = src.Mask && layer.AlphaEnabled;
    if (masked && firstVisible) {
        Owner.Charge(Surface.Width(), Surface.Height(), 8);
        Surface.CopyMaskFrom(*src.Mask);
    }
    if (masked && index > 0) {
        Surface.DrawAlpha(0, 0, src, src.GetBounds(), 255);
    } else if ((layer.TransValue < 0 || (firstVisible && Owner.BaseOpaque)) && layer.Opacity >= 255) {
        Surface.Draw(0, 0, src);
    } else {
        Surface.DrawTranslucent(0, 0, src, src.GetBounds(), layer.TransValue, layer.Opacity);
    }
}

void TVexaFrame::BuildMasks(bool includeLayers) {
    if (!Surface.Mask) {
        Owner.Charge(Surface.Width(), Surface.Height(), 8);
        Surface.EnsureMask();
        Surface.FillMaskOpaque();
        if (TransValue >= 0) ClearWhere(Surface, static_cast<uint32_t>(TransValue));
    }
    if (includeLayers) {
        for (auto& layer : layers_) layer->BuildLayerMask(TransValue);
    }
}

// ---- list ----

TVexaFrameList::TVexaFrameList(int32_t seed) : Seed(seed) {}
TVexaFrameList::~TVexaFrameList() = default;

void TVexaFrameList::Clear() { frames_.clear(); }

TVexaFrame& TVexaFrameList::GetFrame(int index) {
    if (index < 0 || index >= Count()) throw Error("Error:TVexaFrameList.GetFrame");
    return *frames_[static_cast<size_t>(index)];
}

void TVexaFrameList::Charge(int64_t width, int64_t height, int bitCount) {
    // Each pixel is painted one by one at least once, and each row is
    // visited: below a byte a pixel counts as a byte, and a row as at least
    // one pixel, or a small file could ask for billions of either.
    int64_t bytes = TDIBSurface::RowBytes(std::max<int64_t>(width, 1), std::max(bitCount, 8)) * height;
    if (width < 0 || height < 0 || bytes > kMaxImageBytes - charged_) {
        throw Error("画像が大きすぎます (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    }
    charged_ += bytes;
}

void TVexaFrameList::LoadFromStream(TStream& stream, bool firstFrameOnly, bool prepare, bool keepLayers) {
    Clear();
    charged_ = 0;
    char signature[7];
    int64_t got = stream.Read(signature, 7);
    if (got >= 4 && std::memcmp(signature, "Vexa", 4) == 0) {
        if (got < 7) Damaged("版番号がありません");
        int version = 0;
        for (int i = 4; i < 7; ++i) {
            if (signature[i] < '0' || signature[i] > '9') {
                throw Error("'" + std::string(signature + 4, 3) + "' は有効な整数値ではありません");
            }
            version = version * 10 + (signature[i] - '0');
        }
        Version = version;
    } else {
        stream.Seek(-got, SeekOrigin::Current);
        Version = 0;
    }

    TVexaHeader header;
    if (Version < 103) {
        header.Version = Version;
        header.FrameCount = ReadI32(stream);
        Skip(stream, 1);
        if (Version >= 102) BackColor = static_cast<uint32_t>(ReadI32(stream));
    } else {
        int32_t size = ReadI32(stream);
        if (size < 0 || size > TVexaHeader::kSize) {
            Damaged("ヘッダの大きさが不正です (" + std::to_string(size) + ")");
        }
        uint8_t bytes[TVexaHeader::kSize] = {};
        ReadExact(stream, bytes, size);
        header = TVexaHeader::FromBytes(bytes);
        BackColor = header.BackColor;
    }
    BaseOpaque = Version >= 105 ? header.BaseOpaque : 0;
    if (Version < 105) header.BaseOpaque = 0;
    Header = header;

    int32_t count = header.FrameCount;
    if (firstFrameOnly && count > 1) count = 1;
    for (int32_t i = 0; i < count; ++i) {
        frames_.push_back(std::make_unique<TVexaFrame>(*this));
        TVexaFrame& frame = *frames_.back();
        frame.LoadFromStream(stream, header, keepLayers);
        if (prepare) Prepare(frame, keepLayers);
        frame.Surface.FreeHandle();
    }
    if (!keepLayers) {
        for (auto& frame : frames_) frame->Clear();
    }
}

void TVexaFrameList::Prepare(TVexaFrame& frame, bool keepLayers) {
    if (frame.TransColor >= 0) frame.BuildMasks(keepLayers);
    if (BitCount > 0) {
        if (frame.HasMask() || frame.TransColor < 0 || (keepLayers && frame.Count() > 0)) {
            throw Error("減色はこの版では使えません");
        }
        return;
    }
    if (frame.Surface.BitCount() > 8) return;
    TDIBSurface& s = frame.Surface;
    // Counted before the search, which would visit every pixel of an image
    // that the conversion then refuses.
    Charge(s.Width(), s.Height(), 24);
    int foundX = -1, foundY = -1;
    if (frame.TransValue >= 0) {
        FindPixels(s, static_cast<uint32_t>(frame.TransValue), [&](int x, int y) {
            foundX = x;
            foundY = y;
            return false;
        });
    }
    s.SetBitCount(24);
    if (foundX >= 0) frame.TransValue = static_cast<int32_t>(s.Pixel(foundX, foundY));
    if (keepLayers) {
        for (int i = 0; i < frame.Count(); ++i) {
            TDIBSurface& layer = frame.GetLayer(i).Surface;
            Charge(layer.Width(), layer.Height(), 24);
            layer.SetBitCount(24);
        }
    }
}

}  // namespace qi
