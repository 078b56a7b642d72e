#pragma once
// A window as a picture, its controls and texts included, the way the
// window paints itself.
#include <QWidget>
#include <string>

namespace qi {

// Saves the window as a PNG file; nothing when file is empty.
void SaveWindowPicture(QWidget& window, const std::string& file);

}  // namespace qi
