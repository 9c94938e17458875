#include "ResourceImage.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>

#include <cstdlib>

namespace kelvane::win {

namespace {

class CPixelSizeIconEngine : public QIconEngine
{
public:
    explicit CPixelSizeIconEngine(const QIcon& icon) : m_icon(icon) {}

    // The image nearest in size; with atLeast the smallest not smaller,
    // else the largest.
    QSize Nearest(QSize size, bool atLeast) const
    {
        QSize best;
        int bestScore = 0;
        for (const QSize& s : m_icon.availableSizes()) {
            const int d = s.width() - size.width();
            const int score = atLeast && d < 0 ? 1000000 - d : std::abs(d);
            if (best.isEmpty() || score < bestScore) {
                best = s;
                bestScore = score;
            }
        }
        return best;
    }
    QPixmap Image(QSize size, bool atLeast, QIcon::Mode mode, QIcon::State state) const
    {
        return m_icon.pixmap(Nearest(size, atLeast), 1.0, mode, state);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Image(size, false, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override
    {
        return Image(size, false, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(rect, Image((QSizeF(rect.size()) * ratio).toSize(), true, mode, state));
        painter->restore();
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
        QList<QSize> sizes;
        for (const QSize& s : m_icon.availableSizes(mode, state))
            sizes << (QSizeF(s) / ratio).toSize();
        return sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Image(size, false, mode, state).size();
    }
    QIconEngine* clone() const override { return new CPixelSizeIconEngine(m_icon); }

private:
    QIcon m_icon;
};

}  // namespace

QPixmap LoadResourcePixmap(const QString& path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon IconAtPixelSizes(const QIcon& icon)
{
    return QIcon(new CPixelSizeIconEngine(icon));
}

} // namespace kelvane::win
