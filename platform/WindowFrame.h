#pragma once

#include "platform/WindowProc.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRegion>

#include <memory>

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
    void StartMove(bool withButton);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Layout();
    void Paint(const QRegion& region);
    bool Mouse(QEvent* event);

    QWidget* m_window;
    QWidget* m_client;
    CWnd* m_owner;
    QImage m_surface;
    QRegion m_invalid;   // non-client area not drawn since the last change
    bool m_bInPaint = false;
    // Moving: the cursor and window position where it started.
    bool m_bMoving = false;
    bool m_bMoveWithButton = false;
    QPoint m_moveCursor;
    QPoint m_moveWindow;
    bool m_bClosePressed = false;
};

} // namespace kelvane::win

namespace kelvane {
using namespace win;
} // namespace kelvane
