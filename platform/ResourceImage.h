#pragma once

#include "platform/Platform.h"

#include <QPixmap>
#include <QString>

#include "platform/NoWindowsMacros.h"  // after every other include

namespace kelvane::win {

// An image compiled into the program (":/res/<file>"), read by the decoder
// that its suffix names (bmp, png). Left to itself Qt would first ask every
// installed image plugin whether it can read the file, loading each of them
// (and their libraries) during start-up. A null pixmap when it cannot be read.
QPixmap LoadResourcePixmap(const QString& path);

} // namespace kelvane::win
