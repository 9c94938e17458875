#pragma once

// What Qt's Windows headers (qwindowdefs_win.h, which every QtGui header
// pulls in on Windows) and <windows.h> declare in the global namespace under
// the same names as the program's window layer: handles, integer types,
// structures and functions. A build with KELVANE_WINDOWS_DECLS=ON includes
// this before every source of the user interface and its tests, so the
// layer's own names must keep out of the global namespace to compile.
//
// <windows.h>'s macros (TRUE, WM_*, RGB, DrawText ...) are not repeated
// here: only the system-call files include <windows.h>, and none of them
// includes a header of the user interface (scripts/check-layers.sh).

#include <cstdint>

// qwindowdefs_win.h
#define Q_CLASH_HANDLE(name) struct name##__; typedef struct name##__* name
Q_CLASH_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
Q_CLASH_HANDLE(HDC);
Q_CLASH_HANDLE(HWND);
Q_CLASH_HANDLE(HFONT);
Q_CLASH_HANDLE(HPEN);
Q_CLASH_HANDLE(HBRUSH);
Q_CLASH_HANDLE(HBITMAP);
Q_CLASH_HANDLE(HICON);
typedef HICON HCURSOR;
Q_CLASH_HANDLE(HPALETTE);
Q_CLASH_HANDLE(HRGN);
Q_CLASH_HANDLE(HMONITOR);
Q_CLASH_HANDLE(HGLRC);
Q_CLASH_HANDLE(HMENU);
#undef Q_CLASH_HANDLE
typedef long HRESULT;
typedef struct tagMSG MSG;

// <windows.h> (64-bit)
typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned long DWORD;
typedef unsigned short WORD;
typedef unsigned char BYTE;
typedef long LONG;
typedef std::int64_t LONG_PTR;
typedef std::uint64_t UINT_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef DWORD COLORREF;
typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagPOINT
{
    LONG x;
    LONG y;
} POINT, *LPPOINT;

typedef struct tagRECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;

typedef struct tagSIZE
{
    LONG cx;
    LONG cy;
} SIZE;

struct tagMSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

extern "C" {
LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM);
LRESULT CallWindowProcA(WNDPROC, HWND, UINT, WPARAM, LPARAM);
LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM);
LONG GetWindowLongA(HWND, int);
LONG SetWindowLongA(HWND, int, LONG);
BOOL GetWindowRect(HWND, LPRECT);
BOOL IsIconic(HWND);
BOOL IsZoomed(HWND);
BOOL IsWindowEnabled(HWND);
HMENU GetSystemMenu(HWND, BOOL);
int GetSystemMetrics(int);
DWORD GetSysColor(int);
BOOL SetSysColors(int, const int*, const COLORREF*);
HRGN CreateRectRgnIndirect(const RECT*);
int CombineRgn(HRGN, HRGN, HRGN, int);
BOOL RectInRegion(HRGN, const RECT*);
BOOL DeleteObject(void*);
BOOL DrawIconEx(HDC, int, int, HICON, int, int, UINT, HBRUSH, UINT);
BOOL DrawFrameControl(HDC, LPRECT, UINT, UINT);
BOOL DrawCaption(HWND, HDC, const RECT*, UINT);
int MessageBoxA(HWND, const char*, const char*, UINT);
HFONT CreateFontA(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  const char*);
}
