#include "TileEditWnd.h"

#include "ViewPaint.h"

#include "tiles/CharCodec.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kelvane {

CTileEditWnd::CTileEditWnd()
{
    Reset();
    // The whole client area is painted on every paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves come also with no button held, so that a stroke whose release
    // went elsewhere is seen to have ended.
    setMouseTracking(true);
}

void CTileEditWnd::CreateView(const QRect& rect, QWidget* parent)
{
    setParent(parent);
    setGeometry(rect);
    show();
    Invalidate();
}

void CTileEditWnd::Reset()
{
    m_tile.fill(0);
    m_undo.fill(0);
}

void CTileEditWnd::SaveUndo()
{
    m_undo = m_tile;
}

void CTileEditWnd::Undo()
{
    m_tile = m_undo;
    Invalidate();
}

void CTileEditWnd::FlipH()
{
    SaveUndo();
    for (int k = 0; k < kTilePixels / 2; ++k)
        std::swap_ranges(m_tile.begin() + kTilePixels * k, m_tile.begin() + kTilePixels * (k + 1),
                         m_tile.begin() + kTilePixels * (kTilePixels - 1 - k));
    Invalidate();
}

void CTileEditWnd::FlipV()
{
    SaveUndo();
    for (int k = 0; k < kTilePixels; ++k)
        std::reverse(m_tile.begin() + kTilePixels * k, m_tile.begin() + kTilePixels * (k + 1));
    Invalidate();
}

void CTileEditWnd::SetTile(const TileBuffer* src)
{
    if (src)
        m_tile = *src;
}

void CTileEditWnd::SetColor(int index)
{
    m_nLevel = index >= 1 && index <= 3 ? LevelFromIndex(index) : kLevelBlack;
}

void CTileEditWnd::Invalidate()
{
    update();
}

Qt::MouseButton CTileEditWnd::CaptureButton() const
{
    switch (m_nCapture) {
    case 1:
        return Qt::LeftButton;
    case 2:
        return Qt::RightButton;
    default:
        return Qt::NoButton;
    }
}

void CTileEditWnd::EndCapture()
{
    m_nCapture = 0;
}

bool CTileEditWnd::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::UngrabMouse:
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        // The mouse went elsewhere while a button was held (a modal box,
        // another window): the release will never come here, so stop painting.
        EndCapture();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void CTileEditWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintLevelView(painter, size(), m_picture, m_tile.data(), kTilePixels, kTilePixels);
}

void CTileEditWnd::mousePressEvent(QMouseEvent* event)
{
    // A press with the other button already held switches the mode and
    // takes a new undo copy.
    if (event->button() == Qt::LeftButton) {
        m_nCapture = 1;
    } else if (event->button() == Qt::RightButton) {
        m_nCapture = 2;
    } else {
        QWidget::mousePressEvent(event);
        return;
    }
    SaveUndo();
    PaintAt(*event);
}

void CTileEditWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (m_nCapture != 0 && !(event->buttons() & CaptureButton())) {
        // The button went up where this window never heard of it.
        EndCapture();
        return;
    }
    PaintAt(*event);
}

void CTileEditWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == CaptureButton())
        EndCapture();
    Invalidate();
}

void CTileEditWnd::PaintAt(const QMouseEvent& event)
{
    if (m_nCapture == 0 || !(event.buttons() & CaptureButton()))
        return;
    const QPointF p = event.position();
    const int x = static_cast<int>(std::floor(p.x()));
    const int y = static_cast<int>(std::floor(p.y()));
    // The window rectangle: left and top edges in, right and bottom edges out.
    if (!rect().contains(x, y))
        return;
    const int cw = width() / kTilePixels;
    const int ch = height() / kTilePixels;
    if (cw == 0 || ch == 0)
        return;  // smaller than one pixel per cell: no cell can be hit
    const int column = x / cw;
    const int rowFromTop = y / ch;
    // The strips of w mod 8 and h mod 8 pixels at the right and bottom
    // belong to no cell.
    if (column >= kTilePixels || rowFromTop >= kTilePixels)
        return;
    m_tile[kTilePixels * (kTilePixels - 1 - rowFromTop) + column] =
        m_nCapture == 1 ? static_cast<std::uint8_t>(m_nLevel & 0xFF) : kLevelBlack;
    Invalidate();
}

} // namespace kelvane
