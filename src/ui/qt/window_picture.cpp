#include "ui/qt/window_picture.h"

#include <QImage>
#include <QPixmap>
#include <cstring>

#include "ui/pictures/picture_host.h"

namespace qi {

void SaveWindowPicture(QWidget& window, const std::string& file) {
    if (file.empty()) return;
    const QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGBA8888);
    RgbaImage picture{image.width(), image.height(), false, {}};
    const size_t row = static_cast<size_t>(picture.Width) * 4;
    picture.Pixels.resize(row * static_cast<size_t>(picture.Height));
    for (int y = 0; y < picture.Height; ++y) std::memcpy(&picture.Pixels[row * static_cast<size_t>(y)], image.constScanLine(y), row);
    SaveRgbaAsPng(file, picture);
}

}  // namespace qi
