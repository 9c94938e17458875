#pragma once

#include "platform/Platform.h"

#include <QIcon>
#include <QPixmap>
#include <QString>

#include "platform/NoWindowsMacros.h"  // after every other include

namespace kelvane::win {

// An image compiled into the program (":/res/<file>"), read by the decoder
// that its suffix names (bmp, png). Left to itself Qt would first ask every
// installed image plugin whether it can read the file, loading each of them
// (and their libraries) during start-up. A null pixmap when it cannot be read.
QPixmap LoadResourcePixmap(const QString& path);

// `icon` (images of different sizes, none scaled) as the window system gets
// each image at its own size whatever the scale factor: Qt hands a window's
// icon over as pixmap(size) for each available size, which at a device
// pixel ratio of 2 would give 32 for 16 and 256 for both 128 and 256. Its
// available sizes are the images' sizes over the application's device pixel
// ratio, and pixmap() gives the image nearest in size, unscaled; drawn, it
// uses the smallest image at least as large as the device pixels it covers.
QIcon IconAtPixelSizes(const QIcon& icon);

} // namespace kelvane::win
