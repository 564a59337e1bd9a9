// CMainWnd's window procedure: double-buffered painting, keys, clicks, the
// timer ticks and the results that worker threads post back.
#include "mainwnd/main_wnd.h"

#include <windowsx.h>

#include "layout/purchase_layout.h"
#include "mainwnd/timer_ids.h"
#include "mainwnd/window_messages.h"
#include "util/handles.h"

namespace {

POINT ClientPoint(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

LRESULT CMainWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_CLOSE:
            // Destroying the window would delete this object under a flow
            // that is waiting for an exchange: end the program instead.
            if (m_nPumpedWaits > 0) {
                EndProgram();
                return 0;
            }
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(m_hWnd, &ps);
            RECT rc = {};
            GetClientRect(m_hWnd, &rc);
            {
                MemoryDC mem(dc);
                GdiObject<HBITMAP> canvas(CreateCompatibleBitmap(dc, rc.right, rc.bottom));
                ScopedSelect select(mem.get(), canvas.get());
                // Only the invalid part reaches the screen, so nothing outside it
                // needs drawing: a loading-animation tick redraws its square only.
                IntersectClipRect(mem.get(), ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
                PaintClient(mem.get());
                BitBlt(dc, 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
            }
            EndPaint(m_hWnd, &ps);
            return 0;
        }
        case WM_DPICHANGED:
            // The window came onto a monitor of another scale.
            OnDpiChanged(LOWORD(wParam), HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) PostQuitMessage(0);
            return 0;
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wParam & 0xFFFF));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(ClientPoint(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown(ClientPoint(lParam));
            return 0;
        case WM_LBUTTONUP:
            if (m_bDragging) {
                m_bDragging = false;
                ReleaseCapture();
            }
            return 0;
        case WM_PICTURES_READY:
            if (TakeFirstPictures(false)) Repaint();
            // The purchase and support pages' pictures are decoded next, so
            // they do not slow the start-up's own.
            if (!m_firstPictures[kBackgroundPicture].Pending() && !m_firstPictures[kLogoPicture].Pending()) {
                StartLatePictures();
            }
            return 0;
        case WM_PAYMENT_UPDATE:
        case WM_ORDERS_LOADED:
        case WM_SUPPORT_LOADED:
        case WM_PAY_QR_READY:
            // Each report carries nothing itself: the workers' results wait in
            // the hand-over queue, and every report applies all that arrived
            // (closing the reporting worker's handle is part of its result).
            ApplyWorkerResults();
            Repaint();
            return 0;
        default:
            break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CMainWnd::OnTimer(UINT_PTR id) {
    switch (id) {
        case TIMER_COUNTDOWN:
            if (!m_bCountdownActive) return;
            --m_nCountdownSeconds;
            if (m_nCountdownSeconds <= 0) {
                // The order stays payable; only the offer clock stops.
                m_bCountdownActive = false;
                StopWindowTimer(m_uCountdownTimer);
            }
            Repaint();
            return;
        case TIMER_SPINNER: {
            m_nSpinnerAngle = (m_nSpinnerAngle + 8) % 360;
            // Twenty ticks a second change nothing but the QR square, so only it
            // goes to the screen; elsewhere the animation is not visible at all.
            if (m_nPage != Page::PAGE_PURCHASE) return;
            const RECT square = PurchaseLayoutFor(Client(), 0, false).qrSquare;
            InvalidateRect(m_hWnd, &square, FALSE);
            return;
        }
        case TIMER_PAY_RESULT: {
            StopWindowTimer(m_uPayResultTimer);
            m_nPage = Page::PAGE_ORDERS;
            m_bCountdownActive = false;
            m_nPayState = PayState::PAY_STATE_NONE;
            m_nSelectedOrder = -1;
            FetchOrders();
            if (m_bEnding) return;
            for (size_t i = 0; i < m_aOrders.size(); ++i) {
                if (m_aOrders[i].order_no == m_strPayOrderNo) {
                    m_nSelectedOrder = static_cast<int>(i);
                    break;
                }
            }
            if (m_nSelectedOrder < 0 && !m_aOrders.empty()) m_nSelectedOrder = 0;
            // Opened even without orders: the dialog then shows no record.
            m_bShowOrderDetail = true;
            Repaint();
            return;
        }
        case TIMER_FIRST_PICTURES:
            StartDeferredFirstPictures();
            return;
        case TIMER_TOAST:
            StopWindowTimer(m_uToastTimer);
            m_bShowToast = false;
            Repaint();
            return;
        default:
            return;
    }
}
