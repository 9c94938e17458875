#pragma once

// views/: the tile sheet view and the tile editor. Use Qt, tiles/ and
// platform/; they tell their owner what happened through signals and never
// include the main window.

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

class QPainter;

namespace kelvane {

// Colours of the views' one-pixel three-dimensional frames.
inline const QColor kFrameLight(155, 0, 255);  // top and left edges
inline const QColor kFrameDark(100, 0, 150);   // bottom and right edges

// An RGB32 image of width x height pixel levels shown through the red ramp.
// The levels come in bottom-up row order (the first row given is the bottom
// row of the image), as the tile sheet and tile buffers keep them.
QImage BottomUpLevelImage(const std::uint8_t* levels, int width, int height);

// A view's picture: BottomUpLevelImage of its levels, made again only when
// the levels differ from those it was last made from.
class CLevelImage
{
public:
    const QImage& Get(const std::uint8_t* levels, int width, int height);

private:
    std::vector<std::uint8_t> m_levels;
    QImage m_image;
};

// Draws the image stretched into the target rectangle, every source pixel
// copied unchanged (no smoothing). Nothing is drawn into an empty target.
void DrawStretched(QPainter& painter, const QImage& image, const QRect& target);

// A one-pixel frame on the outermost pixels of rect: top and left edges in
// kFrameLight, bottom and right edges in kFrameDark, so that the top-right
// and bottom-left corner pixels take the dark colour.
void Draw3dFrame(QPainter& painter, const QRect& rect);

// Paints a view: the levels stretched into (1, 1, w - 2, h - 2) of the
// widget's client area, then the frame around the whole client area. The
// picture comes from (and is kept in) the view's `picture`.
void PaintLevelView(QPainter& painter, const QSize& client, CLevelImage& picture,
                    const std::uint8_t* levels, int width, int height);

} // namespace kelvane
