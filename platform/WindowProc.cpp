#include "WindowProc.h"

#include "Gdi.h"
#include "WindowFrame.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace kelvane::win {

MSG* AfxGetCurrentMessage()
{
    thread_local MSG msg;
    return &msg;
}

CCurrentMessageScope::CCurrentMessageScope(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam)
    : m_saved(*AfxGetCurrentMessage())
{
    MSG* msg = AfxGetCurrentMessage();
    msg->hwnd = hwnd;
    msg->message = message;
    msg->wParam = wParam;
    msg->lParam = lParam;
}

CCurrentMessageScope::~CCurrentMessageScope()
{
    *AfxGetCurrentMessage() = m_saved;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowFrame* frame = CWindowFrame::Find(hwnd);
    return frame ? CallWindowProcA(frame->m_proc, hwnd, message, wParam, lParam) : 0;
}

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowFrame* frame = CWindowFrame::Find(hwnd);
    const CCurrentMessageScope scope(hwnd, message, wParam, lParam);
    return frame && frame->Owner() ? frame->Owner()->WindowProc(message, wParam, lParam)
                                   : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWindowFrame* frame = CWindowFrame::Find(hwnd);
    if (!frame)
        return 0;
    const bool visible = frame->m_style & WS_VISIBLE;
    switch (message) {
    case WM_NCPAINT: {
        const QRect window = frame->WindowRect();
        frame->DrawFrame((wParam & 0xFFFF) <= 1
                             ? QRegion(window)
                             : RegionOf(wParam).translated(-hwnd->frameGeometry().topLeft()),
                         true);
        return 0;
    }
    case WM_NCACTIVATE:
        frame->m_bActive = wParam != 0;
        if (visible)
            frame->DrawDefaultCaption();
        return TRUE;
    case WM_SETTEXT:
        frame->m_text = lParam ? QString::fromUtf8(reinterpret_cast<const char*>(lParam))
                               : QString();
        if (visible)
            frame->DrawDefaultCaption();
        return TRUE;
    case WM_GETICON:
        return frame->m_icon.isNull() ? 0 : reinterpret_cast<LRESULT>(&frame->m_icon);
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        case SC_MOVE:
            frame->StartMove(false);
            break;
        case SC_KEYMENU:
            frame->ShowSystemMenuFromKeyboard();
            break;
        default:
            break;
        }
        return 0;
    case WM_CLOSE:
        hwnd->close();
        return 0;
    default:
        return 0;
    }
}

LONG_PTR GetWindowLongA(HWND hwnd, int index)
{
    const CWindowFrame* frame = CWindowFrame::Find(hwnd);
    if (!frame)
        return 0;
    switch (index) {
    case GWL_WNDPROC:
        return reinterpret_cast<LONG_PTR>(frame->m_proc);
    case GWL_STYLE:
        return LONG_PTR(frame->m_style);
    case GWL_EXSTYLE:
        return LONG_PTR(frame->m_exStyle);
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value)
{
    CWindowFrame* frame = CWindowFrame::Find(hwnd);
    const LONG_PTR old = GetWindowLongA(hwnd, index);
    if (!frame)
        return 0;
    switch (index) {
    case GWL_WNDPROC:
        frame->m_proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWL_STYLE:
        frame->m_style = DWORD(value);
        break;
    case GWL_EXSTYLE:
        frame->m_exStyle = DWORD(value);
        break;
    default:
        break;
    }
    return old;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    if (!hwnd)
        return FALSE;
    const QRect r = hwnd->frameGeometry();
    *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL IsIconic(HWND hwnd)
{
    return hwnd && hwnd->isMinimized() ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd)
{
    return hwnd && hwnd->isMaximized() ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    return hwnd && hwnd->isEnabled() ? TRUE : FALSE;
}

QString GetWindowText(HWND hwnd)
{
    const CWindowFrame* frame = CWindowFrame::Find(hwnd);
    return frame ? frame->m_text : QString();
}

BOOL CMenu::AppendMenu(UINT flags, UINT id, const QString& text)
{
    if (flags & MF_SEPARATOR) {
        m_pMenu->addSeparator();
        return TRUE;
    }
    QWidget* window = m_pMenu->parentWidget();
    QAction* action = m_pMenu->addAction(text);
    QObject::connect(action, &QAction::triggered, m_pMenu,
                     [window, id] { SendMessageA(window, WM_SYSCOMMAND, id, 0); });
    return TRUE;
}

CMenu* GetSystemMenu(HWND hwnd, BOOL)
{
    CWindowFrame* frame = CWindowFrame::Find(hwnd);
    return frame ? frame->m_sysMenu.get() : nullptr;
}

CWnd::~CWnd()
{
    DestroyWindow();
}

void CWnd::CreateFrame(QWidget* window, QWidget* client, DWORD style, DWORD exStyle)
{
    DestroyWindow();
    m_hWnd = window;
    new CWindowFrame(window, client, this, style, exStyle);
}

void CWnd::DestroyWindow()
{
    CWindowFrame* frame = CWindowFrame::Find(m_hWnd);
    if (!frame)
        return;
    SendMessageA(m_hWnd, WM_NCDESTROY, 0, 0);
    frame->Detach();
    delete frame;
    m_hWnd = nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG* msg = AfxGetCurrentMessage();
    return DefWindowProcA(m_hWnd, msg->message, msg->wParam, msg->lParam);
}

}  // namespace kelvane::win
