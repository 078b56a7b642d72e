#pragma once
// The frame of the launcher and the wizard: a fixed-size dialog whose title
// bar offers a close box only. Without CustomizeWindowHint a window manager
// would add its minimise and maximise buttons.
#include <QtCore/qnamespace.h>

namespace qi {

inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

}  // namespace qi
