// qpack image convert
#include "cli.h"
#include "pictures.h"

namespace qpack {
namespace {

struct ConvertOptions {
    int Bits = 0;    // 0: keep
    int Colors = 0;  // 0: what the bit count holds
    qi::TReduceMethod Method = qi::TReduceMethod::Octree;
    qi::TDither Dither = qi::TDither::None;
    bool MethodOrDither = false;
    std::vector<char> Flips;
    int Image = 0;
};

qi::TReduceMethod MethodNamed(const std::string& name) {
    if (name == "fast") return qi::TReduceMethod::Fast;
    if (name == "octree") return qi::TReduceMethod::Octree;
    if (name == "median") return qi::TReduceMethod::MedianCut;
    if (name == "median2") return qi::TReduceMethod::MedianCutVariance;
    throw UsageError("unknown method '" + name + "' (octree, median, median2 or fast)");
}

ConvertOptions ParseOptions(const std::vector<std::string>& args, std::vector<std::string>& files) {
    ConvertOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::string next = i + 1 < args.size() ? args[i + 1] : "";
        if (a == "--bits") {
            o.Bits = IntOption(args, i, 1, 32);
            if (o.Bits != 1 && o.Bits != 4 && o.Bits != 8 && o.Bits != 15 && o.Bits != 16 && o.Bits != 24 && o.Bits != 32) {
                throw UsageError("--bits takes 1, 4, 8, 15, 16, 24 or 32");
            }
        } else if (a == "--colors") {
            o.Colors = IntOption(args, i, 1, 4096);
        } else if (a == "--method") {
            if (i + 1 >= args.size()) throw UsageError("--method needs octree, median, median2 or fast");
            o.Method = MethodNamed(args[++i]);
            o.MethodOrDither = true;
        } else if (a == "--dither") {
            // Error diffusion unless "ordered" follows.
            o.Dither = next == "ordered" ? qi::TDither::Ordered : qi::TDither::ErrorDiffusion;
            if (next == "ordered" || next == "diffusion") ++i;
            o.MethodOrDither = true;
        } else if (a == "--flip") {
            if (next != "h" && next != "v") throw UsageError("--flip takes h or v");
            o.Flips.push_back(next[0]);
            ++i;
        } else if (a == "--image") {
            o.Image = IntOption(args, i, 0, 65535);
        } else if (!a.empty() && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) throw UsageError("convert takes IN and OUT");
    if (o.MethodOrDither && o.Bits == 0 && o.Colors == 0) throw UsageError("--method and --dither need --bits or --colors");
    if (o.Bits == 0 && o.Colors > 0 && o.Colors <= 256) {
        // The smallest palette that holds the colours.
        o.Bits = o.Colors <= 2 ? 1 : o.Colors <= 16 ? 4 : 8;
    }
    if (o.Bits > 0 && o.Bits <= 8 && o.Colors > (1 << o.Bits)) {
        throw UsageError(std::to_string(o.Colors) + " colours do not fit " + std::to_string(o.Bits) + " bits");
    }
    return o;
}

}  // namespace

int Convert(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    const ConvertOptions o = ParseOptions(args, files);
    qi::TDIBSurface s;
    LoadPicture(files[0], o.Image, s);
    for (char flip : o.Flips) {
        if (flip == 'h') {
            s.FlipHorizontal();
        } else {
            s.FlipVertical();
        }
    }
    if (o.Bits > 0 || o.Colors > 0) {
        Guarded(files[0], [&] { s.ReduceColors(o.Method, o.Bits > 0 ? o.Bits : s.LogicalBitCount(), o.Dither, o.Colors); });
    }
    SavePicture(files[1], s);
    return kExitOk;
}

}  // namespace qpack
