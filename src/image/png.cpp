#include "image/png.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "image/dib_surface.h"

namespace qi {

namespace {

const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int64_t kMaxPixels = int64_t{1} << 24;  // 4096 x 4096

[[noreturn]] void Bad(const std::string& what) { throw Error("not a readable PNG: " + what); }

uint32_t Be32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

void PutBe32(std::string& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>(v >> (8 * i)));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBe32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBe32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                             static_cast<uInt>(body.size()))));
}

int Paeth(int a, int b, int c) {
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

}  // namespace

RgbaImage DecodePng(const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t size = bytes.size();
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) Bad("no PNG signature");
    size_t pos = 8;
    uint32_t width = 0, height = 0;
    int depth = 0, colorType = -1;
    std::string idat;
    std::vector<uint8_t> palette, paletteAlpha;
    bool seenEnd = false;
    while (!seenEnd) {
        if (size - pos < 12) Bad("cut short");
        uint32_t length = Be32(data + pos);
        if (length > size - pos - 12) Bad("chunk runs past the end");
        std::string type(reinterpret_cast<const char*>(data + pos + 4), 4);
        const unsigned char* body = data + pos + 8;
        if (type == "IHDR") {
            if (length < 13) Bad("short header");
            width = Be32(body);
            height = Be32(body + 4);
            depth = body[8];
            colorType = body[9];
            if (body[10] != 0 || body[11] != 0) Bad("unknown compression or filter method");
            if (body[12] != 0) Bad("interlaced images are not supported");
        } else if (type == "PLTE") {
            palette.assign(body, body + length);
        } else if (type == "tRNS") {
            paletteAlpha.assign(body, body + length);
        } else if (type == "IDAT") {
            idat.append(reinterpret_cast<const char*>(body), length);
        } else if (type == "IEND") {
            seenEnd = true;
        }
        pos += 12 + length;
    }
    int channels = 0;
    switch (colorType) {
        case 0: channels = 1; break;
        case 2: channels = 3; break;
        case 3: channels = 1; break;
        case 4: channels = 2; break;
        case 6: channels = 4; break;
        default: Bad("unknown colour type");
    }
    bool depthOk = depth == 8 || depth == 16 || ((colorType == 0 || colorType == 3) && (depth == 1 || depth == 2 || depth == 4));
    if (!depthOk || (colorType == 3 && depth == 16)) Bad("unsupported bit depth " + std::to_string(depth));
    if (width == 0 || height == 0 || width > kMaxPixels || int64_t{width} * height > kMaxPixels) Bad("unsupported size");
    const int64_t bitsPerPixel = int64_t{channels} * depth;
    const int64_t stride = (width * bitsPerPixel + 7) / 8;
    const int64_t step = std::max<int64_t>(1, bitsPerPixel / 8);
    // Deflate packs at most about 1032 bytes into one: image data too short
    // for the size is refused before the rows are allocated.
    const int64_t rawBytes = (stride + 1) * height;
    if (rawBytes / 1032 > static_cast<int64_t>(idat.size())) Bad("image data too short for the size");
    std::vector<uint8_t> raw(static_cast<size_t>(rawBytes));
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()), static_cast<uLong>(idat.size())) !=
            Z_OK ||
        rawSize != raw.size()) {
        Bad("damaged image data");
    }
    std::vector<uint8_t> prev(static_cast<size_t>(stride)), line(static_cast<size_t>(stride));
    RgbaImage image;
    image.Width = static_cast<int>(width);
    image.Height = static_cast<int>(height);
    image.HasAlpha = colorType == 4 || colorType == 6 || (colorType == 3 && !paletteAlpha.empty());
    image.Pixels.resize(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = raw.data() + (stride + 1) * y;
        int filter = in[0];
        ++in;
        for (int64_t i = 0; i < stride; ++i) {
            int a = i >= step ? line[static_cast<size_t>(i - step)] : 0;
            int b = prev[static_cast<size_t>(i)];
            int c = i >= step ? prev[static_cast<size_t>(i - step)] : 0;
            int v = in[i];
            switch (filter) {
                case 0: break;
                case 1: v += a; break;
                case 2: v += b; break;
                case 3: v += (a + b) / 2; break;
                case 4: v += Paeth(a, b, c); break;
                default: Bad("unknown row filter");
            }
            line[static_cast<size_t>(i)] = static_cast<uint8_t>(v);
        }
        for (uint32_t x = 0; x < width; ++x) {
            auto sample = [&](int channel) -> int {
                if (depth == 8) return line[x * channels + channel];
                if (depth == 16) return line[(x * channels + channel) * 2];
                int64_t bit = int64_t{x} * depth;
                int v = line[static_cast<size_t>(bit / 8)] >> (8 - depth - bit % 8) & ((1 << depth) - 1);
                return colorType == 3 ? v : v * 255 / ((1 << depth) - 1);
            };
            uint8_t* out = image.Pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
            switch (colorType) {
                case 0: out[0] = out[1] = out[2] = static_cast<uint8_t>(sample(0)); out[3] = 255; break;
                case 2: for (int k = 0; k < 3; ++k) out[k] = static_cast<uint8_t>(sample(k)); out[3] = 255; break;
                case 4: out[0] = out[1] = out[2] = static_cast<uint8_t>(sample(0)); out[3] = static_cast<uint8_t>(sample(1)); break;
                case 6: for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>(sample(k)); break;
                case 3: {
                    size_t i = static_cast<size_t>(sample(0));
                    if (3 * i + 2 >= palette.size()) Bad("colour index outside the palette");
                    for (int k = 0; k < 3; ++k) out[k] = palette[3 * i + static_cast<size_t>(k)];
                    out[3] = i < paletteAlpha.size() ? paletteAlpha[i] : 255;
                    break;
                }
            }
        }
        prev.swap(line);
    }
    return image;
}

std::string EncodePng(const RgbaImage& image) {
    const int channels = image.HasAlpha ? 4 : 3;
    std::string raw;
    raw.reserve(static_cast<size_t>(image.Height) * (image.Width * channels + 1));
    for (int y = 0; y < image.Height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* p = image.Pixels.data() + (static_cast<size_t>(y) * image.Width + x) * 4;
            raw.append(reinterpret_cast<const char*>(p), static_cast<size_t>(channels));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), 6) != Z_OK) {
        throw Error("PNG compression failed");
    }
    packed.resize(packedSize);
    std::string out(reinterpret_cast<const char*>(kSignature), 8);
    std::string header;
    PutBe32(header, static_cast<uint32_t>(image.Width));
    PutBe32(header, static_cast<uint32_t>(image.Height));
    header += std::string{8, static_cast<char>(image.HasAlpha ? 6 : 2), 0, 0, 0};
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", std::string());
    return out;
}

RgbaImage RgbaFromSurface(const TDIBSurface& s) {
    RgbaImage image;
    image.Width = s.Width();
    image.Height = s.Height();
    image.HasAlpha = s.Mask != nullptr;
    image.Pixels.resize(static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height) * 4);
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x) {
            uint32_t c = s.PixelToColor(s.Pixel(x, y));
            uint8_t* p = image.Pixels.data() + (static_cast<size_t>(y) * image.Width + x) * 4;
            p[0] = static_cast<uint8_t>(c);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c >> 16);
            p[3] = image.HasAlpha ? static_cast<uint8_t>(s.Mask->Pixel(x, y)) : 255;
        }
    }
    return image;
}

void SurfaceFromRgba(const RgbaImage& image, TDIBSurface& out) {
    out.MakeEmpty();
    out.SetSize(image.Width, image.Height, 24);
    if (image.HasAlpha) out.EnsureMask();
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* p = image.Pixels.data() + (static_cast<size_t>(y) * image.Width + x) * 4;
            out.SetPixel(x, y, static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2]);
            if (image.HasAlpha) out.Mask->SetPixel(x, y, p[3]);
        }
    }
}

}  // namespace qi
