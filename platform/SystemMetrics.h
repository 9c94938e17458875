#pragma once

// System metrics and colours: the sizes of frames, captions and caption
// buttons at 96 DPI (logical pixels; the device pixel ratio does the rest)
// and the classic Windows standard colour scheme.

#include "platform/Platform.h"

#include <QColor>

#include <cstdint>

#include "platform/NoWindowsMacros.h"  // after every other include

namespace kelvane::win {

using COLORREF = std::uint32_t;

// Red in bits 0-7, green in 8-15, blue in 16-23.
constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | COLORREF(g & 0xFF) << 8 | COLORREF(b & 0xFF) << 16;
}
constexpr int GetRValue(COLORREF c) { return int(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return int(c >> 8 & 0xFF); }
constexpr int GetBValue(COLORREF c) { return int(c >> 16 & 0xFF); }
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

enum : int
{
    SM_CYCAPTION = 4,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CXSIZE = 30,
    SM_CYSIZE = 31,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_CXSMICON = 49,
    SM_CYSMICON = 50,
};

enum : int
{
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_CAPTIONTEXT = 9,
    COLOR_3DFACE = 15,
    COLOR_3DSHADOW = 16,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_3DHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
};

// 0 for an index the program does not know.
int GetSystemMetrics(int index);
COLORREF GetSysColor(int index);
// Changes system colours for the whole program; every window with a frame
// drawn by the program gets WM_SYSCOLORCHANGE.
bool SetSysColors(int count, const int* elements, const COLORREF* values);

} // namespace kelvane::win
