#include "Gdi.h"

#include "WindowFrame.h"

#include <QFontMetrics>
#include <QIcon>
#include <QWidget>

#include <unordered_map>

namespace kelvane::win {

namespace {

QRect ToQRect(const RECT& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

struct RegionTable
{
    std::unordered_map<HRGN, QRegion> regions;
    HRGN next = 2;
};

RegionTable& Regions()
{
    static RegionTable table;
    return table;
}

}  // namespace

HRGN CreateRgnFromQRegion(const QRegion& region)
{
    RegionTable& t = Regions();
    while ((t.next & 0xFFFF) <= 1 || t.regions.count(t.next))
        ++t.next;
    const HRGN h = t.next++;
    t.regions.emplace(h, region);
    return h;
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return CreateRgnFromQRegion(QRegion(ToQRect(*rect)));
}

QRegion RegionOf(HRGN region)
{
    const auto it = Regions().regions.find(region);
    return it == Regions().regions.end() ? QRegion() : it->second;
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode)
{
    auto& regions = Regions().regions;
    const auto it = regions.find(dst);
    if (it == regions.end() || !regions.count(a) || (mode != RGN_COPY && !regions.count(b)))
        return ERROR;
    const QRegion ra = regions[a];
    switch (mode) {
    case RGN_AND:
        it->second = ra.intersected(regions[b]);
        break;
    case RGN_OR:
        it->second = ra.united(regions[b]);
        break;
    case RGN_DIFF:
        it->second = ra.subtracted(regions[b]);
        break;
    case RGN_COPY:
        it->second = ra;
        break;
    default:
        return ERROR;
    }
    if (it->second.isEmpty())
        return NULLREGION;
    return it->second.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL RectInRegion(HRGN region, const RECT* rect)
{
    return RegionOf(region).intersects(ToQRect(*rect)) ? TRUE : FALSE;
}

BOOL DeleteObject(HRGN region)
{
    return Regions().regions.erase(region) ? TRUE : FALSE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int cx, int cy)
{
    if (cx <= 0 || cy <= 0)
        return FALSE;
    const qreal dpr = pDC ? pDC->DevicePixelRatio() : 1.0;
    m_image = QImage(QSize(qCeil(cx * dpr), qCeil(cy * dpr)), QImage::Format_RGB32);
    m_image.setDevicePixelRatio(dpr);
    m_image.fill(Qt::black);
    return TRUE;
}

BOOL CBitmap::DeleteObject()
{
    const bool had = !m_image.isNull();
    m_image = QImage();
    return had ? TRUE : FALSE;
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    m_color = color;
    m_bCreated = true;
    return TRUE;
}

BOOL CBrush::DeleteObject()
{
    const bool had = m_bCreated;
    m_bCreated = false;
    return had ? TRUE : FALSE;
}

BOOL CFont::CreateFontA(int height, int, int, int, int weight, BOOL italic, BOOL underline,
                        BOOL strikeOut, int, int, int, int, int, const char* face)
{
    m_font = QFont(QString::fromLatin1(face));
    m_font.setWeight(QFont::Weight(qBound(100, weight ? weight : 400, 900)));
    m_font.setItalic(italic);
    m_font.setUnderline(underline);
    m_font.setStrikeOut(strikeOut);
    if (height < 0) {
        m_font.setPixelSize(-height);
    } else if (height > 0) {
        // A cell height: the largest character height whose cell fits.
        int pixels = height;
        m_font.setPixelSize(pixels);
        while (pixels > 1 && QFontMetrics(m_font).height() > height)
            m_font.setPixelSize(--pixels);
    }
    m_bCreated = true;
    return TRUE;
}

BOOL CFont::DeleteObject()
{
    const bool had = m_bCreated;
    m_bCreated = false;
    return had ? TRUE : FALSE;
}

CDC::CDC()
{
    m_stockBrush.CreateSolidBrush(RGB(255, 255, 255));
    m_pBrush = &m_stockBrush;
    m_pFont = &m_stockFont;
}

CDC::~CDC()
{
    End();
}

void CDC::BeginOn(QImage* target, qreal dpr)
{
    End();
    m_target = target;
    m_dpr = dpr;
    if (m_target && !m_target->isNull())
        m_painter.begin(m_target);
}

void CDC::End()
{
    if (m_painter.isActive())
        m_painter.end();
    m_target = nullptr;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    m_bMemory = true;
    m_dpr = pDC ? pDC->DevicePixelRatio() : 1.0;
    m_stockBitmap.CreateCompatibleBitmap(this, 1, 1);
    m_pBitmap = &m_stockBitmap;
    BeginOn(&m_stockBitmap.Image(), m_dpr);
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    End();
    m_pBitmap = nullptr;
    m_bMemory = false;
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    if (!m_bMemory || !bitmap || !bitmap->GetSafeHandle())
        return nullptr;
    CBitmap* old = m_pBitmap;
    m_pBitmap = bitmap;
    BeginOn(&bitmap->Image(), bitmap->Image().devicePixelRatio());
    return old;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    CBrush* old = m_pBrush;
    m_pBrush = brush ? brush : &m_stockBrush;
    return old;
}

CFont* CDC::SelectObject(CFont* font)
{
    CFont* old = m_pFont;
    m_pFont = font ? font : &m_stockFont;
    return old;
}

BOOL CDC::PatBlt(int x, int y, int cx, int cy, DWORD rop)
{
    if (rop != PATCOPY || !Painter() || m_pBrush->IsEmpty())
        return FALSE;
    m_painter.fillRect(QRect(x, y, cx, cy), ToQColor(m_pBrush->Color()));
    return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int cx, int cy, CDC* src, int xSrc, int ySrc, DWORD rop)
{
    if (rop != SRCCOPY || !Painter() || !src || !src->m_target)
        return FALSE;
    const qreal dpr = src->m_dpr;
    const QRectF from(xSrc * dpr, ySrc * dpr, cx * dpr, cy * dpr);
    m_painter.setCompositionMode(QPainter::CompositionMode_Source);
    m_painter.drawImage(QRectF(x, y, cx, cy), *src->m_target, from);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    return TRUE;
}

int CDC::SetBkMode(int mode)
{
    return std::exchange(m_bkMode, mode);
}

COLORREF CDC::SetBkColor(COLORREF color)
{
    return std::exchange(m_bkColor, color);
}

COLORREF CDC::SetTextColor(COLORREF color)
{
    return std::exchange(m_textColor, color);
}

int CDC::DrawText(const QString& text, RECT* rect, UINT format)
{
    if (!Painter())
        return 0;
    const QFont font = m_pFont->GetSafeHandle() ? *m_pFont->GetSafeHandle() : QFont();
    m_painter.setFont(font);
    const QFontMetrics fm(font, m_painter.device());
    const QRect r = ToQRect(*rect);
    const QString shown =
        format & DT_END_ELLIPSIS ? fm.elidedText(text, Qt::ElideRight, r.width()) : text;
    int flags = format & DT_CENTER ? Qt::AlignHCenter
                : format & DT_RIGHT ? Qt::AlignRight
                                    : Qt::AlignLeft;
    flags |= format & DT_VCENTER ? Qt::AlignVCenter : format & DT_BOTTOM ? Qt::AlignBottom
                                                                         : Qt::AlignTop;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    m_painter.save();
    m_painter.setClipRect(r);
    if (m_bkMode == OPAQUE)
        m_painter.fillRect(m_painter.boundingRect(r, flags, shown), ToQColor(m_bkColor));
    m_painter.setPen(ToQColor(m_textColor));
    m_painter.drawText(r, flags, shown);
    m_painter.restore();
    return fm.height();
}

CWindowDC::CWindowDC(CWnd* pWnd) : CWindowDC(pWnd ? pWnd->GetSafeHwnd() : nullptr)
{
}

CWindowDC::CWindowDC(HWND hwnd) : m_hWnd(hwnd)
{
    if (CWindowFrame* frame = CWindowFrame::Find(hwnd))
        BeginOn(&frame->Surface(), frame->Surface().devicePixelRatio());
}

CWindowDC::~CWindowDC()
{
    End();
    if (CWindowFrame* frame = CWindowFrame::Find(m_hWnd))
        frame->SurfaceChanged();
}

void DrawRaisedEdge(QPainter* p, const QRect& r)
{
    p->fillRect(r, ToQColor(GetSysColor(COLOR_3DDKSHADOW)));
    p->fillRect(r.adjusted(0, 0, -1, -1), ToQColor(GetSysColor(COLOR_3DLIGHT)));
    p->fillRect(r.adjusted(1, 1, -1, -1), ToQColor(GetSysColor(COLOR_3DSHADOW)));
    p->fillRect(r.adjusted(1, 1, -2, -2), ToQColor(GetSysColor(COLOR_3DHIGHLIGHT)));
    p->fillRect(r.adjusted(2, 2, -2, -2), ToQColor(GetSysColor(COLOR_3DFACE)));
}

BOOL DrawIconEx(CDC* pDC, int x, int y, HICON icon, int cx, int cy, UINT flags)
{
    QPainter* p = pDC ? pDC->Painter() : nullptr;
    if (!p || !icon || (flags & DI_NORMAL) == 0)
        return FALSE;
    icon->paint(p, QRect(x, y, cx, cy));
    return TRUE;
}

BOOL DrawFrameControl(CDC* pDC, RECT* rect, UINT type, UINT state)
{
    QPainter* p = pDC ? pDC->Painter() : nullptr;
    if (!p || type != DFC_CAPTION || state > DFCS_CAPTIONHELP)
        return FALSE;
    const QRect r = ToQRect(*rect);
    DrawRaisedEdge(p, r);

    // The glyph, centred on the face, in the button text colour.
    const QColor ink = ToQColor(GetSysColor(COLOR_BTNTEXT));
    const int gx = r.left() + (r.width() - 8) / 2;
    const int gy = r.top() + (r.height() - 7) / 2;
    p->save();
    switch (state) {
    case DFCS_CAPTIONCLOSE:
        for (int i = 0; i < 7; ++i) {
            p->fillRect(gx + i, gy + i, 2, 1, ink);
            p->fillRect(gx + 6 - i, gy + i, 2, 1, ink);
        }
        break;
    case DFCS_CAPTIONMIN:
        p->fillRect(gx + 1, gy + 5, 6, 2, ink);
        break;
    case DFCS_CAPTIONMAX:
        p->fillRect(gx, gy - 1, 9, 2, ink);
        p->setPen(ink);
        p->drawRect(gx, gy - 1, 8, 8);
        break;
    case DFCS_CAPTIONRESTORE:
        p->setPen(ink);
        p->fillRect(gx + 2, gy - 1, 6, 2, ink);
        p->drawRect(gx + 2, gy - 1, 5, 5);
        p->fillRect(gx, gy + 2, 6, 2, ink);
        p->drawRect(gx, gy + 2, 5, 5);
        break;
    default:  // DFCS_CAPTIONHELP
        QFont f;
        f.setPixelSize(11);
        f.setBold(true);
        p->setFont(f);
        p->setPen(ink);
        p->drawText(r.adjusted(2, 2, -2, -2), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    p->restore();
    return TRUE;
}

BOOL DrawCaption(HWND hwnd, CDC* pDC, const RECT* rect, UINT flags)
{
    QPainter* p = pDC ? pDC->Painter() : nullptr;
    if (!p || !hwnd)
        return FALSE;
    const bool active = flags & DC_ACTIVE;
    const QRect r = ToQRect(*rect);
    p->fillRect(r, ToQColor(GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION)));
    int textLeft = r.left() + 2;
    if (flags & DC_ICON) {
        const auto icon = HICON(SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0));
        const int cx = GetSystemMetrics(SM_CXSMICON);
        const int cy = GetSystemMetrics(SM_CYSMICON);
        DrawIconEx(pDC, r.left() + 2, r.top() + (r.height() - cy) / 2, icon, cx, cy, DI_NORMAL);
        textLeft += cx + 2;
    }
    if (flags & DC_TEXT) {
        CFont font;
        font.CreateFontA(-11, 0, 0, 0, 700, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, "Arial");
        CFont* old = pDC->SelectObject(&font);
        const int oldMode = pDC->SetBkMode(TRANSPARENT);
        const COLORREF oldColor = pDC->SetTextColor(
            GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        RECT text{textLeft, rect->top, rect->right, rect->bottom};
        pDC->DrawText(GetWindowText(hwnd), &text,
                      DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        pDC->SetTextColor(oldColor);
        pDC->SetBkMode(oldMode);
        pDC->SelectObject(old);
    }
    return TRUE;
}

} // namespace kelvane::win
