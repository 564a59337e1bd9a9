// CMainWnd's window procedure: double-buffered painting and the quit paths.
#include "mainwnd/main_wnd.h"

#include "util/handles.h"

LRESULT CMainWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(m_hWnd, &ps);
            RECT rc = {};
            GetClientRect(m_hWnd, &rc);
            {
                MemoryDC mem(dc);
                GdiObject<HBITMAP> canvas(CreateCompatibleBitmap(dc, rc.right, rc.bottom));
                ScopedSelect select(mem.get(), canvas.get());
                PaintClient(mem.get());
                BitBlt(dc, 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
            }
            EndPaint(m_hWnd, &ps);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}
