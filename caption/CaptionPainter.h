#pragma once

#include "caption/SubclassWnd.h"
#include "platform/Gdi.h"

#include <QString>

namespace kelvane {

// What the paint message's lParam points at while the owner draws a new
// caption image: its size, a memory device with the image selected ((0, 0)
// is the caption's top-left corner) and the state to draw.
struct CaptionPaintInfo
{
    int cx;
    int cy;
    CDC* pDC;
    BOOL bActive;
};

// Draws a window's caption bar from two cached images, one per activation
// state, each copied to the window in one block. A new image is drawn by the
// window itself, which gets the paint message given to Install (wParam the
// state, lParam a CaptionPaintInfo) and answers with DrawGradientCaption;
// the same message with 0, 0 tells it the system colours or settings
// changed. Without a paint message the system's caption is drawn.
class CCaptionPainter : public CSubclassWnd
{
public:
    CCaptionPainter() = default;
    ~CCaptionPainter() override;

    const char* GetRuntimeClass() const override { return "CCaptionPainter"; }

    BOOL Install(CWnd* pWnd, UINT nPaintMsg);
    // Brings the image of the current state up to date and copies it onto
    // the caption.
    void PaintCaption();
    // The paint routine for the window's paint-message handler: a black to
    // violet gradient (active) or the inactive caption colour, the icon, the
    // close button and " " + title in extra-bold italic Arial. With a null
    // record it drops the font, which the next paint makes anew.
    void DrawGradientCaption(BOOL bActive, CaptionPaintInfo* pInfo, QString title);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CBitmap m_bitmaps[2];  // 0 inactive, 1 active
    int m_cxCache = 0;     // the size the images were made for; 0, 0 discards them
    int m_cyCache = 0;
    UINT m_nPaintMessage = 0;
    CFont m_captionFont;
    BOOL m_bActive = FALSE;

protected:
    virtual void OnNcPaint(HRGN hRgn);
    virtual BOOL OnNcActivate(BOOL bActive);
    virtual void OnSetText(const char* text);

    void DrawDefaultCaption(CaptionPaintInfo* pInfo);
    // Each returns the width it takes from the text area.
    int DrawCaptionIcon(CaptionPaintInfo* pInfo);
    int DrawCaptionButtons(CaptionPaintInfo* pInfo);
    void CreateCaptionFont(int cy);

private:
    HWND Hwnd() const { return m_pHookedWnd ? m_pHookedWnd->GetSafeHwnd() : nullptr; }
    // Runs Default with WS_VISIBLE cleared from the window's style, so the
    // window's own handling draws nothing.
    void DefaultInvisible();
};

// The caption rectangle in window coordinates (origin: the window's outer
// top-left corner).
void GetCaptionRect(CWnd* pWnd, CRect& rc);
// 0 (black) to 240 (white).
int GetLuminosity(COLORREF color);
// Fills the rectangle with a solid colour.
void PaintRect(CDC& dc, int x, int y, int cx, int cy, COLORREF color);
// The active caption's background: violet on the right sixth, then bands
// falling off to black with the square of their distance from it.
void PaintCaptionGradient(CDC& dc, int cx, int cy);

} // namespace kelvane
