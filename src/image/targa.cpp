#include "image/targa.h"

#include <vector>

#include "image/byte_io.h"
#include "image/pick_px.h"
#include "image/px_list.h"

namespace qi {

namespace {

const char kSignature[] = "TRUEVISION-XFILE.";  // with its 0 byte: 18 bytes
constexpr size_t kHeaderSize = 18, kFooterSize = 26, kExtensionSize = 495;
constexpr int kMapped = 1, kTrueColor = 2, kGrey = 3, kRunLength = 8;
constexpr uint8_t kTopDown = 0x20, kRightToLeft = 0x10;

struct Header {
    int IdLength, MapType, Type, MapFirst, MapLength, MapBits, Width, Height, Depth, Descriptor;
};

Header ReadHeader(const TByteReader& in) {
    Header h;
    h.IdLength = in.U8(0);
    h.MapType = in.U8(1);
    h.Type = in.U8(2);
    h.MapFirst = in.U16(3);
    h.MapLength = in.U16(5);
    h.MapBits = in.U8(7);
    h.Width = in.U16(12);
    h.Height = in.U16(14);
    h.Depth = in.U8(16);
    h.Descriptor = in.U8(17);
    return h;
}

// Whether the file's alpha means anything: the extension area's attribute
// type when the footer names one (3 alpha, 4 premultiplied alpha), else the
// alpha bits of the descriptor.
bool AlphaUsed(const TByteReader& in, const Header& h) {
    size_t size = in.Size();
    if (size >= kHeaderSize + kFooterSize &&
        std::string(reinterpret_cast<const char*>(in.Bytes(size - 18, 18)), 18) == std::string(kSignature, 18)) {
        size_t extension = in.U32(size - kFooterSize);
        if (extension >= kHeaderSize && extension <= size - kFooterSize - kExtensionSize &&
            in.U16(extension) == kExtensionSize) {
            return in.U8(extension + kExtensionSize - 1) >= 3;
        }
    }
    return (h.Descriptor & 0x0F) != 0;
}

// Pixels one after another, plain or from run-length packets.
class PixelSource {
public:
    PixelSource(const TByteReader& in, size_t at, int bytesPerPixel, bool runLength)
        : in_(in), at_(at), bytes_(bytesPerPixel), runLength_(runLength) {}

    uint32_t Next() {
        if (left_ == 0) {
            left_ = 1;
            repeat_ = false;
            if (runLength_) {
                uint8_t packet = in_.U8(at_++);
                left_ = (packet & 0x7F) + 1;
                repeat_ = packet & 0x80;
                if (repeat_) value_ = Read();
            }
        }
        --left_;
        return repeat_ ? value_ : Read();
    }

private:
    uint32_t Read() {
        const uint8_t* p = in_.Bytes(at_, static_cast<size_t>(bytes_));
        at_ += static_cast<size_t>(bytes_);
        uint32_t v = 0;
        for (int i = bytes_ - 1; i >= 0; --i) v = v << 8 | p[i];
        return v;
    }

    const TByteReader& in_;
    size_t at_;
    int bytes_;
    bool runLength_;
    int left_ = 0;
    bool repeat_ = false;
    uint32_t value_ = 0;
};

TRGBQuad MapEntry(uint32_t v, int bits) {
    if (bits == 15 || bits == 16) {
        auto wide = [](uint32_t field) { return static_cast<uint8_t>(field << 3 | field >> 2); };
        return {wide(v & 0x1F), wide(v >> 5 & 0x1F), wide(v >> 10 & 0x1F), 0};
    }
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), 0};
}

// The surface's bit count for the header (0 for one the reader refuses).
int SurfaceBits(const Header& h, bool mapFitsTable) {
    switch (h.Type & ~kRunLength) {
        case kMapped:
            if (h.Depth != 8 && h.Depth != 16) return 0;
            return mapFitsTable && h.Depth == 8 ? 8 : 24;
        case kTrueColor:
            return h.Depth == 15 || h.Depth == 16 ? 15 : h.Depth == 24 || h.Depth == 32 ? h.Depth : 0;
        case kGrey:
            return h.Depth == 8 || h.Depth == 16 ? 8 : 0;
        default:
            return 0;
    }
}

}  // namespace

void ReadTarga(const std::string& bytes, TDIBSurface& out, bool alphaMask) {
    TByteReader in(bytes, "not a readable targa picture");
    const Header h = ReadHeader(in);
    if ((h.Type & ~kRunLength) < kMapped || (h.Type & ~kRunLength) > kGrey) in.Fail("unknown image type");
    size_t at = kHeaderSize + static_cast<size_t>(h.IdLength);
    std::vector<TRGBQuad> map;
    if (h.MapType == 1) {
        if (h.MapBits != 15 && h.MapBits != 16 && h.MapBits != 24 && h.MapBits != 32) in.Fail("unknown colour map");
        size_t entryBytes = static_cast<size_t>(h.MapBits + 7) / 8;
        in.Bytes(at, entryBytes * static_cast<size_t>(h.MapLength));
        for (int i = 0; i < h.MapLength; ++i, at += entryBytes) {
            uint32_t v = 0;
            for (size_t k = entryBytes; k-- > 0;) v = v << 8 | in.U8(at + k);
            map.push_back(MapEntry(v, h.MapBits));
        }
    } else if ((h.Type & ~kRunLength) == kMapped) {
        in.Fail("colour-mapped picture without a colour map");
    }
    const int bits = SurfaceBits(h, h.MapFirst + h.MapLength <= 256);
    if (bits == 0) in.Fail("unsupported pixel depth " + std::to_string(h.Depth));
    if (h.Width == 0 || h.Height == 0) in.Fail("no pixels");
    // No more pixels than the data can hold: 128 per packet of two bytes or more.
    const int bytesPerPixel = (h.Depth + 7) / 8;
    const int64_t pixels = int64_t{h.Width} * h.Height;
    const int64_t left = static_cast<int64_t>(in.Size() - std::min(in.Size(), at));
    if (h.Type & kRunLength ? pixels > left * 64 : pixels * bytesPerPixel > left) in.Fail("cut short");

    out.MakeEmpty();
    out.SetSize(h.Width, h.Height, bits);
    if (bits == 8) {
        for (int i = 0; i < 256; ++i) {
            bool grey = (h.Type & ~kRunLength) == kGrey;
            int k = i - h.MapFirst;
            out.ColorTable[i] = grey ? TRGBQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0}
                                : k >= 0 && k < h.MapLength ? map[static_cast<size_t>(k)] : TRGBQuad{};
        }
    }
    const bool greyAlpha = (h.Type & ~kRunLength) == kGrey && h.Depth == 16 && alphaMask;
    if (greyAlpha) out.EnsureMask();
    PixelSource source(in, at, bytesPerPixel, h.Type & kRunLength);
    for (int fy = 0; fy < h.Height; ++fy) {
        int y = h.Descriptor & kTopDown ? fy : h.Height - 1 - fy;
        for (int fx = 0; fx < h.Width; ++fx) {
            int x = h.Descriptor & kRightToLeft ? h.Width - 1 - fx : fx;
            uint32_t v = source.Next();
            if (bits == 24 && (h.Type & ~kRunLength) == kMapped) {
                int k = static_cast<int>(v) - h.MapFirst;
                TRGBQuad c = k >= 0 && k < h.MapLength ? map[static_cast<size_t>(k)] : TRGBQuad{};
                v = out.ColorToPixel(c.Red, c.Green, c.Blue);
            }
            if (greyAlpha) out.Mask->SetPixel(x, y, v >> 8);
            out.SetPixel(x, y, bits == 15 ? v & 0x7FFF : bits == 8 ? v & 0xFF : v);
        }
    }
    if (bits == 32 && alphaMask && AlphaUsed(in, h)) out.TakeMaskFromAlpha();
}

namespace {

template <int Bits>
std::vector<uint32_t> RowValues(const TDIBSurface& s, int y) {
    std::vector<uint32_t> values(static_cast<size_t>(s.Width()));
    TPickPxOf<Bits> pick(s.ScanLine(y));
    for (uint32_t& v : values) v = pick.Next();
    return values;
}

void PutRow(std::string& out, const std::vector<uint32_t>& values, int bytes, bool runLength) {
    if (!runLength) {
        for (uint32_t v : values) AppendLe(out, v, bytes);
        return;
    }
    TPxList list;
    list.Pack(values);
    for (const TPxPacket& p : list.Packets()) {
        out.push_back(static_cast<char>((p.Count - 1) | (p.Run ? 0x80 : 0)));
        for (int i = 0; i < (p.Run ? 1 : p.Count); ++i) AppendLe(out, values[static_cast<size_t>(p.Start + i)], bytes);
    }
}

}  // namespace

std::string WriteTarga(const TDIBSurface& source, bool runLength) {
    TDIBSurface s;
    s.AssignSurface(source);
    const int entries = s.BitCount() <= 8 ? 1 << s.BitCount() : 0;
    if (s.BitCount() >= 24 && s.Mask) {
        s.SetBitCount(32);
        s.PutMaskIntoAlpha();
    } else if (s.LogicalBitCount() == 16) {
        s.SetBitCount(24);
    } else if (entries) {
        s.SetBitCount(8);
    }
    const int bits = s.LogicalBitCount(), bytes = s.BitCount() / 8;
    if (s.Width() > 0xFFFF || s.Height() > 0xFFFF) throw Error("a targa picture holds up to 65535 x 65535 pixels");
    std::string out;
    out.push_back(0);                                 // no identification field
    out.push_back(static_cast<char>(bits == 8));     // colour map
    out.push_back(static_cast<char>((bits == 8 ? kMapped : kTrueColor) | (runLength ? kRunLength : 0)));
    AppendLe(out, 0, 2);
    AppendLe(out, static_cast<uint32_t>(bits == 8 ? entries : 0), 2);
    out.push_back(static_cast<char>(bits == 8 ? 24 : 0));
    AppendLe(out, 0, 4);                                 // origin
    AppendLe(out, static_cast<uint32_t>(s.Width()), 2);
    AppendLe(out, static_cast<uint32_t>(s.Height()), 2);
    out.push_back(static_cast<char>(bits == 15 ? 16 : bits));
    out.push_back(static_cast<char>(bits == 32 && s.Mask ? 8 : 0));  // alpha bits; rows bottom-up
    for (int i = 0; i < (bits == 8 ? entries : 0); ++i) {
        const TRGBQuad& c = s.ColorTable[i];
        out += {static_cast<char>(c.Blue), static_cast<char>(c.Green), static_cast<char>(c.Red)};
    }
    for (int y = s.Height() - 1; y >= 0; --y) {
        std::vector<uint32_t> values;
        switch (bytes) {
            case 1: values = RowValues<8>(s, y); break;
            case 2: values = RowValues<16>(s, y); break;
            case 3: values = RowValues<24>(s, y); break;
            default: values = RowValues<32>(s, y); break;
        }
        PutRow(out, values, bytes, runLength);
    }
    AppendLe(out, 0, 4);  // no extension area
    AppendLe(out, 0, 4);  // no developer directory
    out.append(kSignature, 18);
    return out;
}

}  // namespace qi
