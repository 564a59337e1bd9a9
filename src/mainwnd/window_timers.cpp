// The one gate for the window's timers: every SetTimer and KillTimer of the
// program goes through here so the id fields and the owning-thread rule hold.
#include "mainwnd/main_wnd.h"

namespace {

bool OnWindowThread(HWND wnd) { return GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId(); }

}  // namespace

bool CMainWnd::StartWindowTimer(UINT_PTR& idField, UINT_PTR id, UINT ms) {
    if (!m_hWnd) return false;
    if (!OnWindowThread(m_hWnd)) {
        // Wine accepts this silently; Windows would bind the timer to no queue.
        InterlockedIncrement(&m_nTimerThreadViolations);
        return false;
    }
    if (idField != 0) return true;
    idField = SetTimer(m_hWnd, id, ms, nullptr);
    return idField != 0;
}

bool CMainWnd::StopWindowTimer(UINT_PTR& idField) {
    if (!m_hWnd) return false;
    if (!OnWindowThread(m_hWnd)) {
        InterlockedIncrement(&m_nTimerThreadViolations);
        return false;
    }
    if (idField == 0) return true;
    KillTimer(m_hWnd, idField);
    idField = 0;
    return true;
}
