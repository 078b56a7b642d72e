#include "image/bitmap.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "image/byte_io.h"

namespace qi {

namespace {

const char kKind[] = "not a readable bitmap";
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr size_t kFileHeaderSize = 14, kInfoHeaderSize = 40;

void ReadMasks(const TByteReader& in, size_t at, int count, TDibHeader& h) {
    for (int k = 0; k < count; ++k) h.Masks[k] = in.U32(at + 4 * static_cast<size_t>(k));
}

void CheckFormat(const TByteReader& in, const TDibHeader& h) {
    const int b = h.BitCount;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) in.Fail("unsupported bit count " + std::to_string(b));
    const uint32_t c = h.Compression;
    bool fits = c == kRgb || (c == kRle8 && b == 8) || (c == kRle4 && b == 4) ||
                ((c == kBitFields || c == kAlphaBitFields) && (b == 16 || b == 32));
    if (!fits) in.Fail("unsupported compression " + std::to_string(c) + " at " + std::to_string(b) + " bits");
}

// The surface's bit count: the file's, 15 or 16 for the two 16-bit formats
// the surface holds, 32 for any other bit fields.
int SurfaceBits(const TDibHeader& h) {
    const uint32_t* m = h.Masks;
    if (h.BitCount == 16) {
        if (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F) return 15;
        if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F) return 16;
        return 32;
    }
    return h.BitCount;
}

bool PlainRows(const TDibHeader& h) {
    if (h.BitCount == 16) return SurfaceBits(h) != 32;
    if (h.BitCount != 32) return true;
    const uint32_t* m = h.Masks;
    return m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF && (m[3] == 0 || m[3] == 0xFF000000);
}

// One bit field's value widened to 8 bits.
uint32_t Field(uint32_t v, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!(mask >> shift & 1)) ++shift;
    return static_cast<uint32_t>(uint64_t{(v & mask) >> shift} * 255 / (mask >> shift));
}

// Run-length rows (8 or 4 bits, bottom-up). A short or damaged stream ends
// the picture; what it did not reach stays 0.
size_t DecodeRunLength(const uint8_t* p, size_t n, int bits, TDIBSurface& out) {
    int x = 0, row = 0;
    const int w = out.Width();
    auto put = [&](uint32_t v) {
        out.SetPixel(x, out.Height() - 1 - row, v);
        x = std::min(x + 1, w);
    };
    auto nibbleOrByte = [bits](const uint8_t* at, int k) -> uint32_t {
        return bits == 8 ? at[k] : (k & 1 ? at[k / 2] & 0x0F : at[k / 2] >> 4);
    };
    size_t i = 0;
    while (i + 1 < n && row < out.Height()) {
        const uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k) put(bits == 8 ? value : (k & 1 ? value & 0x0F : value >> 4));
        } else if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 1 >= n) break;
            x = std::min(x + p[i], w);
            row += p[i + 1];
            i += 2;
        } else {
            size_t bytes = bits == 8 ? value : (value + 1u) / 2;
            if (bytes > n - i) break;
            for (int k = 0; k < value; ++k) put(nibbleOrByte(p + i, k));
            i += (bytes + 1) & ~size_t{1};  // to a whole word
        }
    }
    return std::min(i, n);
}

}  // namespace

TDibHeader ReadDibHeader(const uint8_t* data, size_t size, bool iconImage) {
    TByteReader in(data, size, kKind);
    TDibHeader h;
    const uint32_t headerSize = in.U32(0);
    int64_t height = 0;
    if (headerSize == 12) {
        h.Width = in.U16(4);
        height = in.U16(6);
        h.BitCount = in.U16(10);
        h.EntryBytes = 3;
    } else if (headerSize >= kInfoHeaderSize) {
        in.Bytes(0, headerSize);
        h.Width = in.I32(4);
        height = in.I32(8);
        h.BitCount = in.U16(14);
        h.Compression = in.U32(16);
        h.TableEntries = in.U32(32);
        if (headerSize >= 52) ReadMasks(in, 40, headerSize >= 56 ? 4 : 3, h);
    } else {
        in.Fail("unknown header size " + std::to_string(headerSize));
    }
    h.TableOffset = headerSize;
    if (headerSize == kInfoHeaderSize && (h.Compression == kBitFields || h.Compression == kAlphaBitFields)) {
        int count = h.Compression == kBitFields ? 3 : 4;
        ReadMasks(in, headerSize, count, h);
        h.TableOffset += 4 * static_cast<size_t>(count);
    }
    CheckFormat(in, h);
    if (h.Compression == kRgb && h.BitCount >= 16) {
        // The formats without bit fields: 5-5-5 and 8-8-8.
        const bool word = h.BitCount == 16;
        h.Masks[0] = word ? 0x7C00 : 0xFF0000;
        h.Masks[1] = word ? 0x03E0 : 0xFF00;
        h.Masks[2] = word ? 0x001F : 0xFF;
    }
    h.TopDown = height < 0;
    height = h.TopDown ? -height : height;
    if (iconImage) height /= 2;
    if (h.Width <= 0 || height <= 0 || height > INT_MAX) in.Fail("no pixels");
    h.Height = static_cast<int>(height);
    if (h.BitCount <= 8 && (h.TableEntries == 0 || headerSize == 12)) h.TableEntries = int64_t{1} << h.BitCount;
    if (h.TableEntries > static_cast<int64_t>(size)) in.Fail("colour table runs past the end");
    in.Bytes(0, h.PixelOffset());
    return h;
}

size_t ReadDibPixels(const TDibHeader& h, const uint8_t* data, size_t size, const uint8_t* pixels,
                     size_t pixelBytes, TDIBSurface& out, bool alphaMask) {
    TByteReader in(data, size, kKind);
    const bool runLength = h.Compression == kRle8 || h.Compression == kRle4;
    const int64_t stride = TDIBSurface::RowBytes(h.Width, h.BitCount);
    const int64_t available = static_cast<int64_t>(pixelBytes);
    if (runLength && h.TopDown) in.Fail("top-down run-length bitmap");
    // Run-length data packs at most 255 pixels into two bytes.
    const bool fits = runLength ? int64_t{h.Width} * h.Height / 128 <= available + 1
                                : stride <= available && h.Height <= available / stride;
    if (!fits) in.Fail("cut short");
    out.MakeEmpty();
    out.SetSize(h.Width, h.Height, SurfaceBits(h));
    if (h.BitCount <= 8) {
        for (int64_t i = 0; i < std::min<int64_t>(h.TableEntries, 256); ++i) {
            const uint8_t* e = in.Bytes(h.TableOffset + static_cast<size_t>(i) * h.EntryBytes, 3);
            out.ColorTable[i] = TRGBQuad{e[0], e[1], e[2], 0};
        }
    }
    if (runLength) return DecodeRunLength(pixels, pixelBytes, h.BitCount, out);
    const bool plain = PlainRows(h);
    for (int y = 0; y < h.Height; ++y) {
        const uint8_t* row = pixels + (h.TopDown ? y : h.Height - 1 - y) * stride;
        if (plain) {
            std::memcpy(out.ScanLine(y), row, static_cast<size_t>(stride));
            continue;
        }
        for (int x = 0; x < h.Width; ++x) {
            uint32_t v = h.BitCount == 16 ? LoadLe<uint16_t>(row + 2 * x) : LoadLe<uint32_t>(row + 4 * x);
            const uint32_t* m = h.Masks;
            out.SetPixel(x, y, Field(v, m[3]) << 24 | Field(v, m[0]) << 16 | Field(v, m[1]) << 8 | Field(v, m[2]));
        }
    }
    // The fourth byte is alpha in plain 32-bit rows and where a bit field says so.
    bool alpha = h.Compression == kRgb || h.Masks[3] != 0;
    if (out.BitCount() == 32 && alphaMask && alpha) out.TakeMaskFromAlpha();
    return static_cast<size_t>(stride * h.Height);
}

void AppendDib(std::string& out, const TDIBSurface& s, int heightFactor) {
    const bool fields = s.LogicalBitCount() == 16;
    AppendLe(out, kInfoHeaderSize, 4);
    AppendLe(out, static_cast<uint32_t>(s.Width()), 4);
    AppendLe(out, static_cast<uint32_t>(s.Height() * heightFactor), 4);
    AppendLe(out, 1, 2);
    AppendLe(out, static_cast<uint32_t>(s.BitCount()), 2);
    AppendLe(out, fields ? kBitFields : kRgb, 4);
    AppendLe(out, static_cast<uint32_t>(s.WidthBytes()) * static_cast<uint32_t>(s.Height()), 4);
    AppendLe(out, 2835, 4);  // 72 dots per inch
    AppendLe(out, 2835, 4);
    AppendLe(out, 0, 4);     // the whole colour table
    AppendLe(out, 0, 4);
    if (fields) {
        for (uint32_t mask : {s.RedMask(), s.GreenMask(), s.BlueMask()}) AppendLe(out, mask, 4);
    }
    for (int i = 0; i < (s.BitCount() <= 8 ? 1 << s.BitCount() : 0); ++i) {
        const TRGBQuad& c = s.ColorTable[i];
        out += {static_cast<char>(c.Blue), static_cast<char>(c.Green), static_cast<char>(c.Red), 0};
    }
    for (int y = s.Height() - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(s.ScanLine(y)), static_cast<size_t>(s.WidthBytes()));
    }
}

void ReadBitmap(const std::string& bytes, TDIBSurface& out, bool alphaMask) {
    TByteReader in(bytes, kKind);
    if (in.U16(0) != 0x4D42) in.Fail("no \"BM\" signature");
    const uint8_t* data = in.Bytes(kFileHeaderSize, 0);
    const size_t size = bytes.size() - kFileHeaderSize;
    TDibHeader h = ReadDibHeader(data, size, false);
    // The rows where the file header says, else right after the colour table.
    size_t offset = in.U32(10);
    offset = offset >= kFileHeaderSize + h.PixelOffset() && offset <= bytes.size() ? offset - kFileHeaderSize
                                                                                   : h.PixelOffset();
    ReadDibPixels(h, data, size, data + offset, size - offset, out, alphaMask);
}

std::string WriteBitmap(const TDIBSurface& source) {
    TDIBSurface s;
    s.AssignSurface(source);
    if (s.BitCount() >= 24 && s.Mask) {
        s.SetBitCount(32);
        s.PutMaskIntoAlpha();
    }
    std::string dib;
    AppendDib(dib, s, 1);
    const size_t headerPart = kInfoHeaderSize + (s.LogicalBitCount() == 16 ? 12 : 0) +
                              (s.BitCount() <= 8 ? 4u << s.BitCount() : 0);
    std::string out = "BM";
    AppendLe(out, static_cast<uint32_t>(kFileHeaderSize + dib.size()), 4);
    AppendLe(out, 0, 4);
    AppendLe(out, static_cast<uint32_t>(kFileHeaderSize + headerPart), 4);
    return out + dib;
}

}  // namespace qi
