#include "CaptionPainter.h"

#include <algorithm>

namespace kelvane {

CCaptionPainter::~CCaptionPainter()
{
    m_captionFont.DeleteObject();
    m_bitmaps[0].DeleteObject();
    m_bitmaps[1].DeleteObject();
}

BOOL CCaptionPainter::Install(CWnd* pWnd, UINT nPaintMsg)
{
    m_nPaintMessage = nPaintMsg;
    HookWindow(pWnd);
    return TRUE;
}

LRESULT CCaptionPainter::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETTEXT:
        OnSetText(reinterpret_cast<const char*>(lParam));
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        m_cxCache = m_cyCache = 0;
        if (m_nPaintMessage)
            SendMessageA(Hwnd(), m_nPaintMessage, 0, 0);
        return CSubclassWnd::WindowProc(msg, wParam, lParam);
    case WM_NCPAINT:
        OnNcPaint(HRGN(wParam));
        return 0;
    case WM_NCACTIVATE:
        return OnNcActivate(wParam != 0);
    default:
        return CSubclassWnd::WindowProc(msg, wParam, lParam);
    }
}

void GetCaptionRect(CWnd* pWnd, CRect& rc)
{
    const HWND hwnd = pWnd->GetSafeHwnd();
    const DWORD style = DWORD(GetWindowLongA(hwnd, GWL_STYLE));
    const bool thick = style & WS_THICKFRAME;
    const int fx = GetSystemMetrics(thick ? SM_CXFRAME : SM_CXDLGFRAME);
    const int fy = GetSystemMetrics(thick ? SM_CYFRAME : SM_CYDLGFRAME);
    RECT window;
    GetWindowRect(hwnd, &window);
    const int w = window.right - window.left;
    rc = CRect(fx, fy, w - fx, fy + GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYBORDER));
}

void CCaptionPainter::OnNcPaint(HRGN hRgn)
{
    const HWND hwnd = Hwnd();
    RECT window;
    GetWindowRect(hwnd, &window);
    CRect rc;
    GetCaptionRect(m_pHookedWnd, rc);
    rc.OffsetRect(window.left, window.top);

    // 0 or 1 in the low word: the whole window.
    const bool whole = (hRgn & 0xFFFF) <= 1;
    if (!whole && !RectInRegion(hRgn, &rc)) {
        Default();
        return;
    }

    const HRGN rgnCaption = CreateRectRgnIndirect(&rc);
    const HRGN rgnNew = CreateRectRgnIndirect(&rc);
    if (!whole) {
        CombineRgn(rgnNew, hRgn, rgnCaption, RGN_DIFF);
    } else {
        const HRGN rgnAll = CreateRectRgnIndirect(&window);
        CombineRgn(rgnNew, rgnAll, rgnCaption, RGN_DIFF);
        DeleteObject(rgnAll);
    }

    // The window paints everything but the caption.
    MSG* msg = AfxGetCurrentMessage();
    const WPARAM savedParam = msg->wParam;
    msg->wParam = rgnNew;
    Default();
    DeleteObject(rgnCaption);
    DeleteObject(rgnNew);
    msg->wParam = savedParam;

    PaintCaption();
}

void CCaptionPainter::DefaultInvisible()
{
    const HWND hwnd = Hwnd();
    const DWORD style = DWORD(GetWindowLongA(hwnd, GWL_STYLE));
    if (style & WS_VISIBLE)
        SetWindowLongA(hwnd, GWL_STYLE, LONG_PTR(style & ~WS_VISIBLE));
    Default();
    if (style & WS_VISIBLE)
        SetWindowLongA(hwnd, GWL_STYLE, LONG_PTR(style));
}

BOOL CCaptionPainter::OnNcActivate(BOOL bActive)
{
    const HWND hwnd = Hwnd();
    if (!IsWindowEnabled(hwnd))
        bActive = FALSE;
    if (bActive == m_bActive)
        return TRUE;
    AfxGetCurrentMessage()->wParam = WPARAM(bActive);
    DefaultInvisible();
    m_bActive = bActive;
    SendMessageA(hwnd, WM_NCPAINT, 0, 0);
    return TRUE;
}

void CCaptionPainter::OnSetText(const char*)
{
    DefaultInvisible();
    SendMessageA(Hwnd(), WM_NCPAINT, 0, 0);
    m_cxCache = m_cyCache = 0;
    PaintCaption();
}

void CCaptionPainter::PaintCaption()
{
    const HWND hwnd = Hwnd();
    if (!hwnd || IsIconic(hwnd))
        return;
    CWindowDC dc(m_pHookedWnd);
    CDC dcMem;
    dcMem.CreateCompatibleDC(&dc);

    CRect rc;
    GetCaptionRect(m_pHookedWnd, rc);
    const int w = rc.Width();
    const int h = rc.Height();
    if (w != m_cxCache || h != m_cyCache) {
        m_bitmaps[0].DeleteObject();
        m_bitmaps[1].DeleteObject();
        m_cxCache = w;
        m_cyCache = h;
    }

    CBitmap& bm = m_bitmaps[m_bActive ? 1 : 0];
    const bool isNew = !bm.GetSafeHandle();
    if (isNew)
        bm.CreateCompatibleBitmap(&dc, w, h);
    CBitmap* pOldBitmap = dcMem.SelectObject(&bm);
    if (isNew) {
        CaptionPaintInfo info{w, h, &dcMem, m_bActive};
        if (m_nPaintMessage)
            SendMessageA(hwnd, m_nPaintMessage, WPARAM(m_bActive), reinterpret_cast<LPARAM>(&info));
        else
            DrawDefaultCaption(&info);
    }
    dc.BitBlt(rc.left, rc.top, w, h, &dcMem, 0, 0, SRCCOPY);
    dcMem.SelectObject(pOldBitmap);
    dcMem.DeleteDC();
}

void CCaptionPainter::DrawDefaultCaption(CaptionPaintInfo* pInfo)
{
    const RECT rc{0, 0, pInfo->cx, pInfo->cy};
    DrawCaption(Hwnd(), pInfo->pDC, &rc, DC_ICON | DC_TEXT | (pInfo->bActive ? UINT(DC_ACTIVE) : 0u));
    DrawCaptionButtons(pInfo);
}

void CCaptionPainter::DrawGradientCaption(BOOL bActive, CaptionPaintInfo* pInfo, QString title)
{
    if (!pInfo) {
        m_captionFont.DeleteObject();
        return;
    }
    CDC& dc = *pInfo->pDC;
    if (bActive)
        PaintCaptionGradient(dc, pInfo->cx, pInfo->cy);
    else
        PaintRect(dc, 0, 0, pInfo->cx, pInfo->cy, GetSysColor(COLOR_INACTIVECAPTION));

    const int cxIcon = DrawCaptionIcon(pInfo);
    const int cxButtons = DrawCaptionButtons(pInfo);
    const QString text = QStringLiteral(" ") + title;
    if (!m_captionFont.GetSafeHandle())
        CreateCaptionFont(pInfo->cy);

    CRect rc(cxIcon + 2, 0, pInfo->cx - cxButtons, pInfo->cy);
    dc.SetBkMode(TRANSPARENT);
    CFont* pOldFont = dc.SelectObject(&m_captionFont);
    if (rc.right > rc.left) {
        COLORREF color = GetSysColor(bActive ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
        if (bActive && GetLuminosity(color) < 90)
            color = RGB(255, 255, 255);
        dc.SetTextColor(color);
        dc.DrawText(text, &rc, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
    dc.SelectObject(pOldFont);
}

void PaintCaptionGradient(CDC& dc, int cx, int cy)
{
    const int xSolid = (5 * cx) / 6;
    const int w = std::max(xSolid / 64, 1);
    PaintRect(dc, xSolid, 0, cx - xSolid, cy, RGB(200, 0, 255));

    // Products in 64 bits: a wide caption's j * j * 255 would not fit in 32.
    int x = xSolid;
    if (xSolid > w) {
        const long long d = static_cast<long long>(xSolid) * xSolid;
        long long j = 0;
        do {
            j += w;
            x -= w;
            const int r = 200 - int(200 * j * j / d);
            const int b = 255 - int(255 * j * j / d);
            PaintRect(dc, x, 0, w, cy, RGB(r, 0, b));
        } while (x > w);
    }
    PaintRect(dc, 0, 0, x, cy, RGB(0, 0, 0));
}

int GetLuminosity(COLORREF color)
{
    const int r = GetRValue(color);
    const int g = GetGValue(color);
    const int b = GetBValue(color);
    const int largest = std::max({r, g, b});
    const int smallest = std::min({r, g, b});
    return ((largest + smallest) * 240 + 255) / 510;
}

void PaintRect(CDC& dc, int x, int y, int cx, int cy, COLORREF color)
{
    CBrush brush;
    brush.CreateSolidBrush(color);
    CBrush* pOldBrush = dc.SelectObject(&brush);
    dc.PatBlt(x, y, cx, cy, PATCOPY);
    dc.SelectObject(pOldBrush);
    brush.DeleteObject();
}

void CCaptionPainter::CreateCaptionFont(int cy)
{
    m_captionFont.CreateFontA(cy - 1, 0, 0, 0, 800, TRUE, FALSE, FALSE, 0, 0, 0, 0, 0, "Arial");
}

int CCaptionPainter::DrawCaptionIcon(CaptionPaintInfo* pInfo)
{
    const int cxSize = GetSystemMetrics(SM_CXSIZE);
    const int cySize = GetSystemMetrics(SM_CYSIZE);
    const auto icon = reinterpret_cast<HICON>(SendMessageA(Hwnd(), WM_GETICON, ICON_SMALL, 0));
    DrawIconEx(pInfo->pDC, 2, 1, icon, cxSize - 2, cySize - 2, DI_NORMAL);
    return cxSize;
}

int CCaptionPainter::DrawCaptionButtons(CaptionPaintInfo* pInfo)
{
    const HWND hwnd = Hwnd();
    const DWORD style = DWORD(GetWindowLongA(hwnd, GWL_STYLE));
    if (!(style & WS_CAPTION))
        return 0;
    const int cxSize = GetSystemMetrics(SM_CXSIZE);
    const int cySize = GetSystemMetrics(SM_CYSIZE);
    CRect rc(pInfo->cx - cxSize, 2, pInfo->cx - 2, cySize - 2);
    DrawFrameControl(pInfo->pDC, &rc, DFC_CAPTION, DFCS_CAPTIONCLOSE);

    const DWORD exStyle = DWORD(GetWindowLongA(hwnd, GWL_EXSTYLE));
    if ((style & WS_MAXIMIZEBOX) || (exStyle & WS_EX_CONTEXTHELP)) {
        rc.OffsetRect(-cxSize, 0);
        const UINT state = !(style & WS_MAXIMIZEBOX) ? DFCS_CAPTIONHELP
                           : IsZoomed(hwnd)          ? DFCS_CAPTIONRESTORE
                                                     : DFCS_CAPTIONMAX;
        DrawFrameControl(pInfo->pDC, &rc, DFC_CAPTION, state);
    }
    if (style & WS_MINIMIZEBOX) {
        rc.OffsetRect(-(cxSize - 2), 0);
        DrawFrameControl(pInfo->pDC, &rc, DFC_CAPTION, DFCS_CAPTIONMIN);
    }
    return pInfo->cx - rc.left - 2;
}

} // namespace kelvane
