#pragma once

#include "platform/Platform.h"

#include <QAbstractButton>
#include <QPixmap>

#include "platform/NoWindowsMacros.h"  // after every other include

namespace kelvane::win {

// The button states that GetState reports, as the window system's buttons do.
enum : unsigned
{
    BST_PUSHED = 0x0004,
    BST_FOCUS = 0x0008,
};

// A push button drawn only from images: an up image, and optionally a
// pushed, a focus and a disabled image, loaded from the program's bitmap
// resources (":/res/bitmap<id>.bmp"). It draws one of them 1:1 from its
// top-left corner into the button, never scaled: cut at the right and
// bottom where the button is smaller, the dialog's background showing
// where it is larger. No text, no focus rectangle, no frame.
//
// The image shown: the pushed image while the button is held down or its
// highlight state is set (and a pushed image is loaded); else the focus
// image while it has the focus (and one is loaded); else the up image, or
// the disabled image when the button is disabled and one is loaded.
class CBitmapButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit CBitmapButton(QWidget* parent = nullptr);
    ~CBitmapButton() override;

    // Releases the images held, then loads the up image; if that fails it
    // stops there and returns false. Then loads each further image whose id
    // is not 0; true when every requested image loaded.
    bool LoadBitmaps(unsigned nIDBitmapResource, unsigned nIDBitmapResourceSel = 0,
                     unsigned nIDBitmapResourceFocus = 0, unsigned nIDBitmapResourceDisabled = 0);

    // The highlight state: while it is set the button shows its pushed
    // image as if it were held down. A click does not change it.
    void SetState(bool bHighlight);
    // BST_PUSHED while the highlight state is set or the button is held
    // down, BST_FOCUS while it has the keyboard focus.
    unsigned GetState() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Return and Enter click the focused button, as in the program's dialogs.
    void keyPressEvent(QKeyEvent* event) override;

private:
    const QPixmap& ChosenImage() const;

    // Released in the reverse order: disabled, focus, pushed, up.
    QPixmap m_bitmap;
    QPixmap m_bitmapSel;
    QPixmap m_bitmapFocus;
    QPixmap m_bitmapDisabled;
    bool m_bHighlight = false;
};

} // namespace kelvane::win
