#pragma once

// caption/: the window subclassing hook and the gradient caption painter.
// Uses platform/ (window procedures, regions, devices), nothing above it.

#include "platform/WindowProc.h"

#include <unordered_map>

namespace kelvane {

// A hook on one window's messages: it sees them before the window's own
// procedure and handles, changes or passes on each. Several hooks can be
// chained on one window, the newest first; the window's procedure is then
// HookWndProc.
//
// Attach only a detached hook and detach only an attached one. Destroying a
// hook does not detach it: it must be detached first, explicitly or by its
// window's WM_NCDESTROY.
class CSubclassWnd
{
public:
    CSubclassWnd() = default;
    virtual ~CSubclassWnd() = default;
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    virtual const char* GetRuntimeClass() const { return "CSubclassWnd"; }

    // Attaches to pWnd, or detaches when it is null. Always TRUE.
    BOOL HookWindow(CWnd* pWnd);
    // Passes the message on: to the next hook's WindowProc, or from the
    // oldest hook to the window's own procedure.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    CWnd* m_pHookedWnd = nullptr;
    WNDPROC m_pfnSavedProc = nullptr;
    CSubclassWnd* m_pNextHook = nullptr;

protected:
    // Passes on the message as the current-message record holds it now
    // (a handler may have changed its wParam there).
    LRESULT Default();
};

// Window handle -> newest hook of that window.
class CSubclassWndMap
{
public:
    void Add(HWND hwnd, CSubclassWnd* pSubclassWnd);
    void Remove(CSubclassWnd* pSubclassWnd);
    // Detaches the window's hooks, newest first.
    void RemoveAll(HWND hwnd);
    CSubclassWnd* Lookup(HWND hwnd) const;

private:
    std::unordered_map<HWND, CSubclassWnd*> m_map;
};

// The one map of the process, made on the first call.
CSubclassWndMap& GetHookMap();

// The procedure of every hooked window.
LRESULT HookWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace kelvane
