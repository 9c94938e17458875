#include "ViewPaint.h"

#include "tiles/TileSheet.h"

#include <QList>
#include <QPainter>

#include <cstring>

namespace {

const QList<QRgb>& RedRampTable()
{
    static const QList<QRgb> table = [] {
        QList<QRgb> t(256);
        for (int v = 0; v < 256; ++v)
            t[v] = RedRampArgb(static_cast<std::uint8_t>(v));
        return t;
    }();
    return table;
}

}  // namespace

QImage BottomUpLevelImage(const std::uint8_t* levels, int width, int height)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(RedRampTable());
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), levels + std::size_t(width) * (height - 1 - y), width);
    return image;
}

void DrawStretched(QPainter& painter, const QImage& image, const QRect& target)
{
    if (target.width() <= 0 || target.height() <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image);
    painter.restore();
}

void Draw3dFrame(QPainter& painter, const QRect& rect)
{
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    if (w <= 0 || h <= 0)
        return;
    painter.fillRect(x, y, w - 1, 1, kFrameLight);      // top, without the right corner
    painter.fillRect(x, y, 1, h - 1, kFrameLight);      // left, without the bottom corner
    painter.fillRect(x + w - 1, y, 1, h, kFrameDark);   // right
    painter.fillRect(x, y + h - 1, w, 1, kFrameDark);   // bottom
}

void PaintLevelView(QPainter& painter, const QSize& client, const std::uint8_t* levels, int width,
                    int height)
{
    const int w = client.width();
    const int h = client.height();
    DrawStretched(painter, BottomUpLevelImage(levels, width, height), QRect(1, 1, w - 2, h - 2));
    Draw3dFrame(painter, QRect(0, 0, w, h));
}
