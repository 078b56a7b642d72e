#include "ui/qt/launcher_window.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>

#include "ui/qt/dialog_frame.h"
#include "ui/qt/qt_text.h"

namespace qi {

namespace {

// The dialog's face with the title image painted on it.
QImage Background(const TDXPaintBox& box, const QColor& face) {
    TDIBSurface surface;
    surface.SetSize(box.Width, box.Height, 24);
    surface.FillRect(surface.GetBounds(), surface.ColorToPixel(face.red(), face.green(), face.blue()));
    PaintDXBox(surface, box);
    return ImageOf(surface);
}

}  // namespace

LauncherWindow::LauncherWindow(TFormStart& form, const TDXPaintBox& box) : form_(form) {
    setObjectName(QStringLiteral("FormStart"));
    setWindowFlags(kDialogFrame);
    setFont(WindowFont());
    setWindowTitle(QtText(form.Caption));
    setFixedSize(form.ClientWidth, form.ClientHeight);
    auto* paintBox = new PictureWidget(this, Background(box, palette().color(QPalette::Window)));
    paintBox->setObjectName(QStringLiteral("PaintBox"));
    paintBox->setGeometry(0, 0, form.ClientWidth, form.ClientHeight);
    // In tab order.
    AddButton(form.btnStart, "btnStart", [this] { form_.btnStartClick(form_.btnStart); });
    AddButton(form.btnInstall, "btnInstall", [this] { form_.btnStartClick(form_.btnInstall); });
    AddButton(form.btnDirectX, "btnDirectX", [this] { form_.btnDirectXClick(); });
    AddButton(form.btnWinMedia, "btnWinMedia", [this] { form_.btnWinMediaClick(); });
    AddButton(form.btnExit, "btnExit", [this] { form_.btnExitClick(); });
}

void LauncherWindow::AddButton(const PlacedControl& control, const char* name, const std::function<void()>& click) {
    auto* button = new QPushButton(QtText(control.Caption), this);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(control.Left, control.Top, control.Width, control.Height);
    button->setVisible(control.Visible);
    button->setEnabled(control.Enabled);
    connect(button, &QPushButton::clicked, this, [this, click] { Handle(click); });
}

void LauncherWindow::Handle(const std::function<void()>& action) {
    action();
    if (form_.ModalResult != TModalResult::mrNone) loop_.quit();
}

void LauncherWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Handle([this] { form_.Close(); });
}

LauncherChoice LauncherWindow::Run() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    loop_.exec();
    hide();
    return {form_.ModalResult == TModalResult::mrOk, form_.ChosenAction};
}

}  // namespace qi
