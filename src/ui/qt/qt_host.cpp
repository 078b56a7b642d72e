#include "ui/qt/qt_host.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <utility>

#include "app/window_pictures.h"
#include "ui/qt/backdrop_window.h"
#include "ui/qt/launcher_window.h"
#include "ui/qt/message_boxes.h"
#include "ui/qt/window_picture.h"
#include "ui/qt/wizard_window.h"

namespace qi {

namespace {

// Points at a window while it is shown.
template <typename T>
class Showing {
public:
    Showing(T*& slot, T* window) : slot_(slot), saved_(slot) { slot_ = window; }
    ~Showing() { slot_ = saved_; }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;

private:
    T*& slot_;
    T* saved_;
};

QSize ScreenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

}  // namespace

QtHost::QtHost(std::string programFile, bool realPauses, PictureRequest pictures)
    : programFile_(std::move(programFile)), realPauses_(realPauses), pictures_(std::move(pictures)) {}

TModalResult QtHost::RunWizard(TFormType& form, TVrFileCollection* archive) {
    TFormMain main(form.Settings());
    TDXPaintBox box;
    const QSize screen = ScreenSize();
    std::string problem = CreateBackdrop(main, box, form.Settings(), archive, screen.width(), screen.height());
    if (!problem.empty()) ShowErrorBox(window_, problem);
    BackdropWindow backdrop(main, box);
    backdrop.ShowCentred();
    SaveWindowPicture(backdrop, pictures_.BackdropFile);  // before the wizard covers it
    WizardWindow wizard(form, &backdrop, [this](const std::string& message) { ShowError(message); });
    Showing<QWidget> shownWindow(window_, &wizard);
    Showing<WizardWindow> shownWizard(wizard_, &wizard);
    return wizard.Run();
}

LauncherChoice QtHost::ShowLauncher(const TQuorInstallSet& settings, TVrFileCollection& archive) {
    TFormStart form(settings, programFile_,
                    [this](const std::string& file, const std::string& arguments) { return StartProgram(file, arguments); });
    TDXPaintBox box;
    std::string problem = CreateLauncher(form, box, settings, archive);
    if (!problem.empty()) ShowErrorBox(window_, problem);
    LauncherWindow launcher(form, box);
    SaveWindowPicture(launcher, pictures_.LauncherFile);
    Showing<QWidget> shown(window_, &launcher);
    return launcher.Run();
}

void QtHost::ShowError(const std::string& message) {
    failed_ = true;
    ShowErrorBox(window_, message);
}

TModalResult QtHost::MessageDlg(BoxReason reason, const std::string& text) {
    return AskMessageBox(window_, reason, text);
}

void QtHost::ProcessMessages() {
    if (wizard_) wizard_->Refresh();
    QCoreApplication::processEvents();
}

void QtHost::BringToFront() {
    if (!wizard_) return;
    wizard_->raise();
    wizard_->activateWindow();
}

void QtHost::Wait(unsigned milliseconds) {
    if (!realPauses_) return;
    if (wizard_) wizard_->Refresh();
    QEventLoop pause;
    QTimer::singleShot(static_cast<int>(milliseconds), &pause, &QEventLoop::quit);
    pause.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace qi
