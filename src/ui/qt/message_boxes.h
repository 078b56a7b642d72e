#pragma once
// The toolkit's message boxes: a question or note of the kind and with the
// buttons its reason gives, and the error box.
#include <QWidget>
#include <string>

#include "wizard/form_controls.h"

namespace qi {

// Modal over owner (none: over the desktop); the button pressed. Closing
// the box answers as its safest button: No, Abort, or OK.
TModalResult AskMessageBox(QWidget* owner, BoxReason reason, const std::string& text);
void ShowErrorBox(QWidget* owner, const std::string& message);

}  // namespace qi
