// Waiting on the window thread without freezing the window. While a backend
// exchange runs, the window paints, keeps its animations going and answers
// whatever the system sends; Escape, Alt+F4, the close mark and WM_CLOSE end
// the program at once. Clicks and keys meanwhile are dropped, as they would
// act on a page that the exchange is about to change; worker results wait
// until the flow that waits has finished.
#include "mainwnd/main_wnd.h"

#include <windowsx.h>

#include "mainwnd/timer_ids.h"
#include "mainwnd/window_messages.h"

namespace {

enum class DuringWait { Dispatch, Drop, Defer, End };

bool IsUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

DuringWait Classify(const MSG& msg, const RECT& closeMark) {
    switch (msg.message) {
        case WM_KEYDOWN:
            return msg.wParam == VK_ESCAPE ? DuringWait::End : DuringWait::Drop;
        case WM_SYSKEYDOWN:
            return msg.wParam == VK_F4 ? DuringWait::End : DuringWait::Drop;
        case WM_LBUTTONDOWN: {
            const POINT pt = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            return PtInRect(&closeMark, pt) ? DuringWait::End : DuringWait::Drop;
        }
        case WM_TIMER:
            // The result timer opens the orders page with an exchange of its
            // own; it ticks again once this wait is over.
            return msg.wParam == TIMER_PAY_RESULT ? DuringWait::Drop : DuringWait::Dispatch;
        case WM_PAYMENT_UPDATE:
        case WM_ORDERS_LOADED:
        case WM_SUPPORT_LOADED:
        case WM_PAY_QR_READY:
            return DuringWait::Defer;
        default:
            return IsUserInput(msg.message) ? DuringWait::Drop : DuringWait::Dispatch;
    }
}

}  // namespace

void CMainWnd::EndProgram() {
    if (m_bEnding) return;
    m_bEnding = true;
    PostQuitMessage(0);
}

bool CMainWnd::WaitPumping(HANDLE done, DWORD timeoutMs) {
    if (m_bEnding) return false;
    ++m_nPumpedWaits;
    const ULONGLONG start = GetTickCount64();
    bool deferred = false;
    for (;;) {
        MSG msg;
        while (!m_bEnding && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Someone else asked to quit: the outer loop must still see it.
                m_bEnding = true;
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            switch (msg.hwnd == m_hWnd ? Classify(msg, m_rcCloseBtn) : DuringWait::Dispatch) {
                case DuringWait::Dispatch:
                    DispatchMessageW(&msg);
                    break;
                case DuringWait::Drop:
                    break;
                case DuringWait::Defer:
                    deferred = true;
                    break;
                case DuringWait::End:
                    EndProgram();
                    break;
            }
        }
        if (m_bEnding) break;
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG spent = GetTickCount64() - start;
            if (spent >= timeoutMs) break;
            left = static_cast<DWORD>(timeoutMs - spent);
        }
        const DWORD count = done ? 1 : 0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, done ? &done : nullptr, left, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if ((done && woke == WAIT_OBJECT_0) || woke == WAIT_TIMEOUT || woke == WAIT_FAILED) break;
    }
    --m_nPumpedWaits;
    // The results that arrived meanwhile are applied once the waiting flow is done.
    if (deferred && !m_bEnding) PostMessageW(m_hWnd, WM_PAYMENT_UPDATE, 0, 0);
    return !m_bEnding;
}
