#include "SubclassWnd.h"

namespace kelvane {

BOOL CSubclassWnd::HookWindow(CWnd* pWnd)
{
    if (pWnd) {
        GetHookMap().Add(pWnd->GetSafeHwnd(), this);
        m_pHookedWnd = pWnd;
    } else {
        GetHookMap().Remove(this);
        m_pHookedWnd = nullptr;
        m_pfnSavedProc = nullptr;
    }
    return TRUE;
}

LRESULT CSubclassWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_pNextHook)
        return m_pNextHook->WindowProc(msg, wParam, lParam);
    return CallWindowProcA(m_pfnSavedProc, m_pHookedWnd ? m_pHookedWnd->GetSafeHwnd() : nullptr,
                           msg, wParam, lParam);
}

LRESULT CSubclassWnd::Default()
{
    const MSG* msg = AfxGetCurrentMessage();
    return CSubclassWnd::WindowProc(msg->message, msg->wParam, msg->lParam);
}

void CSubclassWndMap::Add(HWND hwnd, CSubclassWnd* pSubclassWnd)
{
    pSubclassWnd->m_pNextHook = Lookup(hwnd);
    m_map[hwnd] = pSubclassWnd;
    if (!pSubclassWnd->m_pNextHook) {
        pSubclassWnd->m_pfnSavedProc = reinterpret_cast<WNDPROC>(
            SetWindowLongA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&HookWndProc)));
    } else {
        pSubclassWnd->m_pfnSavedProc = pSubclassWnd->m_pNextHook->m_pfnSavedProc;
    }
}

void CSubclassWndMap::Remove(CSubclassWnd* pSubclassWnd)
{
    const HWND hwnd =
        pSubclassWnd->m_pHookedWnd ? pSubclassWnd->m_pHookedWnd->GetSafeHwnd() : nullptr;
    CSubclassWnd* first = Lookup(hwnd);
    if (first == pSubclassWnd) {
        if (first->m_pNextHook) {
            m_map[hwnd] = first->m_pNextHook;
        } else {
            m_map.erase(hwnd);
            SetWindowLongA(hwnd, GWL_WNDPROC,
                           reinterpret_cast<LONG_PTR>(pSubclassWnd->m_pfnSavedProc));
        }
        return;
    }
    for (CSubclassWnd* p = first; p; p = p->m_pNextHook) {
        if (p->m_pNextHook == pSubclassWnd) {
            p->m_pNextHook = pSubclassWnd->m_pNextHook;
            break;
        }
    }
}

void CSubclassWndMap::RemoveAll(HWND hwnd)
{
    while (CSubclassWnd* hook = Lookup(hwnd))
        hook->HookWindow(nullptr);
}

CSubclassWnd* CSubclassWndMap::Lookup(HWND hwnd) const
{
    const auto it = m_map.find(hwnd);
    return it == m_map.end() ? nullptr : it->second;
}

CSubclassWndMap& GetHookMap()
{
    // Made on the first call; its destructor runs at exit and restores no
    // window procedures.
    static CSubclassWndMap map;
    return map;
}

LRESULT HookWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const CCurrentMessageScope scope(hwnd, msg, wParam, lParam);
    CSubclassWnd* first = GetHookMap().Lookup(hwnd);
    if (msg == WM_NCDESTROY) {
        // No hook sees the window's end: all are detached, and the window's
        // own procedure gets the message.
        const WNDPROC savedProc = first ? first->m_pfnSavedProc : nullptr;
        GetHookMap().RemoveAll(hwnd);
        return CallWindowProcA(savedProc, hwnd, msg, wParam, lParam);
    }
    return first ? first->WindowProc(msg, wParam, lParam) : 0;
}

} // namespace kelvane
