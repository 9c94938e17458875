#pragma once

#include "tiles/TileSheet.h"
#include "views/ViewPaint.h"

#include <QWidget>

class QMouseEvent;

namespace kelvane {

// The tile editor: one tile shown enlarged, painted cell by cell with the
// mouse. The left button paints the current level, the right button black.
// It holds the working tile, a one-level undo copy and the current level;
// the main window copies tiles between it and the sheet.
class CTileEditWnd : public QWidget
{
    Q_OBJECT

public:
    CTileEditWnd();

    // Makes the editor a visible child of parent at rect (parent's client
    // coordinates) and paints it.
    void CreateView(const QRect& rect, QWidget* parent);

    // Working tile and undo copy to level 0, without a repaint.
    void Reset();
    void SaveUndo();
    // Working tile := undo copy. The undo copy stays, so a second Undo
    // changes nothing.
    void Undo();
    // Rows reversed: the tile turns upside down. Takes an undo copy.
    void FlipH();
    // Each row reversed: the tile is mirrored left to right. Takes an undo copy.
    void FlipV();
    // Working tile := *src; a null src does nothing. No undo copy, no repaint.
    void SetTile(const TileBuffer* src);
    TileBuffer& GetPixels() { return m_tile; }
    const TileBuffer& GetPixels() const { return m_tile; }
    // Current level from a colour index: 1 -> 85, 2 -> 170, 3 -> 255, any
    // other value -> 0.
    void SetColor(int index);
    // Requests a repaint of the whole editor.
    void Invalidate();

    const TileBuffer& UndoCopy() const { return m_undo; }
    // 0 = not painting, 1 = painting with the left button, 2 = with the right.
    int CaptureMode() const { return m_nCapture; }
    int Level() const { return m_nLevel; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::MouseButton CaptureButton() const;
    void EndCapture();
    // Paints the cell under the event's position in the current mode.
    void PaintAt(const QMouseEvent& event);

    TileBuffer m_tile;
    TileBuffer m_undo;
    int m_nCapture = 0;
    int m_nLevel = 0;
    CLevelImage m_picture;  // the levels as last painted
};

} // namespace kelvane
