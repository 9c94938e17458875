#include "SystemMetrics.h"

#include "WindowFrame.h"

#include <map>

namespace kelvane::win {

namespace {

// Colours changed by SetSysColors, over the standard scheme.
std::map<int, COLORREF>& ChangedColors()
{
    static std::map<int, COLORREF> colors;
    return colors;
}

COLORREF StandardColor(int index)
{
    switch (index) {
    case COLOR_ACTIVECAPTION:
        return RGB(0, 0, 128);
    case COLOR_INACTIVECAPTION:
    case COLOR_3DSHADOW:
        return RGB(128, 128, 128);
    case COLOR_CAPTIONTEXT:
    case COLOR_3DHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_3DFACE:
    case COLOR_3DLIGHT:
    case COLOR_INACTIVECAPTIONTEXT:
        return RGB(192, 192, 192);
    default:  // COLOR_BTNTEXT, COLOR_3DDKSHADOW
        return RGB(0, 0, 0);
    }
}

}  // namespace

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CYCAPTION:
        return 19;
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    default:
        return 0;
    }
}

COLORREF GetSysColor(int index)
{
    const auto it = ChangedColors().find(index);
    return it != ChangedColors().end() ? it->second : StandardColor(index);
}

bool SetSysColors(int count, const int* elements, const COLORREF* values)
{
    for (int i = 0; i < count; ++i)
        ChangedColors()[elements[i]] = values[i];
    CWindowFrame::Broadcast(WM_SYSCOLORCHANGE);
    return true;
}

} // namespace kelvane::win
