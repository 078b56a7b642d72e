#include "ui/qt/qt_text.h"

#include <QPainter>

#include "image/png.h"
#include "platform/error.h"
#include "ui/console_text.h"

namespace qi {

QString QtText(const std::string& text) {
    QString shown = QString::fromStdString(ShownText(text));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

std::optional<std::string> ModelText(const QString& text) {
    try {
        return CoreText(text.toStdString());
    } catch (const Error&) {
        return std::nullopt;
    }
}

QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
    font.setPixelSize(12);
    return font;
}

QImage ImageOf(const TDIBSurface& surface) {
    RgbaImage rgba = RgbaFromSurface(surface);
    if (rgba.Width <= 0 || rgba.Height <= 0) return {};
    return QImage(rgba.Pixels.data(), rgba.Width, rgba.Height, rgba.Width * 4, QImage::Format_RGBA8888)
        .convertToFormat(QImage::Format_RGB32);
}

PictureWidget::PictureWidget(QWidget* parent, QImage picture) : QWidget(parent), picture_(std::move(picture)) {}

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

}  // namespace qi
