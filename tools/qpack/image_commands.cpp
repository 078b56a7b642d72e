// qpack image info | render | create (convert: image_convert.cpp)
#include <cstdio>

#include "cli.h"
#include "image/jpeg_codec.h"
#include "image/png.h"
#include "image/vexa_from_surface.h"
#include "pictures.h"

namespace qpack {
namespace {

const char* StorageName(uint8_t mode) {
    switch (mode) {
        case qi::kVexaZlib: return "zlib";
        case qi::kVexaRaw: return "raw";
        case qi::kVexaJpeg: return "jpeg";
        default: return "unknown";
    }
}

int Info(const std::vector<std::string>& args) {
    int32_t seed = 0;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seed") {
            seed = IntOption(args, i, -2147483647L - 1, 2147483647L);
        } else if (!args[i].empty() && args[i][0] == '-') {
            throw UsageError("unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 1) throw UsageError("info takes one FILE");
    if (!IsLayered(files[0])) {
        WriteStdout(PictureInfo(files[0]));
        return kExitOk;
    }
    qi::TVexaFrameList list(seed);
    LoadLayered(list, files[0], false, true);
    const qi::TVexaHeader& h = list.Header;
    std::string out;
    char line[512];
    std::snprintf(line, sizeof line,
                  "version: %d\nheader version: %d\nframes: %d\nstorage: %s\nscrambled: %s\n"
                  "back color: 0x%08X\ntiles: %dx%d\nbase opaque: %d\n",
                  list.Version, h.Version, list.Count(), StorageName(h.StorageMode), h.Scrambled ? "yes" : "no",
                  list.BackColor, h.TileWidth, h.TileHeight, list.BaseOpaque);
    out += line;
    for (int f = 0; f < list.Count(); ++f) {
        qi::TVexaFrame& frame = list.GetFrame(f);
        std::snprintf(line, sizeof line, "frame %d \"%s\": %dx%d, %d bits, trans value %d, %d layers\n", f,
                      Printable(frame.Name).c_str(), frame.Surface.Width(), frame.Surface.Height(),
                      frame.Surface.LogicalBitCount(), frame.TransValue, frame.Count());
        out += line;
        for (int l = 0; l < frame.Count(); ++l) {
            qi::TVexaLayer& layer = frame.GetLayer(l);
            std::snprintf(line, sizeof line,
                          "  layer %d \"%s\": visible %d, opacity %d, trans value %d, alpha %d, mask %s\n", l,
                          Printable(layer.Name).c_str(), layer.Visible, layer.Opacity, layer.TransValue,
                          layer.AlphaEnabled, layer.Surface.Mask ? "yes" : "no");
            out += line;
        }
    }
    WriteStdout(out);
    return kExitOk;
}

int Render(const std::vector<std::string>& args) {
    int32_t seed = 0, frameIndex = 0;
    bool allFrames = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seed") {
            seed = IntOption(args, i, -2147483647L - 1, 2147483647L);
        } else if (args[i] == "--frame") {
            frameIndex = IntOption(args, i, 0, 2147483647L);
        } else if (args[i] == "--all-frames") {
            allFrames = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            throw UsageError("unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) throw UsageError("render takes FILE and OUT");
    // Frame 0 alone is decoded as the setup program decodes its title image.
    qi::TVexaFrameList list(seed);
    LoadLayered(list, files[0], frameIndex == 0 && !allFrames, false);
    const qi::TDIBSurface& s = LayeredFrame(list, files[0], frameIndex);
    WriteWholeFile(files[1], qi::EncodePng(qi::RgbaFromSurface(s)));
    return kExitOk;
}

int Create(const std::vector<std::string>& args) {
    qi::VexaWriteOptions o;
    o.StorageMode = qi::kVexaZlib;
    bool scrambled = false;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--storage") {
            if (i + 1 >= args.size()) throw UsageError("--storage needs raw, zlib or jpeg");
            const std::string& mode = args[++i];
            if (mode == "raw") {
                o.StorageMode = qi::kVexaRaw;
            } else if (mode == "zlib") {
                o.StorageMode = qi::kVexaZlib;
            } else if (mode == "jpeg") {
                o.StorageMode = qi::kVexaJpeg;
            } else {
                throw UsageError("unknown storage '" + mode + "' (raw, zlib or jpeg)");
            }
        } else if (args[i] == "--tile") {
            if (i + 1 >= args.size()) throw UsageError("--tile needs WxH");
            const std::string& size = args[++i];
            int w = 0, h = 0;
            char rest = 0;
            if (std::sscanf(size.c_str(), "%dx%d%c", &w, &h, &rest) != 2 || w <= 0 || h <= 0) {
                throw UsageError("'" + size + "' is not a tile size WxH");
            }
            o.TileWidth = w;
            o.TileHeight = h;
        } else if (args[i] == "--scramble") {
            o.Seed = IntOption(args, i, -2147483647L - 1, 2147483647L);
            scrambled = true;
        } else if (args[i] == "--version") {
            o.Version = IntOption(args, i, 0, 106);
        } else if (!args[i].empty() && args[i][0] == '-') {
            throw UsageError("unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) throw UsageError("create takes IN and OUT.vxa");
    o.Scrambled = scrambled;
    bool modern = o.Version >= 103;
    if (!modern && (o.StorageMode != qi::kVexaZlib || o.TileWidth > 0 || scrambled)) {
        throw UsageError("--storage, --tile and --scramble need --version 103 or later");
    }
    if (o.StorageMode == qi::kVexaJpeg && !qi::JpegSupported()) {
        throw UsageError("JPEG storage is not supported in this build");
    }
    qi::TDIBSurface pixels;
    LoadPicture(files[0], 0, pixels);
    if (pixels.Mask && o.Version < 100) {
        throw UsageError("an image with alpha needs --version 100 or later for its mask");
    }
    pixels.SetBitCount(24);
    WriteWholeFile(files[1], Guarded(files[1], [&] { return qi::VexaFromSurface(pixels, o); }));
    return kExitOk;
}

}  // namespace

const std::vector<Command>& ImageCommands() {
    static const std::vector<Command> commands = {
        {"image info", "[--seed N] FILE",
         "Of a layered image (.vxa): its version, header fields and, per frame, its\n"
         "name, size, bit count and layers (name, visible, opacity, transparent value,\n"
         "alpha and mask); --seed gives the seed of a scrambled image. Of a picture\n"
         "(.png, .tga, .bmp): its format, size and bit count; of an icon or cursor\n"
         "(.ico, .cur): one line \"NNN : W x H  B bpp\" per image.\n",
         Info},
        {"image render", "FILE.vxa OUT.png [--seed N] [--frame K] [--all-frames]",
         "Writes the composite of frame K (0 when not given) as an 8-bit RGB PNG, or\n"
         "RGBA when the composite has a mask. Frame 0 alone is decoded as the setup\n"
         "program decodes a title image; --all-frames, or K above 0, loads every\n"
         "frame first. Palette and 15- or 16-bit colours are widened to 8 bits.\n",
         Render},
        {"image create", "IN OUT.vxa [--storage raw|zlib|jpeg] [--tile WxH] [--scramble SEED] [--version V]",
         "Writes a one-frame, one-layer 24-bit image from a picture (png, tga, bmp,\n"
         "ico, cur or vxa); its alpha becomes the layer's mask with alpha enabled.\n"
         "Storage zlib (default), raw or jpeg; --tile stores tiles of W x H pixels;\n"
         "--scramble permutes the rows or tile tables with SEED; --version (default\n"
         "106) picks the format version.\n",
         Create},
        {"image convert", "IN OUT [--bits N] [--colors N] [--method octree|median|median2|fast] "
                          "[--dither [ordered|diffusion]] [--flip h|v] [--image N]",
         "Converts between the picture files png, tga, bmp, ico, cur and vxa (a one-layer\n"
         "layered image), chosen by their extensions; alpha goes along as alpha or mask.\n"
         "--image N takes image N of an icon or cursor file, or frame N of a layered\n"
         "image. --flip h or v mirrors the picture (both may be given). --bits sets the\n"
         "bit count (1, 4, 8, 15, 16, 24, 32); --colors N (up to 4096) keeps at most N\n"
         "colours (with no --bits, a palette just large enough). A palette is built by\n"
         "--method: octree (default), median (median cut), median2 (median cut by\n"
         "squared error) or fast (a fixed palette); a picture that has no more colours\n"
         "than asked keeps them exactly. --dither spreads the error to the neighbours,\n"
         "or with \"ordered\" uses the 4 x 4 ordered pattern. Targa and bitmap files\n"
         "keep a mask as alpha at 24 and 32 bits only; icons hold images of at most\n"
         "256 x 256 pixels.\n",
         Convert},
    };
    return commands;
}

}  // namespace qpack
