#include "image/vexa_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/vrfiles.h"
#include "base/little_endian.h"
#include "image/jpeg_codec.h"
#include "image/permutation.h"
#include "platform/error.h"

namespace qi {

namespace {

void PutI32(TStream& s, int32_t v) {
    uint8_t b[4];
    StoreLe(b, v);
    s.WriteBuffer(b, 4);
}

void PutByte(TStream& s, uint8_t v) { s.WriteBuffer(&v, 1); }

void PutText(TStream& s, const std::string& text) {
    PutI32(s, static_cast<int32_t>(text.size()));
    if (!text.empty()) s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void PutRows(TMemoryStream& block, const TDIBSurface& plane, const VexaWriteOptions& o, bool scramble) {
    int64_t rowBytes = plane.WidthBytes();
    if (!scramble) {
        for (int y = 0; y < plane.Height(); ++y) block.WriteBuffer(plane.ScanLine(y), rowBytes);
        return;
    }
    // The k-th stored row is the row the permutation names.
    ScramblePermutation order(o.Seed, plane.Height());
    for (int k = 0; k < plane.Height(); ++k) block.WriteBuffer(plane.ScanLine(order.Next()), rowBytes);
}

void PutTiles(TMemoryStream& block, const TDIBSurface& plane, const VexaWriteOptions& o,
              const std::vector<VexaTile>& given) {
    const int64_t W = plane.Width(), H = plane.Height(), tw = o.TileWidth, th = o.TileHeight;
    const int bpp = plane.BitCount();
    const int64_t TX = (W + tw - 1) / tw, TY = (H + th - 1) / th, count = TX * TY;
    std::vector<VexaTile> table = given;
    table.resize(static_cast<size_t>(count));
    if (o.Scrambled) {
        ScramblePermutation order(o.Seed, static_cast<int>(count));
        for (int64_t k = 0; k < count; ++k) {
            const VexaTile& t = table[static_cast<size_t>(order.Next())];
            PutI32(block, t.Source);
            PutI32(block, t.Index);
        }
    } else {
        for (const VexaTile& t : table) {
            PutI32(block, t.Source);
            PutI32(block, t.Index);
        }
    }
    for (int64_t p = 0; p < count; ++p) {
        if (table[static_cast<size_t>(p)].Source != -1) continue;
        int64_t x = (p % TX) * tw, y = (p / TX) * th;
        int64_t w = std::min(tw, W - x), h = std::min(th, H - y);
        int64_t bytes = (w * bpp + 7) / 8;
        for (int64_t r = 0; r < h; ++r) {
            block.WriteBuffer(plane.ScanLine(static_cast<int>(y + r)) + x * bpp / 8, bytes);
        }
    }
}

void PutBlock(TStream& out, TMemoryStream& block, bool compress) {
    if (compress) CompressMemoryStream(block);
    PutI32(out, static_cast<int32_t>(block.Size()));
    out.WriteBuffer(block.Memory(), block.Size());
}

void PutPlane(TStream& out, const TDIBSurface& plane, const VexaWriteOptions& o, int version, bool isMask,
              const std::vector<VexaTile>& tiles) {
    TMemoryStream block;
    bool jpeg = o.StorageMode == kVexaJpeg;
    if (version < 103) {
        PutRows(block, plane, o, false);
        PutBlock(out, block, o.StorageMode == kVexaZlib);
        return;
    }
    if (jpeg && !isMask) {
        std::vector<uint8_t> bytes = EncodeJpeg(plane, o.JpegQuality);
        block.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        PutBlock(out, block, false);
        return;
    }
    if (o.TileWidth > 0 && o.TileHeight > 0 && !jpeg) {
        PutTiles(block, plane, o, tiles);
    } else {
        PutRows(block, plane, o, o.Scrambled && !jpeg);
    }
    PutBlock(out, block, o.StorageMode == kVexaZlib || (isMask && jpeg));
}

}  // namespace

void WriteVexaImage(TStream& out, const VexaWriteOptions& options, const std::vector<VexaFrameData>& frames) {
    // The planes are written as a reader will see them: with the header
    // fields that a short header leaves out set to 0.
    VexaWriteOptions o = options;
    if (o.Signature) {
        char signature[8];
        std::snprintf(signature, sizeof signature, "Vexa%03d", o.Version);
        out.WriteBuffer(signature, 7);
    }
    const int version = o.Signature ? o.Version : 0;
    const int layout = o.HeaderVersion >= 0 ? o.HeaderVersion : version;
    if (version < 103) {
        PutI32(out, static_cast<int32_t>(frames.size()));
        PutByte(out, 0);
        if (version >= 102) PutI32(out, static_cast<int32_t>(o.BackColor));
        o.Scrambled = false;
        o.StorageMode = kVexaZlib;
        o.TileWidth = o.TileHeight = 0;
    } else {
        TVexaHeader h;
        h.Version = layout;
        h.FrameCount = static_cast<int32_t>(frames.size());
        h.Scrambled = o.Scrambled;
        h.StorageMode = o.StorageMode;
        h.BackColor = o.BackColor;
        h.TileWidth = o.TileWidth;
        h.TileHeight = o.TileHeight;
        h.BaseOpaque = o.BaseOpaque;
        uint8_t bytes[TVexaHeader::kSize];
        h.ToBytes(bytes);
        int kept = std::clamp(o.HeaderSize, 0, TVexaHeader::kSize);
        PutI32(out, o.HeaderSize);
        out.WriteBuffer(bytes, kept);
        std::memset(bytes + kept, 0, static_cast<size_t>(TVexaHeader::kSize - kept));
        TVexaHeader seen = TVexaHeader::FromBytes(bytes);
        o.Scrambled = seen.Scrambled != 0;
        o.StorageMode = seen.StorageMode;
        o.TileWidth = seen.TileWidth;
        o.TileHeight = seen.TileHeight;
    }
    for (const VexaFrameData& f : frames) {
        PutText(out, f.Name);
        PutI32(out, f.TransValue);
        PutI32(out, f.FrameParam);
        PutByte(out, f.FrameFlag);
        PutI32(out, 0);
        PutI32(out, static_cast<int32_t>(f.Layers.size()));
        PutI32(out, f.Width);
        PutI32(out, f.Height);
        PutI32(out, f.BitCount);
        if (f.BitCount <= 8) {
            for (int i = 0; i < (1 << f.BitCount); ++i) {
                TRGBQuad q = i < static_cast<int>(f.Palette.size()) ? f.Palette[static_cast<size_t>(i)] : TRGBQuad{};
                uint8_t b[4] = {q.Blue, q.Green, q.Red, q.Reserved};
                out.WriteBuffer(b, 4);
            }
        }
        for (const VexaLayerData& l : f.Layers) {
            if (!l.Pixels || l.Pixels->Width() != f.Width || l.Pixels->Height() != f.Height) {
                throw Error("layer " + l.Name + " does not have the frame's size");
            }
            PutI32(out, 0);
            PutI32(out, 0);
            PutByte(out, l.Visible);
            PutI32(out, l.TransValue);
            PutI32(out, l.Opacity);
            if (layout >= 101) PutByte(out, l.AlphaEnabled);
            PutText(out, l.Name);
            PutPlane(out, *l.Pixels, o, layout, false, l.PixelTiles);
            if (layout >= 100) {
                if (l.Pixels->Mask) {
                    PutPlane(out, *l.Pixels->Mask, o, layout, true, l.MaskTiles);
                } else {
                    PutI32(out, 0);
                }
            }
        }
        if (layout >= 104) {
            PutI32(out, f.ExtraA);
            for (int i = 0; i < f.ExtraA * 16; ++i) PutByte(out, static_cast<uint8_t>(i));
            PutI32(out, f.ExtraB);
            for (int i = 0; i < f.ExtraB * 16; ++i) PutByte(out, static_cast<uint8_t>(i));
        }
    }
}

}  // namespace qi
