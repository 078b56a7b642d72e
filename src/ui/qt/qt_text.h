#pragma once
// Where the models meet Qt: their code page 932 texts as QString and typed
// text back, the windows' font, and a pixel surface as a picture widget.
#include <QImage>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>

#include "image/dib_surface.h"

namespace qi {

// A model's text as a widget shows it (CR LF line breaks as Qt's).
QString QtText(const std::string& text);
// Typed text in the models' code page; an absolute Linux path stands for the
// Windows path it maps to. None when the code page cannot hold it.
std::optional<std::string> ModelText(const QString& text);

// "ＭＳ Ｐゴシック" at 12 pixels where it is installed, else a Japanese
// Gothic face of the system.
QFont WindowFont();

QImage ImageOf(const TDIBSurface& surface);

// A widget that paints a picture at its top-left corner (the windows'
// background under their controls).
class PictureWidget : public QWidget {
public:
    PictureWidget(QWidget* parent, QImage picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace qi
