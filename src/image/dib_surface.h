#pragma once
// The pixel surface of the image code: a device-independent bitmap of 1, 4,
// 8, 16 (5-5-5 or 5-6-5), 24 or 32 bits per pixel with an optional 8-bit
// alpha Mask, a clip rectangle and the drawing operations that composite the
// layers of a layered image. Pixels live in plain memory, rows bottom-up, so
// the results are the same on every system.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qi {

struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
};

struct TRGBQuad {
    uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
};

// How ReduceColors builds its palette: a fixed uniform palette, an octree,
// or a median cut that splits the fullest box at its median, or the box of
// the largest squared error where the error is smallest.
enum class TReduceMethod { Fast = 0, Octree = 1, MedianCut = 2, MedianCutVariance = 3 };
enum class TDither { None, Ordered, ErrorDiffusion };

// Picture files by extension: ".tga", ".ico", ".cur", ".png", anything else
// a bitmap.
enum class TImageFormat { Bitmap, Targa, Icon, Cursor, Png };
TImageFormat ImageFormatOf(const std::string& fileName);

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
    // Copies a source of any bit count, converting each colour (to 8 bits or
    // less through the nearest colour-table entry); the Mask is not copied.
    void DrawConverted(int x, int y, const TDIBSurface& source);

    // Mirror the pixels and the Mask left to right, or top to bottom.
    void FlipHorizontal();
    void FlipVertical();

    // Distinct colours of the pixels (the fourth byte of 32-bit pixels and
    // the unused bit of 15-bit pixels do not count).
    int64_t CountColors() const;
    // Those colours, in the order of their raw values (colour-table order at
    // 8 bits or less).
    std::vector<TRGBQuad> GetUsedColors() const;
    // A colour-table index that no pixel uses; -1 when there is none or the
    // surface has more than 8 bits.
    int FindUnusedIndex() const;

    // Changes the bit count, with at most `colors` colours (0: what the bit
    // count holds; up to 4096; at 8 bits or less the palette is built by the
    // method, above 8 bits only when colours are given). A
    // picture with no more colours than asked keeps them exactly, except with
    // the fast method's fixed palette. The Mask stays.
    void ReduceColors(TReduceMethod method, int bitCount, TDither dither, int colors);

    // The fourth byte of a 32-bit surface becomes the Mask, unless every one
    // is 0 (a format that leaves it unused); false when nothing was taken.
    bool TakeMaskFromAlpha();
    // The Mask (opaque without one) becomes the fourth byte of a 32-bit surface.
    void PutMaskIntoAlpha();

    // Pictures by format; Error on a damaged file. alphaMask: the file's
    // alpha becomes the Mask; imageIndex chooses in icon and cursor files.
    void LoadFromBytes(const std::string& bytes, TImageFormat format, bool alphaMask = true, int imageIndex = 0);
    std::string SaveToBytes(TImageFormat format) const;
    // The same by the file name's extension.
    void LoadFromFile(const std::string& fileName, bool alphaMask = true, int imageIndex = 0);
    void SaveToFile(const std::string& fileName) const;

    // Ordered-dither cells: DitherLevels[k][r][c] is set for k + 1 of 16 cells.
    static const bool DitherLevels[16][4][4];

private:
    // Clips the destination; false when nothing is left (or the bit counts
    // differ: ClipDraw only).
    bool ClipDraw(int& x, int& y, TRect& r, const TDIBSurface& source) const;
    bool ClipTo(int& x, int& y, TRect& r, const TDIBSurface& source) const;
    void SwapPixels(TDIBSurface& other);
    uint8_t* RowAt(int y) { return bits_.data() + static_cast<size_t>(height_ - 1 - y) * widthBytes_; }
    const uint8_t* RowAt(int y) const {
        return bits_.data() + static_cast<size_t>(height_ - 1 - y) * widthBytes_;
    }

    int width_ = 0, height_ = 0, bitCount_ = 0, widthBytes_ = 0;
    uint32_t redMask_ = 0xFF0000, greenMask_ = 0xFF00, blueMask_ = 0xFF;
    std::vector<uint8_t> bits_;
};

}  // namespace qi
