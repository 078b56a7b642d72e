#include "pictures.h"

#include <cctype>
#include <cstdio>

#include "cli.h"
#include "image/icon.h"
#include "image/vexa_from_surface.h"

namespace qpack {
namespace {

std::string Extension(const std::string& file) {
    size_t dot = file.find_last_of('.');
    size_t slash = file.find_last_of("/\\");
    std::string e = dot == std::string::npos || (slash != std::string::npos && slash > dot) ? "" : file.substr(dot + 1);
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

// The core's format for a picture file that is not a layered image.
qi::TImageFormat FormatOf(const std::string& file) {
    const std::string e = Extension(file);
    if (e != "png" && e != "tga" && e != "bmp" && e != "ico" && e != "cur") {
        throw UsageError("'" + file + "' is not a picture qpack knows (png, tga, bmp, ico, cur or vxa)");
    }
    return qi::ImageFormatOf(file);
}

const char* FormatName(qi::TImageFormat format) {
    switch (format) {
        case qi::TImageFormat::Targa: return "targa";
        case qi::TImageFormat::Icon: return "icon";
        case qi::TImageFormat::Cursor: return "cursor";
        case qi::TImageFormat::Png: return "png";
        case qi::TImageFormat::Bitmap: break;
    }
    return "bitmap";
}

}  // namespace

bool IsLayered(const std::string& file) { return Extension(file) == "vxa"; }

void LoadLayered(qi::TVexaFrameList& list, const std::string& file, bool firstOnly, bool keepLayers) {
    std::string bytes = ReadWholeFile(file);
    qi::TMemoryStream stream;
    stream.Bytes().assign(bytes.begin(), bytes.end());
    Guarded(file, [&] { list.LoadFromStream(stream, firstOnly, false, keepLayers); });
}

const qi::TDIBSurface& LayeredFrame(qi::TVexaFrameList& list, const std::string& file, int index) {
    if (index >= list.Count()) {
        throw InputError(file, "there is no frame " + std::to_string(index) + " (the image has " +
                                   std::to_string(list.Count()) + ")");
    }
    const qi::TDIBSurface& s = list.GetFrame(index).Surface;
    if (s.Width() == 0 || s.Height() == 0) throw InputError(file, "the frame has no pixels");
    return s;
}

void LoadPicture(const std::string& file, int index, qi::TDIBSurface& out) {
    if (IsLayered(file)) {
        qi::TVexaFrameList list;
        LoadLayered(list, file, index == 0, false);
        out.AssignSurface(LayeredFrame(list, file, index));
        return;
    }
    const qi::TImageFormat format = FormatOf(file);
    if (index != 0 && format != qi::TImageFormat::Icon && format != qi::TImageFormat::Cursor) {
        throw InputError(file, "there is no image " + std::to_string(index) + " (the file has one)");
    }
    Guarded(file, [&] { out.LoadFromFile(CorePath(file), true, index); });
}

void SavePicture(const std::string& file, const qi::TDIBSurface& s) {
    if (IsLayered(file)) {
        WriteWholeFile(file, Guarded(file, [&] { return qi::VexaFromSurface(s, qi::VexaWriteOptions()); }));
        return;
    }
    FormatOf(file);
    Guarded(file, [&] { s.SaveToFile(CorePath(file)); });
}

std::string PictureInfo(const std::string& file) {
    const qi::TImageFormat format = FormatOf(file);
    std::string out = std::string("format: ") + FormatName(format) + "\n";
    char line[128];
    if (format == qi::TImageFormat::Icon || format == qi::TImageFormat::Cursor) {
        const std::vector<qi::TIconEntry> images = Guarded(file, [&] { return qi::ReadIconDirectory(ReadWholeFile(file)); });
        for (size_t i = 0; i < images.size(); ++i) {
            const qi::TIconEntry& e = images[i];
            std::snprintf(line, sizeof line, "%.3d : %d x %d  %d bpp\n", static_cast<int>(i), e.Width, e.Height,
                          e.BitCount);
            out += line;
        }
        return out;
    }
    qi::TDIBSurface s;
    LoadPicture(file, 0, s);
    std::snprintf(line, sizeof line, "%d x %d  %d bpp%s\n", s.Width(), s.Height(), s.LogicalBitCount(),
                  s.Mask ? ", alpha" : "");
    return out + line;
}

}  // namespace qpack
