#pragma once

#include "platform/Platform.h"
#include "platform/WindowProc.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRegion>

#include <memory>

#include "platform/NoWindowsMacros.h"  // after every other include

class QMenu;
class QWidget;

namespace kelvane::win {

// What the window system keeps for a window whose frame the program draws:
// its procedure, styles, title, icon, activation, system menu and the image
// of its whole area, on which the non-client area is drawn. It watches the
// window's Qt events and sends the matching messages through the window's
// procedure; it shows the image's non-client part when the window paints.
class CWindowFrame : public QObject
{
    Q_OBJECT

public:
    CWindowFrame(QWidget* window, QWidget* client, CWnd* owner, DWORD style, DWORD exStyle);
    ~CWindowFrame() override;

    static CWindowFrame* Find(HWND hwnd);
    // Sends the message with 0, 0 to every window with a frame, then redraws its frame.
    static void Broadcast(UINT message);

    QWidget* Window() const { return m_window; }
    CWnd* Owner() const { return m_owner; }
    void Detach() { m_owner = nullptr; }

    WNDPROC m_proc;
    DWORD m_style;
    DWORD m_exStyle;
    QString m_text;
    QIcon m_icon;
    bool m_bActive = false;  // the activation the default caption shows
    std::unique_ptr<CMenu> m_sysMenu;

    QImage& Surface() { return m_surface; }
    // Called when a window device is released: shows what was drawn.
    void SurfaceChanged();

    // Window coordinates.
    QRect WindowRect() const;
    QRect ClientRect() const;
    QRect CaptionRect() const;
    QRect CloseButtonRect() const;
    QSize FrameSize() const;
    // The whole non-client area must be drawn anew.
    void InvalidateFrame();
    // Draws the frame (and, when `caption`, the system caption) in `region`
    // (window coordinates) onto the window image.
    void DrawFrame(const QRegion& region, bool caption);
    void DrawDefaultCaption();
    void ShowSystemMenu(const QPoint& globalPos);
    // The system menu under the caption's left end, its first item
    // highlighted, as Alt+Space opens it.
    void ShowSystemMenuFromKeyboard();
    // Moving the window. With the button held on the caption (called as it
    // goes down): the window manager's move where it offers one, from where
    // the button went down; else the window follows the cursor, once it has
    // gone past the drag distance, until the button is released. From the
    // system menu (no button held): the cursor moves the window, the arrow
    // keys move it by 8 pixels (with Ctrl by 1), Enter or a click ends the
    // move where it is, Esc puts the window back, and so does the window's
    // losing the focus. Where the system lets no program place its windows
    // (Wayland), the menu's Move is greyed.
    void StartMove(bool withButton);
    bool IsMoving() const { return m_move != MoveMode::None; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Layout();
    void Paint(const QRegion& region);
    bool Mouse(QEvent* event);
    void StartKeyboardMove();
    void EndMove(bool putBack);
    // The cursor is at `global` now: the window goes along.
    void FollowCursor(const QPoint& global);
    // Keys and the cursor while a move from the system menu runs, whichever
    // widget they go to.
    bool KeyboardMoveEvent(QEvent* event);
    // Where the window really is, as a mouse event on it tells (global
    // position less window position); Qt's idea of it can lag behind a
    // window manager that placed the window without saying so.
    void NoteTruePos(const QPoint& global, const QPoint& local);
    // Qt's idea of the window's position: its window system window's.
    QPoint QtPos() const;
    // Puts Qt's idea of the window's position right (the window itself
    // stays where it is) before anything is worked out from it.
    void SyncPos();

    QWidget* m_window;
    QWidget* m_client;
    CWnd* m_owner;
    QImage m_surface;
    QRegion m_invalid;   // non-client area not drawn since the last change
    bool m_bInPaint = false;
    enum class MoveMode { None, Button, Keyboard };
    MoveMode m_move = MoveMode::None;
    // The cursor and the window position last seen in the move, and where the window was.
    QPoint m_moveCursor;
    QPoint m_moveWindow;
    QPoint m_moveOrigin;
    // The left button went down on the caption and has not yet moved past
    // the drag distance.
    bool m_bCaptionPressed = false;
    QPoint m_pressGlobal;
    bool m_bClosePressed = false;
    // The position a mouse event last told, and Qt's position then: it
    // holds while Qt's position has not changed since.
    bool m_bTruePosKnown = false;
    QPoint m_truePos;
    QPoint m_qtPosAtNote;
};

} // namespace kelvane::win
