#include "image/dib_surface.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "image/pixel_access.h"
#include "platform/error.h"

namespace qi {

using pixels::ByBits;
using pixels::Get;
using pixels::kBayer;
using pixels::Put;

namespace {

// Pixel memory of one surface stays below this; larger sizes are refused
// before anything is allocated.
constexpr int64_t kMaxSurfaceBytes = int64_t{1} << 30;

inline bool IsTrans(uint32_t pixel, int32_t transValue) {
    return transValue >= 0 && pixel == static_cast<uint32_t>(transValue);
}

// The 32-bit blend: blue and red in one multiplication, green in another,
// divided by 256; the fourth byte becomes 0.
inline uint32_t Blend32(uint32_t d, uint32_t s, uint32_t a) {
    uint32_t rb = (((d & 0xFF00FF) * (255 - a) + (s & 0xFF00FF) * a) >> 8) & 0xFF00FF;
    uint32_t g = (((d & 0xFF00) * (255 - a) + (s & 0xFF00) * a) >> 8) & 0xFF00;
    return rb | g;
}

}  // namespace

const bool TDIBSurface::DitherLevels[16][4][4] = {
#define QI_ROW(k, r) {kBayer[r][0] <= k, kBayer[r][1] <= k, kBayer[r][2] <= k, kBayer[r][3] <= k}
#define QI_LEVEL(k) {QI_ROW(k, 0), QI_ROW(k, 1), QI_ROW(k, 2), QI_ROW(k, 3)}
    QI_LEVEL(0),  QI_LEVEL(1),  QI_LEVEL(2),  QI_LEVEL(3), QI_LEVEL(4),  QI_LEVEL(5),
    QI_LEVEL(6),  QI_LEVEL(7),  QI_LEVEL(8),  QI_LEVEL(9), QI_LEVEL(10), QI_LEVEL(11),
    QI_LEVEL(12), QI_LEVEL(13), QI_LEVEL(14), QI_LEVEL(15),
#undef QI_LEVEL
#undef QI_ROW
};

TDIBSurface::TDIBSurface() = default;
TDIBSurface::~TDIBSurface() = default;

int64_t TDIBSurface::RowBytes(int64_t width, int bitCount) {
    return ((width * bitCount + 31) / 32) * 4;
}

int TDIBSurface::LogicalBitCount() const {
    return bitCount_ == 16 && greenMask_ == 0x03E0 ? 15 : bitCount_;
}

void TDIBSurface::SetSize(int width, int height, int bitCount) {
    int storage = bitCount;
    uint32_t red = 0xFF0000, green = 0xFF00, blue = 0xFF;
    switch (bitCount) {
        case 15: storage = 16; red = 0x7C00; green = 0x03E0; blue = 0x001F; break;
        case 16: red = 0xF800; green = 0x07E0; blue = 0x001F; break;
        case 1: case 4: case 8: case 24: case 32: break;
        default: throw Error("不正なビット数です (" + std::to_string(bitCount) + ")");
    }
    if (width < 0 || height < 0) {
        throw Error("不正な画像サイズです (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    }
    int64_t rowBytes = RowBytes(width, storage);
    if (rowBytes > kMaxSurfaceBytes || rowBytes * height > kMaxSurfaceBytes) {
        throw Error("画像が大きすぎます (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    }
    std::vector<uint8_t> bits(static_cast<size_t>(rowBytes * height));
    bits_.swap(bits);
    width_ = width;
    height_ = height;
    bitCount_ = storage;
    widthBytes_ = static_cast<int>(rowBytes);
    redMask_ = red;
    greenMask_ = green;
    blueMask_ = blue;
    if (Mask) Mask->SetSize(width, height, 8);
}

void TDIBSurface::MakeEmpty() {
    std::vector<uint8_t>().swap(bits_);
    width_ = height_ = bitCount_ = widthBytes_ = 0;
    Mask.reset();
}

uint8_t* TDIBSurface::ScanLine(int y) {
    if (y < 0 || y >= height_) {
        throw Error("スキャンラインのインデックスが範囲を越えました (" + std::to_string(y) + ")");
    }
    return RowAt(y);
}

const uint8_t* TDIBSurface::ScanLine(int y) const {
    return const_cast<TDIBSurface*>(this)->ScanLine(y);
}

uint32_t TDIBSurface::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    uint32_t v = 0;
    const uint8_t* row = RowAt(y);
    ByBits(bitCount_, [&]<int B>() { v = Get<B>(row, x); });
    return v;
}

void TDIBSurface::SetPixel(int x, int y, uint32_t value) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* row = RowAt(y);
    ByBits(bitCount_, [&]<int B>() { Put<B>(row, x, value); });
}

void TDIBSurface::EnsureMask() {
    if (!Mask) Mask = std::make_unique<TDIBSurface>();
    if (Mask->width_ != width_ || Mask->height_ != height_ || Mask->bitCount_ != 8) {
        Mask->SetSize(width_, height_, 8);
    }
}

void TDIBSurface::FillMaskOpaque() {
    if (Mask) std::fill(Mask->bits_.begin(), Mask->bits_.end(), uint8_t{255});
}

void TDIBSurface::CopyMaskFrom(const TDIBSurface& source) {
    EnsureMask();
    if (source.bitCount_ != 8 || source.width_ < width_ || source.height_ < height_) {
        throw Error("マスクの大きさが合いません");
    }
    if (Mask->widthBytes_ == 0) return;
    for (int y = 0; y < height_; ++y) {
        std::memcpy(Mask->RowAt(y), source.RowAt(y), static_cast<size_t>(Mask->widthBytes_));
    }
}

void TDIBSurface::FillRect(TRect rect, uint32_t value) {
    rect.Left = std::max(rect.Left, 0);
    rect.Top = std::max(rect.Top, 0);
    rect.Right = std::min(rect.Right, width_);
    rect.Bottom = std::min(rect.Bottom, height_);
    if (rect.IsEmpty()) return;
    if (LogicalBitCount() == 15) value &= 0x7FFF;
    ByBits(bitCount_, [&]<int B>() {
        // The first row pixel by pixel, the others as copies of it.
        uint8_t* first = RowAt(rect.Top);
        for (int x = rect.Left; x < rect.Right; ++x) Put<B>(first, x, value);
        for (int y = rect.Top + 1; y < rect.Bottom; ++y) {
            uint8_t* row = RowAt(y);
            if constexpr (B >= 8) {
                size_t from = static_cast<size_t>(rect.Left) * (B / 8);
                std::memcpy(row + from, first + from, static_cast<size_t>(rect.Right - rect.Left) * (B / 8));
            } else {
                constexpr int perByte = 8 / B;
                int a = (rect.Left + perByte - 1) / perByte, b = rect.Right / perByte;
                if (a >= b) {
                    for (int x = rect.Left; x < rect.Right; ++x) Put<B>(row, x, value);
                    continue;
                }
                std::memcpy(row + a, first + a, static_cast<size_t>(b - a));
                for (int x = rect.Left; x < a * perByte; ++x) Put<B>(row, x, value);
                for (int x = b * perByte; x < rect.Right; ++x) Put<B>(row, x, value);
            }
        }
    });
}

uint32_t TDIBSurface::ColorToPixel(int r, int g, int b) const {
    switch (LogicalBitCount()) {
        case 1:
        case 4:
        case 8: {
            int entries = 1 << bitCount_;
            uint32_t best = 0;
            int64_t bestDistance = -1;
            for (int i = 0; i < entries; ++i) {
                const TRGBQuad& c = ColorTable[i];
                int64_t dr = c.Red - r, dg = c.Green - g, db = c.Blue - b;
                int64_t distance = dr * dr + dg * dg + db * db;
                if (bestDistance < 0 || distance < bestDistance) {
                    bestDistance = distance;
                    best = static_cast<uint32_t>(i);
                }
            }
            return best;
        }
        case 15:
            return static_cast<uint32_t>((r & 0xFF) >> 3 << 10 | (g & 0xFF) >> 3 << 5 | (b & 0xFF) >> 3);
        case 16:
            return static_cast<uint32_t>((r & 0xFF) >> 3 << 11 | (g & 0xFF) >> 2 << 5 | (b & 0xFF) >> 3);
        default:
            return static_cast<uint32_t>((r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF));
    }
}

uint32_t TDIBSurface::PixelToColor(uint32_t value, bool fillLowBits) const {
    uint32_t r, g, b;
    auto widen = [fillLowBits](uint32_t field, int bits) {
        uint32_t v = field << (8 - bits);
        if (fillLowBits && field != 0) v |= (1u << (8 - bits)) - 1;
        return v;
    };
    switch (LogicalBitCount()) {
        case 1:
        case 4:
        case 8: {
            const TRGBQuad& c = ColorTable[value & 0xFF];
            r = c.Red; g = c.Green; b = c.Blue;
            break;
        }
        case 15:
            r = widen(value >> 10 & 0x1F, 5); g = widen(value >> 5 & 0x1F, 5); b = widen(value & 0x1F, 5);
            break;
        case 16:
            r = widen(value >> 11 & 0x1F, 5); g = widen(value >> 5 & 0x3F, 6); b = widen(value & 0x1F, 5);
            break;
        default:
            r = value >> 16 & 0xFF; g = value >> 8 & 0xFF; b = value & 0xFF;
            break;
    }
    return r | g << 8 | b << 16;
}

void TDIBSurface::AssignSurface(const TDIBSurface& source) {
    if (&source == this) return;
    bits_ = source.bits_;
    width_ = source.width_;
    height_ = source.height_;
    bitCount_ = source.bitCount_;
    widthBytes_ = source.widthBytes_;
    redMask_ = source.redMask_;
    greenMask_ = source.greenMask_;
    blueMask_ = source.blueMask_;
    std::memcpy(ColorTable, source.ColorTable, sizeof ColorTable);
    if (source.Mask) {
        if (!Mask) Mask = std::make_unique<TDIBSurface>();
        Mask->AssignSurface(*source.Mask);
    } else {
        Mask.reset();
    }
}

void TDIBSurface::SwapPixels(TDIBSurface& other) {
    bits_.swap(other.bits_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(bitCount_, other.bitCount_);
    std::swap(widthBytes_, other.widthBytes_);
    std::swap(redMask_, other.redMask_);
    std::swap(greenMask_, other.greenMask_);
    std::swap(blueMask_, other.blueMask_);
}

bool TDIBSurface::ClipDraw(int& x, int& y, TRect& r, const TDIBSurface& source) const {
    return source.bitCount_ == bitCount_ && ClipTo(x, y, r, source);
}

bool TDIBSurface::ClipTo(int& x, int& y, TRect& r, const TDIBSurface& source) const {
    if (bitCount_ == 0 || source.bitCount_ == 0) return false;
    // The source rectangle is first cut to the source; what is cut off at
    // the left or top moves the destination with it.
    if (r.Left < 0) { x -= r.Left; r.Left = 0; }
    if (r.Top < 0) { y -= r.Top; r.Top = 0; }
    r.Right = std::min(r.Right, source.width_);
    r.Bottom = std::min(r.Bottom, source.height_);
    // The clip rectangle never reaches outside the surface.
    TRect k = ClipRect.IsEmpty() ? GetBounds() : ClipRect;
    k.Left = std::max(k.Left, 0);
    k.Top = std::max(k.Top, 0);
    k.Right = std::min(k.Right, width_);
    k.Bottom = std::min(k.Bottom, height_);
    if (k.IsEmpty()) return false;
    int64_t X = x, Y = y;
    int64_t left = r.Left, top = r.Top, right = r.Right, bottom = r.Bottom;
    if (X < k.Left) { left += k.Left - X; X = k.Left; }
    if (right + X - left > k.Right) right = k.Right + left - X;
    if (Y < k.Top) { top += k.Top - Y; Y = k.Top; }
    if (bottom + Y - top > k.Bottom) bottom = k.Bottom + top - Y;
    if (left >= right || top >= bottom) return false;
    x = static_cast<int>(X);
    y = static_cast<int>(Y);
    r = TRect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
              static_cast<int32_t>(bottom)};
    return true;
}

void TDIBSurface::Draw(int x, int y, const TDIBSurface& source) {
    CopyRect(x, y, source.GetBounds(), source);
}

void TDIBSurface::CopyRect(int x, int y, TRect srcRect, const TDIBSurface& source) {
    if (!ClipDraw(x, y, srcRect, source)) return;
    int w = srcRect.Right - srcRect.Left;
    for (int k = 0; k < srcRect.Bottom - srcRect.Top; ++k) {
        const uint8_t* s = source.RowAt(srcRect.Top + k);
        uint8_t* d = RowAt(y + k);
        if (bitCount_ >= 8) {
            int bytes = bitCount_ / 8;
            std::memmove(d + static_cast<size_t>(x) * bytes, s + static_cast<size_t>(srcRect.Left) * bytes,
                         static_cast<size_t>(w) * bytes);
        } else if (bitCount_ == 4) {
            for (int j = 0; j < w; ++j) Put<4>(d, x + j, Get<4>(s, srcRect.Left + j));
        } else {
            for (int j = 0; j < w; ++j) Put<1>(d, x + j, Get<1>(s, srcRect.Left + j));
        }
    }
}

void TDIBSurface::DrawTransparent(int x, int y, const TDIBSurface& source, TRect srcRect, int32_t transValue) {
    if (!ClipDraw(x, y, srcRect, source)) return;
    int w = srcRect.Right - srcRect.Left;
    ByBits(bitCount_, [&]<int B>() {
        for (int k = 0; k < srcRect.Bottom - srcRect.Top; ++k) {
            const uint8_t* s = source.RowAt(srcRect.Top + k);
            uint8_t* d = RowAt(y + k);
            for (int j = 0; j < w; ++j) {
                uint32_t v = Get<B>(s, srcRect.Left + j);
                if (!IsTrans(v, transValue)) Put<B>(d, x + j, v);
            }
        }
    });
}

void TDIBSurface::DrawTranslucent(int x, int y, const TDIBSurface& source, TRect srcRect, int32_t transValue,
                                  int alpha) {
    if (alpha == 0) return;
    bool palette = bitCount_ <= 8;
    if (palette && alpha > 0) alpha /= 16;
    if (alpha >= 255 || (palette && alpha >= 15) || alpha < 0) {
        DrawTransparent(x, y, source, srcRect, transValue);
        return;
    }
    if (!ClipDraw(x, y, srcRect, source)) return;
    const uint32_t a = static_cast<uint32_t>(alpha);
    const int w = srcRect.Right - srcRect.Left;
    const int h = srcRect.Bottom - srcRect.Top;
    const int logical = LogicalBitCount();
    ByBits(bitCount_, [&]<int B>() {
        for (int k = 0; k < h; ++k) {
            const uint8_t* s = source.RowAt(srcRect.Top + k);
            uint8_t* d = RowAt(y + k);
            const bool* cells = DitherLevels[a & 15][(y + k) & 3];
            for (int j = 0; j < w; ++j) {
                uint32_t sv = Get<B>(s, srcRect.Left + j);
                if (IsTrans(sv, transValue)) continue;
                if constexpr (B <= 8) {
                    if (cells[(x + j) & 3]) Put<B>(d, x + j, sv);
                } else if constexpr (B == 16) {
                    uint32_t dv = Get<B>(d, x + j);
                    uint32_t out = 0;
                    for (uint32_t f : {logical == 15 ? 0x7C00u : 0xF800u, logical == 15 ? 0x03E0u : 0x07E0u,
                                       0x001Fu}) {
                        out |= (((255 - a) * (dv & f) + a * (sv & f)) / 255) & f;
                    }
                    Put<B>(d, x + j, out);
                } else if constexpr (B == 24) {
                    uint32_t dv = Get<B>(d, x + j);
                    uint32_t out = 0;
                    for (int shift = 0; shift < 24; shift += 8) {
                        uint32_t dc = dv >> shift & 0xFF, sc = sv >> shift & 0xFF;
                        out |= ((dc * (255 - a) + sc * a) / 255) << shift;
                    }
                    Put<B>(d, x + j, out);
                } else {
                    Put<B>(d, x + j, Blend32(Get<B>(d, x + j), sv, a));
                }
            }
        }
    });
}

void TDIBSurface::DrawAlpha(int x, int y, const TDIBSurface& source, TRect srcRect, int alpha) {
    if (!source.Mask) {
        DrawTranslucent(x, y, source, srcRect, -1, alpha);
        return;
    }
    if (!ClipDraw(x, y, srcRect, source)) return;
    const TDIBSurface& mask = *source.Mask;
    const int w = srcRect.Right - srcRect.Left;
    const int h = srcRect.Bottom - srcRect.Top;
    const int logical = LogicalBitCount();
    ByBits(bitCount_, [&]<int B>() {
        for (int k = 0; k < h; ++k) {
            const uint8_t* s = source.RowAt(srcRect.Top + k);
            const uint8_t* m = mask.RowAt(srcRect.Top + k) + srcRect.Left;
            uint8_t* d = RowAt(y + k);
            for (int j = 0; j < w; ++j) {
                uint32_t mv = m[j];
                uint32_t sv = Get<B>(s, srcRect.Left + j);
                if constexpr (B <= 8) {
                    if (mv >= 128) Put<B>(d, x + j, sv);
                } else if constexpr (B == 24) {
                    if (alpha >= 255) {
                        if (mv == 0) continue;
                        if (mv == 255) {
                            Put<B>(d, x + j, sv);
                            continue;
                        }
                        uint32_t dv = Get<B>(d, x + j);
                        uint32_t out = 0;
                        for (int shift = 0; shift < 24; shift += 8) {
                            uint32_t dc = dv >> shift & 0xFF, sc = sv >> shift & 0xFF;
                            out |= ((sc * mv + dc * (255 - mv)) >> 8) << shift;
                        }
                        Put<B>(d, x + j, out);
                    } else {
                        uint32_t scaled = (mv * static_cast<uint32_t>(std::max(alpha, 0))) >> 8;
                        if (scaled == 0) continue;
                        Put<B>(d, x + j, Blend32(Get<B>(d, x + j), sv, scaled));
                    }
                } else {
                    if (mv == 0) continue;
                    if (mv == 255) {
                        Put<B>(d, x + j, sv);
                        continue;
                    }
                    uint32_t dv = Get<B>(d, x + j);
                    if constexpr (B == 16) {
                        uint32_t out = 0;
                        for (uint32_t f : {logical == 15 ? 0x7C00u : 0xF800u, logical == 15 ? 0x03E0u : 0x07E0u,
                                           0x001Fu}) {
                            out |= (((dv & f) * (255 - mv) + (sv & f) * mv) >> 8) & f;
                        }
                        Put<B>(d, x + j, out);
                    } else {
                        Put<B>(d, x + j, Blend32(dv, sv, mv));
                    }
                }
            }
        }
    });
}

}  // namespace qi
