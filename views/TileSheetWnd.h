#pragma once

#include "tiles/TileSheet.h"
#include "views/ViewPaint.h"

#include <QWidget>

namespace kelvane {

// The tile sheet view: the whole tileset stretched over the view with a
// frame around the selected tile. A left click selects the tile under it,
// asks for a repaint and then tells the owner (TileClicked), which loads the
// tile into the tile editor. The view holds the tileset itself.
class CTileSheetWnd : public QWidget
{
    Q_OBJECT

public:
    CTileSheetWnd();

    // Makes the view a visible child of parent at rect (parent's client
    // coordinates) and paints it.
    void CreateView(const QRect& rect, QWidget* parent);

    CTileSheet& Sheet() { return m_sheet; }
    const CTileSheet& Sheet() const { return m_sheet; }

    void Clear() { m_sheet.Clear(); }
    TileBuffer& GetTile(TileBuffer& dest, int col, int row) const
    {
        return m_sheet.GetTile(dest, col, row);
    }
    void PutTile(const TileBuffer& src, int col, int row) { m_sheet.PutTile(src, col, row); }
    TileBuffer& GetSelectedTile(TileBuffer& dest) const { return m_sheet.GetSelectedTile(dest); }
    void PutSelectedTile(const TileBuffer& src) { m_sheet.PutSelectedTile(src); }
    std::uint8_t* GetPixels() { return m_sheet.GetPixels(); }
    const std::uint8_t* GetPixels() const { return m_sheet.GetPixels(); }

    // The frame around tile (col, row) for a client area of the given size,
    // right and bottom edges exclusive.
    static QRect SelectionRect(const QSize& client, int col, int row);

signals:
    // A left click selected a tile; the selection is already set.
    void TileClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CTileSheet m_sheet;
    CLevelImage m_picture;  // the levels as last painted
};

} // namespace kelvane
