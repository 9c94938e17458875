#include "WindowFrame.h"

#include "Gdi.h"
#include "SystemMetrics.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <unordered_map>
#include <vector>

namespace kelvane::win {

namespace {

std::unordered_map<HWND, CWindowFrame*>& Frames()
{
    static std::unordered_map<HWND, CWindowFrame*> frames;
    return frames;
}

}  // namespace

CWindowFrame::CWindowFrame(QWidget* window, QWidget* client, CWnd* owner, DWORD style,
                           DWORD exStyle)
    : QObject(window),
      m_proc(AfxWndProc),
      m_style(style & ~WS_VISIBLE),
      m_exStyle(exStyle),
      m_text(window->windowTitle()),
      m_icon(window->windowIcon()),
      m_window(window),
      m_client(client),
      m_owner(owner)
{
    Frames()[window] = this;
    if (style & WS_SYSMENU) {
        // A dialog's system menu.
        m_sysMenu = std::make_unique<CMenu>(new QMenu(window));
        m_sysMenu->AppendMenu(MF_STRING, SC_MOVE, QStringLiteral("&Move"));
        m_sysMenu->AppendMenu(MF_SEPARATOR);
        m_sysMenu->AppendMenu(MF_STRING, SC_CLOSE, QStringLiteral("&Close\tAlt+F4"));
        // Wayland lets no program place its windows, and its compositors
        // move one only while a button is held: Move cannot be done there.
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            m_sysMenu->GetSafeMenu()->actions().constFirst()->setEnabled(false);
        for (const auto& binding : {std::pair{Qt::ALT | Qt::Key_Space, SC_KEYMENU},
                                    std::pair{Qt::ALT | Qt::Key_F4, SC_CLOSE}}) {
            const WPARAM command = binding.second;
            auto* shortcut = new QShortcut(QKeySequence(binding.first), window);
            connect(shortcut, &QShortcut::activated, this,
                    [this, command] { SendMessageA(m_window, WM_SYSCOMMAND, command, 0); });
        }
    }
    window->setWindowFlags(window->windowFlags() | Qt::FramelessWindowHint);
    Layout();
    if (window->isVisible())
        m_style |= WS_VISIBLE;
    // The window's events, and the presses on its widgets, which tell where
    // it is; while a move from the menu runs, every widget's keys and mouse.
    qApp->installEventFilter(this);
}

CWindowFrame::~CWindowFrame()
{
    if (m_move != MoveMode::None)
        EndMove(false);
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    Frames().erase(m_window);
}

CWindowFrame* CWindowFrame::Find(HWND hwnd)
{
    const auto it = Frames().find(hwnd);
    return it == Frames().end() ? nullptr : it->second;
}

void CWindowFrame::Broadcast(UINT message)
{
    std::vector<HWND> windows;
    for (const auto& [hwnd, frame] : Frames())
        windows.push_back(hwnd);
    for (HWND hwnd : windows) {
        SendMessageA(hwnd, message, 0, 0);
        if (CWindowFrame* frame = Find(hwnd))
            frame->InvalidateFrame();
    }
}

QSize CWindowFrame::FrameSize() const
{
    if (m_style & WS_THICKFRAME)
        return QSize(GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME));
    if ((m_style & WS_DLGFRAME) || (m_style & DS_MODALFRAME) || (m_exStyle & WS_EX_DLGMODALFRAME))
        return QSize(GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME));
    if (m_style & WS_BORDER)
        return QSize(GetSystemMetrics(SM_CYBORDER), GetSystemMetrics(SM_CYBORDER));
    return QSize(0, 0);
}

QRect CWindowFrame::WindowRect() const
{
    return QRect(QPoint(0, 0), m_window->size());
}

QRect CWindowFrame::ClientRect() const
{
    return m_client->geometry();
}

QRect CWindowFrame::CaptionRect() const
{
    if ((m_style & WS_CAPTION) != WS_CAPTION)
        return QRect();
    const QSize f = FrameSize();
    return QRect(f.width(), f.height(), m_window->width() - 2 * f.width(),
                 GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYBORDER));
}

QRect CWindowFrame::CloseButtonRect() const
{
    const QRect caption = CaptionRect();
    if (caption.isEmpty() || !(m_style & WS_SYSMENU))
        return QRect();
    const int cxSize = GetSystemMetrics(SM_CXSIZE);
    return QRect(caption.right() + 1 - cxSize, caption.top() + 2, cxSize - 2,
                 GetSystemMetrics(SM_CYSIZE) - 4);
}

void CWindowFrame::Layout()
{
    const QSize f = FrameSize();
    const int caption = (m_style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
    const QSize client = m_client->size();
    m_client->move(f.width(), f.height() + caption);
    m_window->setFixedSize(client + QSize(2 * f.width(), 2 * f.height() + caption));
    InvalidateFrame();
}

void CWindowFrame::InvalidateFrame()
{
    const qreal dpr = m_window->devicePixelRatioF();
    const QSize size = (QSizeF(m_window->size()) * dpr).toSize();
    if (m_surface.size() != size || m_surface.devicePixelRatio() != dpr) {
        m_surface = QImage(size, QImage::Format_RGB32);
        m_surface.setDevicePixelRatio(dpr);
        m_surface.fill(Qt::black);
    }
    m_invalid = QRegion(WindowRect()) - ClientRect();
    m_window->update(m_invalid);
}

void CWindowFrame::SurfaceChanged()
{
    if (!m_bInPaint)
        m_window->update(QRegion(WindowRect()) - ClientRect());
}

void CWindowFrame::DrawFrame(const QRegion& region, bool caption)
{
    CWindowDC dc(m_window);
    QPainter* p = dc.Painter();
    if (!p)
        return;
    const QRegion nonClient = QRegion(WindowRect()) - ClientRect();
    p->setClipRegion(region & nonClient);
    const QSize f = FrameSize();
    if (f.width() >= 2) {
        DrawRaisedEdge(p, WindowRect());
    } else {
        p->fillRect(WindowRect(), ToQColor(GetSysColor(COLOR_3DDKSHADOW)));
        p->fillRect(WindowRect().adjusted(f.width(), f.height(), -f.width(), -f.height()),
                    ToQColor(GetSysColor(COLOR_3DFACE)));
    }
    const QRect rc = CaptionRect();
    if (!caption || rc.isEmpty() || !region.intersects(rc))
        return;
    const RECT r{rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()};
    DrawCaption(m_window, &dc, &r, DC_ICON | DC_TEXT | (m_bActive ? UINT(DC_ACTIVE) : 0u));
    const QRect b = CloseButtonRect();
    if (!b.isEmpty()) {
        RECT button{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
        DrawFrameControl(&dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    }
}

void CWindowFrame::DrawDefaultCaption()
{
    DrawFrame(CaptionRect(), true);
}

void CWindowFrame::ShowSystemMenu(const QPoint& globalPos)
{
    if (m_sysMenu)
        m_sysMenu->GetSafeMenu()->popup(globalPos);
}

void CWindowFrame::ShowSystemMenuFromKeyboard()
{
    if (!m_sysMenu)
        return;
    SyncPos();
    QMenu* menu = m_sysMenu->GetSafeMenu();
    menu->popup(m_window->mapToGlobal(CaptionRect().bottomLeft()));
    // Enter picks the highlighted item: the first that can be picked.
    for (QAction* action : menu->actions()) {
        if (action->isEnabled() && !action->isSeparator()) {
            menu->setActiveAction(action);
            break;
        }
    }
}

QPoint CWindowFrame::QtPos() const
{
    const QWindow* handle = m_window->windowHandle();
    return handle ? handle->position() : m_window->pos();
}

void CWindowFrame::NoteTruePos(const QPoint& global, const QPoint& local)
{
    m_bTruePosKnown = true;
    m_truePos = global - local;
    m_qtPosAtNote = QtPos();
}

void CWindowFrame::SyncPos()
{
    // Once Qt has been told a position since, that one holds.
    if (!m_bTruePosKnown || QtPos() != m_qtPosAtNote || m_truePos == m_qtPosAtNote)
        return;
    // The window system's window (where the window manager's move and the
    // mapping to the screen take the position from) can lag even where the
    // widget has it right: the window is placed anew where it is.
    if (QWindow* handle = m_window->windowHandle())
        handle->setPosition(m_truePos);
    else
        m_window->move(m_truePos);
    m_qtPosAtNote = QtPos();
}

void CWindowFrame::StartMove(bool withButton)
{
    if (m_move != MoveMode::None || !m_window->isVisible())
        return;
    if (!withButton) {
        // Started from the menu, which is still closing and holds the
        // pointer: take over once it has gone.
        QTimer::singleShot(0, this, [this] { StartKeyboardMove(); });
        return;
    }
    // The window manager's move starts from where the button went down, so
    // the window keeps the offset of the press; the position it is given
    // comes from Qt's idea of the window's, which must be right by then.
    SyncPos();
    QWindow* handle = m_window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    // No window manager to do it: once past the drag distance the window
    // follows the cursor until the button is released.
    m_bCaptionPressed = true;
}

void CWindowFrame::StartKeyboardMove()
{
    if (m_move != MoveMode::None || !m_window->isVisible())
        return;
    // Wayland lets no program place its windows (the menu's item is greyed there).
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    SyncPos();
    m_move = MoveMode::Keyboard;
    m_moveWindow = m_moveOrigin = m_window->pos();
    // The cursor goes to the middle of the caption, as the window is held there.
    m_moveCursor = m_window->mapToGlobal(CaptionRect().center());
    QCursor::setPos(m_window->screen(), m_moveCursor);
    m_window->grabMouse(Qt::SizeAllCursor);
    m_window->activateWindow();
}

void CWindowFrame::FollowCursor(const QPoint& global)
{
    m_moveWindow += global - m_moveCursor;
    m_moveCursor = global;
    m_window->move(m_moveWindow);
}

void CWindowFrame::EndMove(bool putBack)
{
    if (m_move == MoveMode::Keyboard)
        m_window->releaseMouse();
    m_move = MoveMode::None;
    if (putBack)
        m_window->move(m_moveOrigin);
}

bool CWindowFrame::KeyboardMoveEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Every key belongs to the move while it runs; no shortcut fires.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        const auto* e = static_cast<QKeyEvent*>(event);
        const int step = e->modifiers() & Qt::ControlModifier ? 1 : 8;
        QPoint delta;
        switch (e->key()) {
        case Qt::Key_Left: delta = QPoint(-step, 0); break;
        case Qt::Key_Right: delta = QPoint(step, 0); break;
        case Qt::Key_Up: delta = QPoint(0, -step); break;
        case Qt::Key_Down: delta = QPoint(0, step); break;
        case Qt::Key_Return:
        case Qt::Key_Enter: EndMove(false); return true;
        case Qt::Key_Escape: EndMove(true); return true;
        default: return true;
        }
        m_moveWindow += delta;
        m_window->move(m_moveWindow);
        return true;
    }
    case QEvent::KeyRelease:
        return true;
    case QEvent::MouseMove: {
        const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        FollowCursor(global);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A click ends the move there; it goes no further.
        const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        FollowCursor(global);
        EndMove(false);
        return true;
    }
    default:
        break;
    }
    return false;
}

void CWindowFrame::Paint(const QRegion& region)
{
    if (m_surface.devicePixelRatio() != m_window->devicePixelRatioF())
        InvalidateFrame();
    const QRegion nonClient = QRegion(WindowRect()) - ClientRect();
    const QRegion exposed = region & m_invalid;
    if (!exposed.isEmpty()) {
        const bool whole = exposed == nonClient;
        m_invalid -= exposed;
        m_bInPaint = true;
        const HRGN rgn =
            whole ? 0 : CreateRgnFromQRegion(exposed.translated(m_window->frameGeometry().topLeft()));
        SendMessageA(m_window, WM_NCPAINT, whole ? 1 : rgn, 0);
        if (rgn)
            DeleteObject(rgn);
        m_bInPaint = false;
    }
    QPainter p(m_window);
    p.setClipRegion(region & nonClient);
    p.drawImage(WindowRect(), m_surface);
}

bool CWindowFrame::Mouse(QEvent* event)
{
    const auto* e = static_cast<QMouseEvent*>(event);
    const QPoint pos = e->position().toPoint();
    const QPoint global = e->globalPosition().toPoint();
    const QRect caption = CaptionRect();
    if (m_move != MoveMode::Button)
        NoteTruePos(global, pos);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!caption.contains(pos))
            return false;
        if (e->button() == Qt::RightButton) {
            ShowSystemMenu(global);
        } else if (e->button() == Qt::LeftButton) {
            if (CloseButtonRect().contains(pos)) {
                m_bClosePressed = true;
            } else if (pos.x() < caption.left() + GetSystemMetrics(SM_CXSIZE)) {
                ShowSystemMenu(m_window->mapToGlobal(caption.bottomLeft()));
            } else {
                // A click only activates: a move keeps the window where it is
                // until the cursor goes.
                m_pressGlobal = global;
                m_window->activateWindow();
                StartMove(true);
            }
        }
        return true;
    case QEvent::MouseMove:
        if (m_move == MoveMode::Button) {
            FollowCursor(global);
            return true;
        }
        if (m_bCaptionPressed && (e->buttons() & Qt::LeftButton) &&
            (global - m_pressGlobal).manhattanLength() >= QApplication::startDragDistance()) {
            // The window follows from where the button went down.
            m_bCaptionPressed = false;
            m_move = MoveMode::Button;
            m_moveCursor = m_pressGlobal;
            m_moveWindow = m_moveOrigin = m_window->pos();
            FollowCursor(global);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (e->button() == Qt::LeftButton)
            m_bCaptionPressed = false;
        if (m_move == MoveMode::Button) {
            EndMove(false);
            return true;
        }
        if (m_bClosePressed && e->button() == Qt::LeftButton) {
            m_bClosePressed = false;
            if (CloseButtonRect().contains(pos))
                SendMessageA(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool CWindowFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (m_move == MoveMode::Keyboard && watched->isWidgetType() && KeyboardMoveEvent(event))
        return true;
    if (watched != m_window) {
        if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            const auto* e = static_cast<QMouseEvent*>(event);
            if (w->window() == m_window)
                NoteTruePos(e->globalPosition().toPoint(),
                            w->mapTo(m_window, e->position().toPoint()));
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::Paint:
        Paint(static_cast<QPaintEvent*>(event)->region());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return Mouse(event);
    case QEvent::Close:
        // Every key belongs to a move from the menu while it runs, the
        // window manager's close key too: the move ends as Esc ends it.
        if (m_move == MoveMode::Keyboard) {
            EndMove(true);
            event->ignore();
            return true;
        }
        break;
    case QEvent::Show:
        m_style |= WS_VISIBLE;
        InvalidateFrame();
        break;
    case QEvent::Hide:
        m_style &= ~WS_VISIBLE;
        if (m_move != MoveMode::None)
            EndMove(false);
        break;
    case QEvent::Resize:
        InvalidateFrame();
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // A move from the menu ends, as Esc ends it, when the window loses
        // the focus (to the window manager's own keys, say).
        if (event->type() == QEvent::WindowDeactivate && m_move == MoveMode::Keyboard)
            EndMove(true);
        SendMessageA(m_window, WM_NCACTIVATE, event->type() == QEvent::WindowActivate, 0);
        break;
    case QEvent::WindowUnblocked:
        // The modal window that blocked this one has ended: the owner becomes
        // active again, also where no window manager hands the focus back.
        QTimer::singleShot(0, m_window, [w = m_window] {
            const QWidget* active = QApplication::activeWindow();
            if (w->isVisible() && (!active || !active->isVisible()))
                w->activateWindow();
        });
        break;
    case QEvent::WindowTitleChange: {
        const QByteArray text = m_window->windowTitle().toUtf8();
        SendMessageA(m_window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.constData()));
        break;
    }
    case QEvent::WindowIconChange:
        m_icon = m_window->windowIcon();
        InvalidateFrame();
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        SendMessageA(m_window, WM_SYSCOLORCHANGE, 0, 0);
        InvalidateFrame();
        break;
    case QEvent::FontChange:
    case QEvent::ApplicationFontChange:
    case QEvent::StyleChange:
    case QEvent::ScreenChangeInternal:
        SendMessageA(m_window, WM_SETTINGCHANGE, 0, 0);
        InvalidateFrame();
        break;
    default:
        break;
    }
    return false;
}

} // namespace kelvane::win
