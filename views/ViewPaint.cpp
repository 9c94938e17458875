#include "ViewPaint.h"

#include "tiles/TileSheet.h"

#include <QPainter>

#include <array>
#include <cstring>

namespace kelvane {

namespace {

// The red ramp colour of every level.
const std::array<QRgb, 256>& RedRampTable()
{
    static const std::array<QRgb, 256> table = [] {
        std::array<QRgb, 256> t{};
        for (int v = 0; v < 256; ++v)
            t[v] = RedRampArgb(static_cast<std::uint8_t>(v));
        return t;
    }();
    return table;
}

void FillFromLevels(QImage& image, const std::uint8_t* levels)
{
    const auto& table = RedRampTable();
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = levels + std::size_t(width) * (height - 1 - y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            dst[x] = table[src[x]];
    }
}

}  // namespace

QImage BottomUpLevelImage(const std::uint8_t* levels, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    FillFromLevels(image, levels);
    return image;
}

const QImage& CLevelImage::Get(const std::uint8_t* levels, int width, int height)
{
    const std::size_t n = std::size_t(width) * std::size_t(height);
    if (m_image.width() == width && m_image.height() == height && m_levels.size() == n &&
        std::memcmp(m_levels.data(), levels, n) == 0)
        return m_image;
    m_levels.assign(levels, levels + n);
    if (m_image.width() != width || m_image.height() != height)
        m_image = QImage(width, height, QImage::Format_RGB32);
    FillFromLevels(m_image, levels);
    return m_image;
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

void PaintLevelView(QPainter& painter, const QSize& client, CLevelImage& picture,
                    const std::uint8_t* levels, int width, int height)
{
    const int w = client.width();
    const int h = client.height();
    DrawStretched(painter, picture.Get(levels, width, height), QRect(1, 1, w - 2, h - 2));
    Draw3dFrame(painter, QRect(0, 0, w, h));
}

} // namespace kelvane
