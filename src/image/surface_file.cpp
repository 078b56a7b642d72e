// Loading and saving a surface by picture format or file extension.
#include <algorithm>
#include <cctype>

#include "image/bitmap.h"
#include "image/dib_surface.h"
#include "image/icon.h"
#include "image/png.h"
#include "image/targa.h"
#include "streams/stream.h"

namespace qi {

TImageFormat ImageFormatOf(const std::string& fileName) {
    size_t dot = fileName.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : fileName.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "tga") return TImageFormat::Targa;
    if (extension == "ico") return TImageFormat::Icon;
    if (extension == "cur") return TImageFormat::Cursor;
    if (extension == "png") return TImageFormat::Png;
    return TImageFormat::Bitmap;
}

void TDIBSurface::LoadFromBytes(const std::string& bytes, TImageFormat format, bool alphaMask, int imageIndex) {
    switch (format) {
        case TImageFormat::Targa: ReadTarga(bytes, *this, alphaMask); break;
        case TImageFormat::Icon:
        case TImageFormat::Cursor: ReadIconImage(bytes, imageIndex, *this); break;
        case TImageFormat::Png: SurfaceFromRgba(DecodePng(bytes), *this); break;
        case TImageFormat::Bitmap: ReadBitmap(bytes, *this, alphaMask); break;
    }
    if (!alphaMask) FreeMask();
}

std::string TDIBSurface::SaveToBytes(TImageFormat format) const {
    if (width_ == 0 || height_ == 0) throw Error("an empty picture cannot be saved");
    switch (format) {
        case TImageFormat::Targa: return WriteTarga(*this);
        case TImageFormat::Icon:
        case TImageFormat::Cursor: return WriteIcon({TIconImage{this, 0, 0}}, format == TImageFormat::Cursor);
        case TImageFormat::Png: return EncodePng(RgbaFromSurface(*this));
        case TImageFormat::Bitmap: break;
    }
    return WriteBitmap(*this);
}

void TDIBSurface::LoadFromFile(const std::string& fileName, bool alphaMask, int imageIndex) {
    TMemoryStream file;
    file.LoadFromFile(fileName);
    LoadFromBytes(std::string(file.Bytes().begin(), file.Bytes().end()), ImageFormatOf(fileName), alphaMask,
                  imageIndex);
}

void TDIBSurface::SaveToFile(const std::string& fileName) const {
    const std::string bytes = SaveToBytes(ImageFormatOf(fileName));
    TMemoryStream file;
    file.Bytes().assign(bytes.begin(), bytes.end());
    file.SaveToFile(fileName);
}

}  // namespace qi
