#pragma once
// Writes layered images: what game makers use to produce a title image, and
// what the tests build their images with.
#include <cstdint>
#include <string>
#include <vector>

#include "image/dib_surface.h"
#include "image/vexa.h"
#include "streams/stream.h"

namespace qi {

// One entry of a tile table: Source -1 stores the tile, -2 repeats tile
// Index of the same plane, 0 or more copies the same place of frame
// Source, layer Index.
struct VexaTile {
    int32_t Source = -1;
    int32_t Index = 0;
};

struct VexaLayerData {
    std::string Name;
    uint8_t Visible = 1;
    int32_t TransValue = -1;
    int32_t Opacity = 255;
    uint8_t AlphaEnabled = 0;
    // The frame's size and bit count; its Mask is written as the mask block.
    const TDIBSurface* Pixels = nullptr;
    // Tile tables of tiled images, in tile order; empty stores every tile.
    std::vector<VexaTile> PixelTiles, MaskTiles;
};

struct VexaFrameData {
    std::string Name;
    int32_t TransValue = -1;
    int32_t FrameParam = 100;
    uint8_t FrameFlag = 0;
    int Width = 0, Height = 0;
    int BitCount = 24;                 // 1, 4, 8, 15, 16, 24 or 32
    std::vector<TRGBQuad> Palette;     // 2^BitCount entries for 8 bits or less
    std::vector<VexaLayerData> Layers;
    int ExtraA = 0, ExtraB = 0;        // counts of 16-byte records (version 104 and later)
};

struct VexaWriteOptions {
    int Version = 106;       // of the signature
    int HeaderVersion = -1;  // the header's own version field; -1 = Version
    bool Signature = true;   // false writes a version 0 image without one
    int HeaderSize = TVexaHeader::kSize;
    uint8_t StorageMode = kVexaZlib;
    bool Scrambled = false;
    int32_t Seed = 0;
    uint32_t BackColor = 0;
    int TileWidth = 0, TileHeight = 0;
    uint8_t BaseOpaque = 0;
    int JpegQuality = 90;
};

void WriteVexaImage(TStream& out, const VexaWriteOptions& options, const std::vector<VexaFrameData>& frames);

}  // namespace qi
