// qpack image info | render | create
#include <cstdio>
#include <cstdlib>

#include "cli.h"
#include "image/jpeg_codec.h"
#include "image/vexa.h"
#include "image/vexa_from_png.h"
#include "image/vexa_writer.h"
#include "image/png.h"

namespace qpack {
namespace {

template <typename Action>
auto Guarded(const std::string& file, Action action) {
    try {
        return action();
    } catch (const qi::Error& e) {
        throw InputError(file, Printable(e.what()));
    }
}

int32_t IntOption(const std::vector<std::string>& args, size_t& i, long lo, long hi) {
    if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a number");
    const std::string& text = args[++i];
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || value < lo || value > hi) {
        throw UsageError("'" + text + "' is not a valid value for " + args[i - 1]);
    }
    return static_cast<int32_t>(value);
}

void LoadImage(qi::TVexaFrameList& list, const std::string& file, bool firstOnly, bool keepLayers) {
    std::string bytes = ReadWholeFile(file);
    qi::TMemoryStream stream;
    stream.Bytes().assign(bytes.begin(), bytes.end());
    Guarded(file, [&] { list.LoadFromStream(stream, firstOnly, false, keepLayers); });
}

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
    qi::TVexaFrameList list(seed);
    LoadImage(list, files[0], false, true);
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

void WriteFile(const std::string& argument, const std::string& bytes) {
    try {
        qi::TMemoryStream m;
        m.Bytes().assign(bytes.begin(), bytes.end());
        m.SaveToFile(CorePath(argument));
    } catch (const qi::Error& e) {
        throw InputError(argument, Printable(e.what()));
    }
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
    LoadImage(list, files[0], frameIndex == 0 && !allFrames, false);
    if (frameIndex >= list.Count()) {
        throw InputError(files[0], "there is no frame " + std::to_string(frameIndex) + " (the image has " +
                                       std::to_string(list.Count()) + ")");
    }
    const qi::TDIBSurface& s = list.GetFrame(frameIndex).Surface;
    if (s.Width() == 0 || s.Height() == 0) throw InputError(files[0], "the frame has no pixels");
    WriteFile(files[1], qi::EncodePng(qi::RgbaFromSurface(s)));
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
    if (files.size() != 2) throw UsageError("create takes IN.png and OUT.vxa");
    o.Scrambled = scrambled;
    bool modern = o.Version >= 103;
    if (!modern && (o.StorageMode != qi::kVexaZlib || o.TileWidth > 0 || scrambled)) {
        throw UsageError("--storage, --tile and --scramble need --version 103 or later");
    }
    if (o.StorageMode == qi::kVexaJpeg && !qi::JpegSupported()) {
        throw UsageError("JPEG storage is not supported in this build");
    }
    qi::RgbaImage png;
    try {
        png = qi::DecodePng(ReadWholeFile(files[0]));
    } catch (const std::runtime_error& e) {
        if (dynamic_cast<const InputError*>(&e)) throw;
        throw InputError(files[0], e.what());
    }
    if (png.HasAlpha && o.Version < 100) {
        throw UsageError("an image with alpha needs --version 100 or later for its mask");
    }
    std::string image;
    Guarded(files[1], [&] { image = qi::VexaFromRgba(png, o); });
    WriteFile(files[1], image);
    return kExitOk;
}

}  // namespace

const std::vector<Command>& ImageCommands() {
    static const std::vector<Command> commands = {
        {"image info", "[--seed N] FILE.vxa",
         "Prints the layered image's version, header fields and, per frame, its name,\n"
         "size, bit count and layers (name, visible, opacity, transparent value,\n"
         "alpha and mask). --seed gives the seed of a scrambled image.\n",
         Info},
        {"image render", "FILE.vxa OUT.png [--seed N] [--frame K] [--all-frames]",
         "Writes the composite of frame K (0 when not given) as an 8-bit RGB PNG, or\n"
         "RGBA when the composite has a mask. Frame 0 alone is decoded as the setup\n"
         "program decodes a title image; --all-frames, or K above 0, loads every\n"
         "frame first. Palette and 15- or 16-bit colours are widened to 8 bits.\n",
         Render},
        {"image create", "IN.png OUT.vxa [--storage raw|zlib|jpeg] [--tile WxH] [--scramble SEED] [--version V]",
         "Writes a one-frame, one-layer 24-bit image from a PNG; its alpha channel\n"
         "becomes the layer's mask with alpha enabled. Storage zlib (default), raw or\n"
         "jpeg; --tile stores tiles of W x H pixels; --scramble permutes the rows or\n"
         "tile tables with SEED; --version (default 106) picks the format version.\n",
         Create},
    };
    return commands;
}

}  // namespace qpack
