// Turning clicks and mouse moves into actions: the modal popups first, then
// the page-specific targets, then the title bar and the home controls. Also
// the small window operations that the title-bar buttons call.
#include <algorithm>

#include "draw/toolkit.h"
#include "mainwnd/hit_geometry.h"
#include "mainwnd/main_wnd.h"

namespace {

// Each step returns true when the click is handled and routing stops.
struct ClickContext {
    CMainWnd& w;
    POINT pt;
    int clientW;
    int clientH;
    LayoutScale s;

    bool In(const RECT& rc) const { return PtInRect(&rc, pt) != FALSE; }
    int VersionCount() const { return static_cast<int>(w.m_aVersions.size()); }
};

bool OrderDetailStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (!w.m_bShowOrderDetail) return false;
    if (c.In(w.m_rcCopyBtn)) {
        const int count = static_cast<int>(w.m_aOrders.size());
        bool copied = false;
        if (w.m_bVipDownload) {
            copied = w.CopyToClipboard(w.m_vipOrder.download_url);
        } else if (w.m_nSelectedOrder >= 0 && w.m_nSelectedOrder < count) {
            copied = w.CopyToClipboard(w.m_aOrders[w.m_nSelectedOrder].download_url);
        }
        if (copied) w.ShowCopyToast();
        return true;
    }
    const RECT card = OrderDetailCard(c.clientW, c.clientH, c.s);
    if (c.In(OrderDetailCloseMark(card, c.s)) || !c.In(card)) {
        w.m_bShowOrderDetail = false;
        w.m_bVipDownload = false;
        w.Repaint();
    }
    return true;
}

bool PurchaseSelectorStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != PAGE_PURCHASE || w.m_nPayState != PAY_STATE_NONE) return false;
    const RECT sel = PurchaseSelector(c.clientW, c.clientH, c.s);
    if (c.In(sel)) {
        w.m_bDropListOpen = !w.m_bDropListOpen;
        w.Repaint();
        return true;
    }
    if (!w.m_bDropListOpen) return false;
    const int n = c.VersionCount();
    const RECT list = DropListBelow(sel, n, c.s);
    if (c.In(list)) {
        const int row = DropListRow(list, c.pt.y, c.s);
        if (row >= 0 && row < n) {
            w.m_nSelectedVersion = row;
            w.m_bDropListOpen = false;
            w.StartResumeWorker();
            w.Repaint();
        }
        return true;
    }
    w.m_bDropListOpen = false;
    w.Repaint();
    return false;
}

bool OrdersTableStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != PAGE_ORDERS || w.m_aOrders.empty()) return false;
    const int size = static_cast<int>(w.m_aOrders.size());
    const OrdersTable t = OrdersTableGeometry(c.clientW, c.clientH, c.s);
    const int first = w.m_nOrderPage * w.m_nOrdersPerPage;
    const int count = std::min(size - first, w.m_nOrdersPerPage);
    if (c.In(t.prev)) {
        if (w.m_nOrderPage >= 1) {
            --w.m_nOrderPage;
            w.Repaint();
        }
        return true;
    }
    if (c.In(t.next)) {
        if (first + count < size) {
            ++w.m_nOrderPage;
            w.Repaint();
        }
        return true;
    }
    for (int r = 0; r < count; ++r) {
        const int i = first + r;
        if (c.In(OrderNumberCell(t, r, c.s))) {
            if (w.CopyToClipboard(w.m_aOrders[i].order_no)) w.ShowCopyToast();
            break;
        }
        if (c.In(OrderStatusCell(t, r, c.s))) {
            // As the page shows it: a member has nothing left to pay.
            const std::wstring status = DisplayedOrderStatus(w.m_aOrders[i].status_text, w.m_strLevel);
            if (status == L"已完成") {
                w.m_nSelectedOrder = i;
                w.m_bShowOrderDetail = true;
                w.Repaint();
            } else if (status == L"待支付") {
                w.ResumeOrPayOrder(i);
            } else if (status != L"支付失败" && status != L"已失效" && status != L"已退款") {
                w.Repaint();
            }
            break;
        }
    }
    // A row action does not end the routing.
    return false;
}

bool UserMenuStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (!w.m_bShowUserMenu) return false;
    if (c.In(w.m_rcUserMenu)) {
        const int item = UserMenuItem(w.m_rcUserMenu, c.pt.y, c.s);
        if (item == 0) {
            w.m_nPage = PAGE_REDEEM;
            w.m_bRedeemSubmitted = false;
            w.m_strRedeemCode.clear();
            w.m_nFocusField = 0;
        } else if (item == 1) {
            w.m_nPage = PAGE_LOGIN;
            w.m_bLoginSubmitted = false;
            w.m_strAccount.clear();
            w.m_strPassword.clear();
            w.m_nFocusField = 0;
        }
    }
    w.m_bShowUserMenu = false;
    w.Repaint();
    return true;
}

bool CouponPopupStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (!w.m_bShowCouponPopup) return false;
    const CouponPopup p = CouponPopupGeometry(c.clientW, c.clientH, c.s);
    if (c.In(p.closeMark) || c.In(p.cancel)) {
        w.QuitApp();
    } else if (c.In(p.confirm)) {
        w.StartCouponPurchase();
    }
    return true;
}

bool HomeButtonStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != PAGE_PURCHASE && w.m_nPage != PAGE_ORDERS && w.m_nPage != PAGE_SUPPORT) return false;
    if (!c.In(HomeButton(c.s))) return false;
    w.m_nPage = PAGE_HOME;
    w.m_bCountdownActive = false;
    w.m_bShowCouponPopup = false;
    w.m_bRedeemSubmitted = false;
    w.m_bLoginSubmitted = false;
    w.m_bDropListOpen = false;
    w.m_nFocusField = 0;
    w.StopPayment();
    w.StopWindowTimer(w.m_uCountdownTimer);
    w.StopWindowTimer(w.m_uSpinnerTimer);
    w.m_bVipDownload = false;
    // The purchase page's drawing moved the selector; put the home one back.
    w.UpdateLayout();
    w.Repaint();
    return true;
}

bool RedeemPopupStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != PAGE_REDEEM) return false;
    const RedeemPopup p = RedeemPopupGeometry(c.clientW, c.clientH, c.s);
    if (c.In(p.closeMark)) {
        w.m_nPage = PAGE_HOME;
        w.m_bRedeemSubmitted = false;
        w.m_strRedeemCode.clear();
        w.m_nFocusField = 0;
        // The purchase page may have moved the selector; home gets its own back.
        w.UpdateLayout();
        w.Repaint();
        return true;
    }
    if (c.In(p.input)) {
        w.m_nFocusField = 1;
        w.Repaint();
        return true;
    }
    if (c.In(p.button)) {
        w.m_bRedeemSubmitted = true;
        w.Repaint();
        return true;
    }
    w.m_nFocusField = 0;
    w.Repaint();
    return false;
}

bool LoginPopupStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != PAGE_LOGIN) return false;
    const LoginPopup p = LoginPopupGeometry(c.clientW, c.clientH, c.s);
    if (c.In(p.closeMark)) {
        w.m_nPage = PAGE_HOME;
        w.m_bLoginSubmitted = false;
        w.m_strAccount.clear();
        w.m_strPassword.clear();
        w.m_nFocusField = 0;
        w.UpdateLayout();
        w.Repaint();
        return true;
    }
    if (c.In(p.account) || c.In(p.password)) {
        w.m_nFocusField = c.In(p.account) ? 1 : 2;
        w.Repaint();
        return true;
    }
    if (c.In(p.button)) {
        w.m_bLoginSubmitted = true;
        w.Repaint();
        return true;
    }
    w.m_nFocusField = 0;
    w.Repaint();
    return false;
}

// The selector with its open list below it: the area that a list change repaints.
RECT VersionListArea(const RECT& combo, int n, const LayoutScale& s) {
    return {combo.left, combo.top, combo.right, DropListBelow(combo, n, s).bottom};
}

bool OpenVersionListStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (!w.m_bDropListOpen) return false;
    const int n = c.VersionCount();
    const RECT list = DropListBelow(w.m_rcVersionCombo, n, c.s);
    const RECT area = VersionListArea(w.m_rcVersionCombo, n, c.s);
    if (!c.In(list)) {
        w.m_bDropListOpen = false;
        InvalidateRect(w.m_hWnd, &area, FALSE);
        return true;
    }
    const int row = DropListRow(list, c.pt.y, c.s);
    if (row >= 0 && row < n) {
        w.m_nSelectedVersion = row;
        w.m_bDropListOpen = false;
        InvalidateRect(w.m_hWnd, &area, FALSE);
    }
    return true;
}

void WindowTargetsStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (c.In(w.m_rcCloseBtn)) {
        w.OnCloseButton();
    } else if (c.In(w.m_rcMinBtn)) {
        w.MinimizeWindow();
    } else if (c.In(w.m_rcMenuBtn)) {
        w.ToggleUserMenu();
    } else if (c.In(w.m_rcOrdersBtn)) {
        w.StartOrdersWorker();
        w.m_nPage = PAGE_ORDERS;
        w.Repaint();
    } else if (c.In(w.m_rcSupportBtn)) {
        w.StartSupportWorker();
        w.m_nPage = PAGE_SUPPORT;
        w.Repaint();
    } else if (c.In(w.m_rcInstallBtn)) {
        w.StartPurchase();
    } else if (c.In(w.m_rcVersionCombo)) {
        w.m_bDropListOpen = !w.m_bDropListOpen;
        const RECT area = VersionListArea(w.m_rcVersionCombo, c.VersionCount(), c.s);
        InvalidateRect(w.m_hWnd, &area, FALSE);
    } else if (c.In(w.m_rcTitleBar)) {
        w.m_bDragging = true;
        w.m_ptDragStart = c.pt;
        SetCapture(w.m_hWnd);
    }
}

}  // namespace

void CMainWnd::Repaint() { InvalidateRect(m_hWnd, nullptr, FALSE); }

void CMainWnd::OnLButtonDown(POINT pt) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    ClickContext c{*this, pt, client.right, client.bottom, LayoutScale{m_fScaleX, m_fScaleY}};
    using Step = bool (*)(ClickContext&);
    static constexpr Step kSteps[] = {
        OrderDetailStep, PurchaseSelectorStep, OrdersTableStep, UserMenuStep,        CouponPopupStep,
        HomeButtonStep,  RedeemPopupStep,      LoginPopupStep,  OpenVersionListStep,
    };
    for (Step step : kSteps) {
        // A step that waited for the backend may have seen the program end.
        if (step(c) || m_bEnding) return;
    }
    WindowTargetsStep(c);
}

void CMainWnd::OnMouseMove(POINT pt) {
    if (m_bShowUserMenu) {
        if (PtInRect(&m_rcUserMenu, pt)) {
            const int item = UserMenuItem(m_rcUserMenu, pt.y, LayoutScale{m_fScaleX, m_fScaleY});
            if ((item == 0 || item == 1) && item != m_nHoverMenuItem) {
                m_nHoverMenuItem = item;
                InvalidateRect(m_hWnd, &m_rcUserMenu, FALSE);
            }
        } else if (m_nHoverMenuItem != -1) {
            m_nHoverMenuItem = -1;
            InvalidateRect(m_hWnd, &m_rcUserMenu, FALSE);
        }
    }
    if (m_bDragging) {
        RECT rc = {};
        GetWindowRect(m_hWnd, &rc);
        // The grabbed client point stays under the cursor.
        SetWindowPos(m_hWnd, nullptr, rc.left + (pt.x - m_ptDragStart.x), rc.top + (pt.y - m_ptDragStart.y), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
    }
}

void CMainWnd::OnCloseButton() {
    StopPayment();
    if (m_strLevel != L"vip" && !m_bShowCouponPopup) {
        m_bShowCouponPopup = true;
        Repaint();
    } else {
        PostQuitMessage(0);
    }
}

void CMainWnd::ToggleUserMenu() {
    m_bShowUserMenu = !m_bShowUserMenu;
    m_nHoverMenuItem = -1;
    m_rcUserMenu = UserMenuRect(m_rcMenuBtn, LayoutScale{m_fScaleX, m_fScaleY});
    Repaint();
}

void CMainWnd::MinimizeWindow() { ShowWindow(m_hWnd, SW_MINIMIZE); }

void CMainWnd::QuitApp() { PostQuitMessage(0); }
