// Class registration, window creation and the static procedure that attaches a
// CWindowWnd to its window through GWLP_USERDATA.
#include "duilib/window_wnd.h"

namespace DuiLib {

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

HWND CWindowWnd::Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                        int x, int y, int cx, int cy) {
    WNDCLASSW wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &CWindowWnd::StaticWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClassName;
    // Registering again on every call is harmless: the second attempt just fails.
    RegisterClassW(&wc);
    m_bCreating = true;
    m_hWnd = CreateWindowExW(dwExStyle, kClassName, pstrName, dwStyle, x, y, cx, cy, hwndParent,
                             nullptr, GetModuleHandleW(nullptr), this);
    m_bCreating = false;
    return m_hWnd;
}

void CWindowWnd::CenterWindow() {
    if (!IsWindow(m_hWnd)) return;
    RECT rcWnd = {};
    GetWindowRect(m_hWnd, &rcWnd);
    RECT rcWork = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    // Measured from the screen origin, not from the work area's own corner.
    const int x = ((rcWork.right - rcWork.left) - (rcWnd.right - rcWnd.left)) / 2;
    const int y = ((rcWork.bottom - rcWork.top) - (rcWnd.bottom - rcWnd.top)) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK CWindowWnd::StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        pThis = static_cast<CWindowWnd*>(cs->lpCreateParams);
        if (pThis) {
            pThis->m_hWnd = hWnd;
            SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
        }
    } else {
        pThis = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis) {
            const LRESULT result = pThis->HandleMessage(uMsg, wParam, lParam);
            // Detach first so a final hook that deletes the object leaves nothing dangling.
            SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            pThis->m_hWnd = nullptr;
            // A final hook may delete the object, which Create's caller still
            // holds when the window ends during its own creation.
            if (!pThis->m_bCreating) pThis->OnFinalMessage(hWnd);
            return result;
        }
    }
    if (pThis) return pThis->HandleMessage(uMsg, wParam, lParam);
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace DuiLib
