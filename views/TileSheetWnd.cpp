#include "TileSheetWnd.h"

#include "ViewPaint.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace kelvane {

CTileSheetWnd::CTileSheetWnd()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTileSheetWnd::CreateView(const QRect& rect, QWidget* parent)
{
    setParent(parent);
    setGeometry(rect);
    show();
    update();
}

QRect CTileSheetWnd::SelectionRect(const QSize& client, int col, int row)
{
    const int w = client.width();
    const int h = client.height();
    const int left = w * col / kSheetTiles;
    const int top = h * row / kSheetTiles;
    const int right = w * (col + 1) / kSheetTiles;
    const int bottom = h * (row + 1) / kSheetTiles;
    return QRect(left, top, right - left, bottom - top);
}

void CTileSheetWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintLevelView(painter, size(), m_picture, m_sheet.GetPixels(), kSheetPixels, kSheetPixels);
    Draw3dFrame(painter, SelectionRect(size(), m_sheet.SelCol(), m_sheet.SelRow()));
}

void CTileSheetWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPointF p = event->position();
    const int x = static_cast<int>(std::floor(p.x()));
    const int y = static_cast<int>(std::floor(p.y()));
    // The window rectangle: left and top edges in, right and bottom edges out.
    if (rect().contains(x, y)) {
        m_sheet.Select(kSheetTiles * x / width(), kSheetTiles * y / height());
        update();
        emit TileClicked();
    }
}

} // namespace kelvane
