#pragma once

#include "platform/Platform.h"

#include <QRect>
#include <QSize>

#include "platform/NoWindowsMacros.h"  // after every other include

namespace kelvane::win {

// Dialog units of the program's dialog templates, converted to pixels with
// fixed base units of 6 x 13 pixels (at 96 DPI; Qt's device pixel ratio
// takes care of denser screens). Horizontal units are quarters of the base
// width, vertical units eighths of the base height; every edge is converted
// on its own and rounded to the nearest pixel, halves away from zero.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

int DluToPixelsX(int x);
int DluToPixelsY(int y);

// The pixel rectangle of a template rectangle at (x, y) of size (cx, cy).
QRect MapDialogRect(int x, int y, int cx, int cy);
// The pixel size of a dialog's client area of cx x cy units.
QSize MapDialogSize(int cx, int cy);

} // namespace kelvane::win
