#pragma once
// The engine's layered image: a list of frames, each a stack of layers of the
// same size, decoded into pixel surfaces. Pixel and mask planes are stored
// raw, zlib-compressed or (pixels only) JPEG-coded, plainly or as tiles that
// may repeat tiles of the same plane or of earlier layers, and in a scrambled
// order that only the right seed puts back together.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/dib_surface.h"
#include "streams/stream.h"

namespace qi {

// The 40-byte image header of version 103 and later (and the header the
// decoder makes up for older images).
struct TVexaHeader {
    static constexpr int kSize = 40;
    int32_t Version = 0;
    int32_t FrameCount = 0;
    uint8_t Scrambled = 0;
    uint8_t StorageMode = 0;  // 0 zlib, 1 raw, 2 JPEG pixels with zlib masks
    uint32_t BackColor = 0;   // 0x00BBGGRR
    int32_t TileWidth = 0;
    int32_t TileHeight = 0;
    uint8_t BaseOpaque = 0;

    static TVexaHeader FromBytes(const uint8_t (&bytes)[kSize]);
    void ToBytes(uint8_t (&bytes)[kSize]) const;
    bool Tiled() const { return TileWidth > 0 && TileHeight > 0; }
};

constexpr uint8_t kVexaZlib = 0;
constexpr uint8_t kVexaRaw = 1;
constexpr uint8_t kVexaJpeg = 2;

class TVexaFrame;
class TVexaFrameList;

class TVexaLayer {
public:
    explicit TVexaLayer(TVexaFrame& owner);
    void LoadFromStream(TStream& stream, const TVexaHeader& header);
    // Gives a layer without a mask one: opaque, 0 where the pixels equal the
    // layer's transparent value, else frameValue (when either is set).
    void BuildLayerMask(int32_t frameValue);

    TVexaFrame& Owner;
    std::string Name;
    TDIBSurface Surface;
    uint8_t Visible = 1;
    int32_t TransValue = -1;
    int32_t Opacity = 255;
    uint8_t AlphaEnabled = 0;
};

class TVexaFrame {
public:
    explicit TVexaFrame(TVexaFrameList& owner);
    void LoadFromStream(TStream& stream, const TVexaHeader& header, bool keepLayers);
    // Any index outside 0 .. Count() - 1 raises an error.
    TVexaLayer& GetLayer(int index);
    int Count() const { return static_cast<int>(layers_.size()); }
    bool HasMask() const { return Surface.Mask != nullptr; }
    void BuildMasks(bool includeLayers);
    void Clear() { layers_.clear(); }

    int32_t FrameParam = 100;
    TDIBSurface Surface;  // the composite
    int32_t TransValue = -1;
    int32_t TransColor = -1;
    TVexaFrameList& Owner;
    std::string Name;
    std::vector<std::array<uint8_t, 16>> ExtraListA, ExtraListB;
    uint8_t FrameFlag = 0;

private:
    void Composite(TVexaLayer& layer, int index, bool firstVisible);
    std::vector<std::unique_ptr<TVexaLayer>> layers_;
};

class TVexaFrameList {
public:
    explicit TVexaFrameList(int32_t seed = 0);
    ~TVexaFrameList();
    // Reads an image from the stream's position, replacing the content. A
    // damaged image raises an error; the frames read so far stay.
    void LoadFromStream(TStream& stream, bool firstFrameOnly, bool prepare, bool keepLayers);
    // Any index outside 0 .. Count() - 1 raises "Error:TVexaFrameList.GetFrame".
    TVexaFrame& GetFrame(int index);
    int Count() const { return static_cast<int>(frames_.size()); }
    void Clear();

    uint32_t BackColor = 0;
    int32_t Version = 0;
    int32_t BitCount = 0;
    int32_t Seed;
    uint8_t BaseOpaque = 0;
    // The header of the last load (made up for versions below 103).
    TVexaHeader Header;

    // Pixel memory of one load (at least a byte a pixel) stays below this; a
    // larger image is refused before it is allocated.
    static constexpr int64_t kMaxImageBytes = int64_t{256} << 20;
    // Counts a surface of this size against the limit (or raises).
    void Charge(int64_t width, int64_t height, int bitCount);

private:
    void Prepare(TVexaFrame& frame, bool keepLayers);
    std::vector<std::unique_ptr<TVexaFrame>> frames_;
    int64_t charged_ = 0;
};

}  // namespace qi
