#include "DialogUnits.h"

namespace kelvane::win {

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    const long long q = p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c);
    return static_cast<int>(q);
}

}  // namespace

int DluToPixelsX(int x)
{
    return MulDiv(x, kBaseUnitX, 4);
}

int DluToPixelsY(int y)
{
    return MulDiv(y, kBaseUnitY, 8);
}

QRect MapDialogRect(int x, int y, int cx, int cy)
{
    const int left = DluToPixelsX(x);
    const int top = DluToPixelsY(y);
    const int right = DluToPixelsX(x + cx);
    const int bottom = DluToPixelsY(y + cy);
    return QRect(left, top, right - left, bottom - top);
}

QSize MapDialogSize(int cx, int cy)
{
    return QSize(DluToPixelsX(cx), DluToPixelsY(cy));
}

} // namespace kelvane::win
