#pragma once
// The launcher on the medium as a window: the title image behind a column
// of buttons, laid out as the form model placed them.
#include <QDialog>
#include <QEventLoop>
#include <functional>

#include "app/setup_app.h"
#include "app/start_forms.h"
#include "app/title_image.h"

namespace qi {

class LauncherWindow : public QDialog {
public:
    // form: created, with its title image in box (CreateLauncher).
    LauncherWindow(TFormStart& form, const TDXPaintBox& box);
    // Shows the launcher, centred on the desktop, until a button or the
    // close box ends it.
    LauncherChoice Run();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape: the launcher has no cancel button.
    void reject() override {}

private:
    void AddButton(const PlacedControl& control, const char* name, const std::function<void()>& click);
    void Handle(const std::function<void()>& action);

    TFormStart& form_;
    QEventLoop loop_;
};

}  // namespace qi
