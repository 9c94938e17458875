#pragma once

// Window procedures and messages for top-level windows whose frame and
// caption the program draws itself: a replaceable procedure per window, the
// per-thread record of the message being dispatched, window styles, and the
// Qt events of the window turned into the messages its procedure handles.

#include "platform/Platform.h"

#include <QString>

#include <cstdint>

#include "platform/NoWindowsMacros.h"  // after every other include

class QIcon;
class QMenu;
class QWidget;

namespace kelvane::win {

using UINT = unsigned int;
using DWORD = std::uint32_t;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using HWND = QWidget*;
using HICON = const QIcon*;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct POINT
{
    int x = 0;
    int y = 0;
};

struct RECT
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A RECT with the few helpers the program uses.
struct CRect : RECT
{
    CRect() = default;
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    void OffsetRect(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
};

// The record of the message being dispatched on this thread: window,
// message, wParam, lParam, time and cursor position.
struct MSG
{
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};
MSG* AfxGetCurrentMessage();

// Puts a message into the current-message record (window, message, wParam,
// lParam) for the scope's length and then restores all seven words, so the
// record survives messages sent while a handler runs.
class CCurrentMessageScope
{
public:
    CCurrentMessageScope(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~CCurrentMessageScope();
    CCurrentMessageScope(const CCurrentMessageScope&) = delete;
    CCurrentMessageScope& operator=(const CCurrentMessageScope&) = delete;

private:
    MSG m_saved;
};

enum : UINT
{
    WM_SETTEXT = 0x000C,
    WM_CLOSE = 0x0010,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SETTINGCHANGE = 0x001A,
    WM_GETICON = 0x007F,
    WM_NCDESTROY = 0x0082,
    WM_NCPAINT = 0x0085,
    WM_NCACTIVATE = 0x0086,
    WM_SYSCOMMAND = 0x0112,
    WM_USER = 0x0400,
};

// System commands (WM_SYSCOMMAND's wParam; the low four bits are the system's own).
enum : UINT
{
    SC_MOVE = 0xF010,
    SC_CLOSE = 0xF060,
    SC_KEYMENU = 0xF100,
};

enum : int
{
    GWL_EXSTYLE = -20,
    GWL_STYLE = -16,
    GWL_WNDPROC = -4,
};

enum : DWORD
{
    DS_MODALFRAME = 0x00000080,
    WS_MAXIMIZEBOX = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_THICKFRAME = 0x00040000,
    WS_SYSMENU = 0x00080000,
    WS_DLGFRAME = 0x00400000,
    WS_BORDER = 0x00800000,
    WS_CAPTION = 0x00C00000,
    WS_VISIBLE = 0x10000000,
    WS_POPUP = 0x80000000,
    WS_EX_DLGMODALFRAME = 0x00000001,
    WS_EX_CONTEXTHELP = 0x00000400,
    WS_EX_APPWINDOW = 0x00040000,
};

enum : WPARAM
{
    ICON_SMALL = 0,
    ICON_BIG = 1,
};

enum : UINT
{
    MF_STRING = 0x0000,
    MF_SEPARATOR = 0x0800,
};

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure every window starts with: it records the message in the
// current-message record and hands it to the window object's WindowProc.
LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The system's handling: frame and caption painting, activation, title,
// icon, system commands.
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// GWL_WNDPROC, GWL_STYLE or GWL_EXSTYLE. Setting returns the old value.
LONG_PTR GetWindowLongA(HWND hwnd, int index);
LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value);

// Outer rectangle in screen coordinates.
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
// The window's title as its procedure stored it (WM_SETTEXT).
QString GetWindowText(HWND hwnd);

// A window's system menu.
class CMenu
{
public:
    explicit CMenu(QMenu* menu) : m_pMenu(menu) {}
    // MF_SEPARATOR, or MF_STRING with a command id sent as WM_SYSCOMMAND.
    BOOL AppendMenu(UINT flags, UINT id = 0, const QString& text = QString());
    QMenu* GetSafeMenu() const { return m_pMenu; }

private:
    QMenu* m_pMenu;
};
// Null for a window without WS_SYSMENU.
CMenu* GetSystemMenu(HWND hwnd, BOOL revert);

// A top-level window of the program whose frame and caption are drawn by
// the program: the window object's side of it. The object's WindowProc is
// its message table; whatever it does not handle goes to Default.
class CWnd
{
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Makes `window` frameless and gives it a non-client area for `style`
    // and `exStyle` around `client`, a child that keeps its size; the
    // window's size becomes fixed at client plus frame and caption.
    void CreateFrame(QWidget* window, QWidget* client, DWORD style, DWORD exStyle);
    // Sends WM_NCDESTROY and gives the window back to Qt. The destructor of
    // the object that owns the window calls it while its members live.
    void DestroyWindow();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // DefWindowProcA with the message as the current-message record holds it.
    LRESULT Default();

private:
    HWND m_hWnd = nullptr;
};

} // namespace kelvane::win
