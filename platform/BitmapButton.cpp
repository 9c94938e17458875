#include "BitmapButton.h"

#include "ResourceImage.h"

#include <QKeyEvent>
#include <QPainter>

namespace kelvane::win {

namespace {

// Loads bitmap resource `id` into `image`; an id of 0 asks for nothing.
bool LoadBitmap(QPixmap& image, unsigned id)
{
    if (id == 0)
        return true;
    image = LoadResourcePixmap(QStringLiteral(":/res/bitmap%1.bmp").arg(id));
    return !image.isNull();
}

}  // namespace

CBitmapButton::CBitmapButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

CBitmapButton::~CBitmapButton() = default;

bool CBitmapButton::LoadBitmaps(unsigned nIDBitmapResource, unsigned nIDBitmapResourceSel,
                                unsigned nIDBitmapResourceFocus,
                                unsigned nIDBitmapResourceDisabled)
{
    m_bitmapDisabled = QPixmap();
    m_bitmapFocus = QPixmap();
    m_bitmapSel = QPixmap();
    m_bitmap = QPixmap();
    update();
    if (nIDBitmapResource == 0 || !LoadBitmap(m_bitmap, nIDBitmapResource))
        return false;
    bool ok = LoadBitmap(m_bitmapSel, nIDBitmapResourceSel);
    ok = LoadBitmap(m_bitmapFocus, nIDBitmapResourceFocus) && ok;
    ok = LoadBitmap(m_bitmapDisabled, nIDBitmapResourceDisabled) && ok;
    return ok;
}

void CBitmapButton::SetState(bool bHighlight)
{
    if (m_bHighlight == bHighlight)
        return;
    m_bHighlight = bHighlight;
    update();
}

unsigned CBitmapButton::GetState() const
{
    return (m_bHighlight || isDown() ? BST_PUSHED : 0u) | (hasFocus() ? BST_FOCUS : 0u);
}

QSize CBitmapButton::sizeHint() const
{
    return m_bitmap.isNull() ? QSize(16, 16) : m_bitmap.size() / m_bitmap.devicePixelRatio();
}

const QPixmap& CBitmapButton::ChosenImage() const
{
    if ((m_bHighlight || isDown()) && !m_bitmapSel.isNull())
        return m_bitmapSel;
    if (hasFocus() && !m_bitmapFocus.isNull())
        return m_bitmapFocus;
    if (!isEnabled() && !m_bitmapDisabled.isNull())
        return m_bitmapDisabled;
    return m_bitmap;
}

void CBitmapButton::paintEvent(QPaintEvent*)
{
    const QPixmap& image = ChosenImage();
    if (image.isNull())
        return;
    // One image pixel per logical pixel: on a denser screen each becomes a
    // block of device pixels, never a smoothed blur.
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect shown = rect().intersected(image.rect());
    p.drawPixmap(shown, image, shown);
}

void CBitmapButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace kelvane::win
