#include "ui/qt/backdrop_window.h"

#include <QLabel>
#include <QGuiApplication>
#include <QScreen>

#include "ui/qt/qt_text.h"

namespace qi {

namespace {

QImage Background(const TFormMain& form, const TDXPaintBox& box) {
    TDIBSurface surface;
    RenderBackdrop(form, box, surface);
    return ImageOf(surface);
}

}  // namespace

BackdropWindow::BackdropWindow(const TFormMain& form, const TDXPaintBox& box) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    setWindowTitle(QtText(form.Caption));
    setFixedSize(form.ClientWidth, form.ClientHeight);
    auto* picture = new PictureWidget(this, Background(form, box));
    picture->setObjectName(QStringLiteral("PaintBox"));
    picture->setGeometry(0, 0, form.ClientWidth, form.ClientHeight);

    const PlacedControl& footer = form.LabelRight;
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("LabelRight"));
    label->setTextFormat(Qt::PlainText);
    label->setText(QtText(footer.Caption));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(footer.Left, footer.Top, footer.Width, footer.Height);
    label->setAutoFillBackground(true);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(colours);
}

void BackdropWindow::ShowCentred() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
    show();
    raise();
}

}  // namespace qi
