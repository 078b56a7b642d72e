#pragma once
// The pixel surface of the image code: a device-independent bitmap of 1, 4,
// 8, 16 (5-5-5 or 5-6-5), 24 or 32 bits per pixel with an optional 8-bit
// alpha Mask, a clip rectangle and the drawing operations that composite the
// layers of a layered image. Pixels live in plain memory, rows bottom-up, so
// the results are the same on every system.
#include <cstdint>
#include <memory>
#include <vector>

namespace qi {

struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
};

struct TRGBQuad {
    uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
};

class TDIBSurface {
public:
    TDIBSurface();
    ~TDIBSurface();
    TDIBSurface(const TDIBSurface&) = delete;
    TDIBSurface& operator=(const TDIBSurface&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // 0 for an empty surface.
    int BitCount() const { return bitCount_; }
    // BitCount, except 15 for a 16-bit surface with 5-5-5 fields.
    int LogicalBitCount() const;
    uint32_t RedMask() const { return redMask_; }
    uint32_t GreenMask() const { return greenMask_; }
    uint32_t BlueMask() const { return blueMask_; }
    // Bytes per row, padded to a multiple of 4.
    int WidthBytes() const { return widthBytes_; }
    // Distance from row y to row y + 1: the rows lie bottom-up.
    int NextLine() const { return -widthBytes_; }
    static int64_t RowBytes(int64_t width, int bitCount);

    // Colour table for 8 bits or less; UpdatePalette makes changes take
    // effect (nothing to do for a memory surface).
    TRGBQuad ColorTable[256];
    void UpdatePalette() {}

    // New pixel memory (all zero) for the size and bit count; 15 selects
    // 5-5-5 and 16 selects 5-6-5. An existing Mask follows the new size.
    void SetSize(int width, int height, int bitCount);
    // Drops the pixels and the Mask.
    void MakeEmpty();
    // Converts the pixels to another bit count keeping their colours (to 8
    // bits or less through the nearest colour-table entry).
    void SetBitCount(int bitCount);
    // Keeps the pixels in plain memory: already the case here.
    void FreeHandle() {}

    // Row y, 0 = top row; out of range raises an error.
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    // Raw pixel value; 0 outside the surface. Writes outside are ignored.
    uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t value);

    TRect GetBounds() const { return TRect{0, 0, width_, height_}; }

    // Alpha plane of the same size, 8 bits; 0 transparent, 255 opaque.
    std::unique_ptr<TDIBSurface> Mask;
    // Destination clip of the drawing operations; empty = whole surface.
    TRect ClipRect;

    void EnsureMask();
    void FreeMask() { Mask.reset(); }
    void FillMaskOpaque();
    // EnsureMask, then the rows of an 8-bit source at least as large.
    void CopyMaskFrom(const TDIBSurface& source);

    void FillRect(TRect rect, uint32_t value);
    // Colour to raw pixel value; at 8 bits or less the nearest colour-table
    // entry (smallest squared distance, the lowest index on a tie).
    uint32_t ColorToPixel(int r, int g, int b) const;
    // Raw value to 0x00BBGGRR. At 15 and 16 bits the fields move to the top
    // of their byte; fillLowBits sets their low bits when the field is not 0.
    uint32_t PixelToColor(uint32_t value, bool fillLowBits = false) const;

    // Drawing: source and destination have the same bit count (nothing is
    // drawn otherwise). A negative transValue means no transparent value.
    void Draw(int x, int y, const TDIBSurface& source);
    void CopyRect(int x, int y, TRect srcRect, const TDIBSurface& source);
    void DrawTransparent(int x, int y, const TDIBSurface& source, TRect srcRect, int32_t transValue);
    void DrawTranslucent(int x, int y, const TDIBSurface& source, TRect srcRect, int32_t transValue,
                         int alpha);
    void DrawAlpha(int x, int y, const TDIBSurface& source, TRect srcRect, int alpha);

    // Size, format, colour table, pixels and Mask of another surface.
    void AssignSurface(const TDIBSurface& source);

    // Ordered-dither cells: DitherLevels[k][r][c] is set for k + 1 of 16 cells.
    static const bool DitherLevels[16][4][4];

private:
    // Clips the destination; false when nothing is left.
    bool ClipDraw(int& x, int& y, TRect& r, const TDIBSurface& source) const;
    uint8_t* RowAt(int y) { return bits_.data() + static_cast<size_t>(height_ - 1 - y) * widthBytes_; }
    const uint8_t* RowAt(int y) const {
        return bits_.data() + static_cast<size_t>(height_ - 1 - y) * widthBytes_;
    }

    int width_ = 0, height_ = 0, bitCount_ = 0, widthBytes_ = 0;
    uint32_t redMask_ = 0xFF0000, greenMask_ = 0xFF00, blueMask_ = 0xFF;
    std::vector<uint8_t> bits_;
};

}  // namespace qi
