#pragma once

// Regions and device contexts: drawing onto a window's whole area (non-
// client area included) and onto memory devices with compatible bitmaps,
// which are images at the window's device pixel ratio.

#include "platform/Platform.h"
#include "platform/SystemMetrics.h"
#include "platform/WindowProc.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>

#include <memory>

#include "platform/NoWindowsMacros.h"  // after every other include

namespace kelvane::win {

// Regions, by handle. A handle's low 16 bits are never 0 or 1, which
// WM_NCPAINT uses for "the whole window".
using HRGN = std::uintptr_t;
enum : int
{
    RGN_AND = 1,
    RGN_OR = 2,
    RGN_DIFF = 4,
    RGN_COPY = 5,
};
enum : int
{
    ERROR = 0,
    NULLREGION = 1,
    SIMPLEREGION = 2,
    COMPLEXREGION = 3,
};
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateRgnFromQRegion(const QRegion& region);
// Combines a and b (b unused for RGN_COPY) into dst; returns the kind of the result.
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
BOOL RectInRegion(HRGN region, const RECT* rect);
BOOL DeleteObject(HRGN region);
// The region of a live handle; empty for any other value.
QRegion RegionOf(HRGN region);

enum : DWORD
{
    SRCCOPY = 0x00CC0020,
    PATCOPY = 0x00F00021,
};
enum : int
{
    TRANSPARENT = 1,
    OPAQUE = 2,
};
enum : UINT
{
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_SINGLELINE = 0x0020,
    DT_END_ELLIPSIS = 0x8000,
};
enum : UINT
{
    DI_NORMAL = 3,
};
enum : UINT
{
    DFC_CAPTION = 1,
    DFCS_CAPTIONCLOSE = 0,
    DFCS_CAPTIONMIN = 1,
    DFCS_CAPTIONMAX = 2,
    DFCS_CAPTIONRESTORE = 3,
    DFCS_CAPTIONHELP = 4,
};
enum : UINT
{
    DC_ACTIVE = 1,
    DC_ICON = 4,
    DC_TEXT = 8,
};

class CDC;

// A bitmap compatible with a device: an image at that device's pixel ratio.
class CBitmap
{
public:
    BOOL CreateCompatibleBitmap(CDC* pDC, int cx, int cy);
    BOOL DeleteObject();
    const QImage* GetSafeHandle() const { return m_image.isNull() ? nullptr : &m_image; }
    QImage& Image() { return m_image; }

private:
    QImage m_image;
};

class CBrush
{
public:
    BOOL CreateSolidBrush(COLORREF color);
    BOOL DeleteObject();
    bool IsEmpty() const { return !m_bCreated; }
    COLORREF Color() const { return m_color; }

private:
    COLORREF m_color = 0;
    bool m_bCreated = false;
};

class CFont
{
public:
    // Height > 0 is a cell height (ascent + descent), < 0 a character height,
    // 0 a default; weight 100-900; the face by name.
    BOOL CreateFontA(int height, int width, int escapement, int orientation, int weight,
                     BOOL italic, BOOL underline, BOOL strikeOut, int charSet, int outPrecision,
                     int clipPrecision, int quality, int pitchAndFamily, const char* face);
    BOOL DeleteObject();
    const QFont* GetSafeHandle() const { return m_bCreated ? &m_font : nullptr; }

private:
    QFont m_font;
    bool m_bCreated = false;
};

// A device context: a painter on the bitmap selected into a memory device,
// or on a window's whole area (CWindowDC).
class CDC
{
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    qreal DevicePixelRatio() const { return m_dpr; }

    // Each returns the object that was selected before.
    CBitmap* SelectObject(CBitmap* bitmap);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);

    // PATCOPY only: fills with the selected brush.
    BOOL PatBlt(int x, int y, int cx, int cy, DWORD rop);
    // SRCCOPY only.
    BOOL BitBlt(int x, int y, int cx, int cy, CDC* src, int xSrc, int ySrc, DWORD rop);
    int SetBkMode(int mode);
    COLORREF SetBkColor(COLORREF color);
    COLORREF SetTextColor(COLORREF color);
    // DT_LEFT/CENTER/RIGHT, DT_VCENTER/BOTTOM, DT_SINGLELINE, DT_END_ELLIPSIS.
    int DrawText(const QString& text, RECT* rect, UINT format);

    // The painter of the current target (null before a bitmap is selected).
    QPainter* Painter() { return m_painter.isActive() ? &m_painter : nullptr; }

protected:
    void BeginOn(QImage* target, qreal dpr);
    void End();

private:
    QPainter m_painter;
    QImage* m_target = nullptr;
    qreal m_dpr = 1.0;
    CBitmap m_stockBitmap;
    CBitmap* m_pBitmap = nullptr;
    CBrush m_stockBrush;
    CBrush* m_pBrush = nullptr;
    CFont m_stockFont;
    CFont* m_pFont = nullptr;
    COLORREF m_textColor = 0;
    COLORREF m_bkColor = RGB(255, 255, 255);
    int m_bkMode = OPAQUE;
    bool m_bMemory = false;
};

// The whole window, non-client area included, (0, 0) its outer top-left.
// The window shows what was drawn once the device is released.
class CWindowDC : public CDC
{
public:
    explicit CWindowDC(CWnd* pWnd);
    explicit CWindowDC(HWND hwnd);
    ~CWindowDC() override;

private:
    HWND m_hWnd;
};

// The classic raised edge over r (light and highlight at the top left, dark
// shadow and shadow at the bottom right) with the 3-D face inside.
void DrawRaisedEdge(QPainter* p, const QRect& r);
BOOL DrawIconEx(CDC* pDC, int x, int y, HICON icon, int cx, int cy, UINT flags);
// A classic raised caption button with its glyph, in its plain state.
BOOL DrawFrameControl(CDC* pDC, RECT* rect, UINT type, UINT state);
// The system's caption: the caption colour, the small icon, the title in bold.
BOOL DrawCaption(HWND hwnd, CDC* pDC, const RECT* rect, UINT flags);

} // namespace kelvane::win
