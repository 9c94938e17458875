#include "SystemMetrics.h"

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
