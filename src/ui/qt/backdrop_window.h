#pragma once
// The backdrop behind the wizard as a window: the gradient, the title image
// and the footer line, sized for the screen by the form model.
#include <QCloseEvent>
#include <QWidget>

#include "app/start_forms.h"
#include "app/title_image.h"

namespace qi {

class BackdropWindow : public QWidget {
public:
    // form: created, with its title image in box (CreateBackdrop).
    BackdropWindow(const TFormMain& form, const TDXPaintBox& box);
    // Shows the window centred on the desktop.
    void ShowCentred();

protected:
    // The backdrop goes when the wizard is done, not before.
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace qi
