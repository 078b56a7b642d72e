#include "image/icon.h"

#include <algorithm>
#include <cstring>

#include "image/bitmap.h"
#include "image/byte_io.h"
#include "image/png.h"

namespace qi {

namespace {

const char kKind[] = "not a readable icon";
constexpr size_t kDirectorySize = 6, kEntrySize = 16;
constexpr int kIcon = 1, kCursor = 2, kLargest = 256;

struct Stored {
    TIconEntry Entry;
    size_t Offset = 0, Size = 0;
};

bool IsPng(const uint8_t* p, size_t size) { return size >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0; }

uint32_t Be32(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// Size and bits per pixel from a PNG's header.
void PngHeader(const uint8_t* data, size_t size, TIconEntry& e) {
    const uint8_t* h = TByteReader(data, size, kKind).Bytes(16, 10);
    e.Width = static_cast<int>(std::min<uint32_t>(Be32(h), 1 << 30));
    e.Height = static_cast<int>(std::min<uint32_t>(Be32(h + 4), 1 << 30));
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    e.BitCount = h[8] * (h[9] < 7 ? kChannels[h[9]] : 0);
}

std::vector<Stored> ReadDirectory(const std::string& bytes) {
    TByteReader in(bytes, kKind);
    const int type = in.U16(2);
    if (in.U16(0) != 0 || (type != kIcon && type != kCursor)) in.Fail("no icon or cursor directory");
    const int count = in.U16(4);
    if (count == 0) in.Fail("no images");
    std::vector<Stored> images;
    for (int i = 0; i < count; ++i) {
        const size_t at = kDirectorySize + kEntrySize * static_cast<size_t>(i);
        Stored s;
        s.Size = in.U32(at + 8);
        s.Offset = in.U32(at + 12);
        const uint8_t* data = in.Bytes(s.Offset, s.Size);
        if (type == kCursor) {
            s.Entry.HotspotX = in.U16(at + 4);
            s.Entry.HotspotY = in.U16(at + 6);
        }
        s.Entry.Png = IsPng(data, s.Size);
        if (s.Entry.Png) {
            PngHeader(data, s.Size, s.Entry);
        } else {
            TDibHeader h = ReadDibHeader(data, s.Size, true);
            s.Entry.Width = h.Width;
            s.Entry.Height = h.Height;
            s.Entry.BitCount = h.BitCount;
        }
        images.push_back(s);
    }
    return images;
}

// The AND mask after the rows: a set bit is transparent. Without one the
// image is opaque.
void ApplyAndMask(const TDibHeader& h, const uint8_t* p, size_t size, TDIBSurface& out) {
    out.EnsureMask();
    const int64_t stride = TDIBSurface::RowBytes(h.Width, 1);
    if (stride * h.Height > static_cast<int64_t>(size)) {
        out.FillMaskOpaque();
        return;
    }
    for (int y = 0; y < h.Height; ++y) {
        const uint8_t* row = p + (h.TopDown ? y : h.Height - 1 - y) * stride;
        for (int x = 0; x < h.Width; ++x) out.Mask->SetPixel(x, y, row[x >> 3] >> (7 - (x & 7)) & 1 ? 0 : 255);
    }
}

// Pixels under the transparent part of the AND mask are drawn XORed onto
// the screen: they must be 0 (black) to leave the screen as it is.
void ClearTransparent(TDIBSurface& s) {
    uint32_t black = 0;
    if (s.BitCount() <= 8) {
        black = s.ColorToPixel(0, 0, 0);
        uint32_t c = s.PixelToColor(black);
        if (c != 0) {
            int unused = s.FindUnusedIndex();
            if (unused < 0) return;  // no black to give them
            s.ColorTable[unused] = TRGBQuad{};
            black = static_cast<uint32_t>(unused);
        }
    }
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            if (s.Mask->Pixel(x, y) < 128) s.SetPixel(x, y, black);
        }
    }
}

// Whether the Mask has values between transparent and opaque.
bool SoftMask(const TDIBSurface& s) {
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            uint32_t m = s.Mask->Pixel(x, y);
            if (m != 0 && m != 255) return true;
        }
    }
    return false;
}

// The image as a bitmap with its AND mask; bits: the bit count written.
std::string BitmapImage(const TDIBSurface& source, int& bits) {
    TDIBSurface s;
    s.AssignSurface(source);
    if (s.BitCount() == 16) s.SetBitCount(24);
    if (!s.Mask) {
        s.EnsureMask();
        s.FillMaskOpaque();
    }
    // A soft edge needs the alpha of 32 bits; the AND mask has one bit.
    if (s.BitCount() == 24 && SoftMask(s)) s.SetBitCount(32);
    if (s.BitCount() == 32) {
        s.PutMaskIntoAlpha();
    } else {
        ClearTransparent(s);
    }
    bits = s.BitCount();
    std::string out;
    AppendDib(out, s, 2);
    const int stride = static_cast<int>(TDIBSurface::RowBytes(s.Width(), 1));
    for (int y = s.Height() - 1; y >= 0; --y) {
        std::string row(static_cast<size_t>(stride), '\0');
        for (int x = 0; x < s.Width(); ++x) {
            if (s.Mask->Pixel(x, y) < 128) row[static_cast<size_t>(x >> 3)] |= static_cast<char>(0x80 >> (x & 7));
        }
        out += row;
    }
    return out;
}

}  // namespace

std::vector<TIconEntry> ReadIconDirectory(const std::string& bytes) {
    std::vector<TIconEntry> entries;
    for (const Stored& s : ReadDirectory(bytes)) entries.push_back(s.Entry);
    return entries;
}

void ReadIconImage(const std::string& bytes, int index, TDIBSurface& out) {
    const std::vector<Stored> images = ReadDirectory(bytes);
    if (index < 0 || index >= static_cast<int>(images.size())) {
        throw Error("there is no image " + std::to_string(index) + " (the file has " + std::to_string(images.size()) + ")");
    }
    const Stored& s = images[static_cast<size_t>(index)];
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data()) + s.Offset;
    if (s.Entry.Png) {
        SurfaceFromRgba(DecodePng(bytes.substr(s.Offset, s.Size)), out);
        if (!out.Mask) {
            out.EnsureMask();
            out.FillMaskOpaque();
        }
        return;
    }
    const TDibHeader h = ReadDibHeader(data, s.Size, true);
    const size_t start = h.PixelOffset();
    const size_t rows = ReadDibPixels(h, data, s.Size, data + start, s.Size - start, out, true);
    // 32-bit images carry their alpha; the AND mask serves the others.
    if (!out.Mask) ApplyAndMask(h, data + start + rows, s.Size - start - rows, out);
}

std::string WriteIcon(const std::vector<TIconImage>& images, bool cursor) {
    if (images.empty() || images.size() > 0xFFFF) throw Error("an icon file holds 1 to 65535 images");
    std::string directory, data;
    AppendLe(directory, 0, 2);
    AppendLe(directory, cursor ? kCursor : kIcon, 2);
    AppendLe(directory, static_cast<uint32_t>(images.size()), 2);
    const size_t dataStart = kDirectorySize + kEntrySize * images.size();
    for (const TIconImage& image : images) {
        const TDIBSurface& s = *image.Surface;
        if (s.Width() < 1 || s.Height() < 1 || s.Width() > kLargest || s.Height() > kLargest) {
            throw Error("icon images are 1 to 256 pixels wide and high");
        }
        const bool png = s.Width() == kLargest || s.Height() == kLargest;
        int bits = 32;
        std::string blob = png ? EncodePng(RgbaFromSurface(s)) : BitmapImage(s, bits);
        directory.push_back(static_cast<char>(s.Width() & 0xFF));  // 256 is written 0
        directory.push_back(static_cast<char>(s.Height() & 0xFF));
        directory.push_back(static_cast<char>(bits <= 8 ? (1 << bits) & 0xFF : 0));
        directory.push_back(0);
        AppendLe(directory, static_cast<uint32_t>(cursor ? image.HotspotX : 1), 2);
        AppendLe(directory, static_cast<uint32_t>(cursor ? image.HotspotY : bits), 2);
        AppendLe(directory, static_cast<uint32_t>(blob.size()), 4);
        AppendLe(directory, static_cast<uint32_t>(dataStart + data.size()), 4);
        data += blob;
    }
    return directory + data;
}

}  // namespace qi
