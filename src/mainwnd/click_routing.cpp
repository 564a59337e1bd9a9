// Turning clicks and mouse moves into actions: the modal popups first, then
// the page-specific targets, then the title bar and the home controls. Also
// the small window operations that the title-bar buttons call.
#include <algorithm>

#include "layout/card_layout.h"
#include "layout/orders_layout.h"
#include "layout/purchase_layout.h"
#include "layout/window_layout.h"
#include "mainwnd/main_wnd.h"
#include "store/pay_rules.h"

namespace {

// Each step returns true when the click is handled and routing stops.
struct ClickContext {
    CMainWnd& w;
    POINT pt;
    ClientArea client;

    bool In(const RECT& rc) const { return Contains(rc, pt); }
    const LayoutScale& s() const { return client.scale; }
    int VersionCount() const { return static_cast<int>(w.m_aVersions.size()); }
};

bool OrderDetailStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (!w.m_bShowOrderDetail) return false;
    const OrderDetailLayout d = OrderDetailLayoutFor(c.client, w.OrderDetailShows());
    if (c.In(d.copyBtn)) {
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
    if (c.In(d.closeMark) || !c.In(d.card)) {
        w.m_bShowOrderDetail = false;
        w.m_bVipDownload = false;
        w.Repaint();
    }
    return true;
}

bool PurchaseSelectorStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != Page::PAGE_PURCHASE || w.m_nPayState != PayState::PAY_STATE_NONE) return false;
    const int n = c.VersionCount();
    // What the user sees is what the user clicks: the drawn selector and its list.
    const PurchaseLayout p = PurchaseLayoutFor(c.client, n, false);
    if (c.In(p.selector)) {
        w.m_bDropListOpen = !w.m_bDropListOpen;
        w.Repaint();
        return true;
    }
    if (!w.m_bDropListOpen) return false;
    if (c.In(p.versions.list)) {
        const int row = p.versions.RowAt(c.pt.y);
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
    if (w.m_nPage != Page::PAGE_ORDERS || w.m_aOrders.empty()) return false;
    const int size = static_cast<int>(w.m_aOrders.size());
    const OrdersLayout t = OrdersLayoutFor(c.client);
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
        const OrderRowLayout row = OrderRowAt(t, r, c.s());
        if (c.In(row.orderNo)) {
            if (w.CopyToClipboard(w.m_aOrders[i].order_no)) w.ShowCopyToast();
            break;
        }
        if (c.In(row.status)) {
            // As the page shows it: a member has nothing left to pay. Failed,
            // lapsed and refunded orders do nothing.
            const OrderStatus shown = DisplayedOrderStatus(w.m_aOrders[i].status, w.m_strLevel);
            if (shown == OrderStatus::Completed) {
                w.m_nSelectedOrder = i;
                w.m_bShowOrderDetail = true;
                w.Repaint();
            } else if (shown == OrderStatus::Pending) {
                w.ResumeOrPayOrder(i);
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
        const int item = UserMenuItem(w.m_rcUserMenu, c.pt.y, c.s());
        if (item == 0) {
            w.m_nPage = Page::PAGE_REDEEM;
            w.m_bRedeemSubmitted = false;
            w.m_strRedeemCode.clear();
            w.m_nFocusField = FocusField::None;
        } else if (item == 1) {
            w.m_nPage = Page::PAGE_LOGIN;
            w.m_bLoginSubmitted = false;
            w.m_strAccount.clear();
            w.m_strPassword.clear();
            w.m_nFocusField = FocusField::None;
        }
    }
    w.m_bShowUserMenu = false;
    w.Repaint();
    return true;
}

bool CouponPopupStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (!w.m_bShowCouponPopup) return false;
    const CouponLayout p = CouponLayoutFor(c.client);
    if (c.In(p.closeMark) || c.In(p.cancel)) {
        w.QuitApp();
    } else if (c.In(p.confirm)) {
        w.StartCouponPurchase();
    }
    return true;
}

bool HomeButtonStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != Page::PAGE_PURCHASE && w.m_nPage != Page::PAGE_ORDERS && w.m_nPage != Page::PAGE_SUPPORT) return false;
    if (!c.In(HomeButton(c.s()))) return false;
    w.m_nPage = Page::PAGE_HOME;
    w.m_bCountdownActive = false;
    w.m_bShowCouponPopup = false;
    w.m_bRedeemSubmitted = false;
    w.m_bLoginSubmitted = false;
    w.m_bDropListOpen = false;
    w.m_nFocusField = FocusField::None;
    w.StopPayment();
    w.StopWindowTimer(w.m_uCountdownTimer);
    w.StopWindowTimer(w.m_uSpinnerTimer);
    w.m_bVipDownload = false;
    w.UpdateLayout();
    w.Repaint();
    return true;
}

bool RedeemPopupStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != Page::PAGE_REDEEM) return false;
    const RedeemLayout p = RedeemLayoutFor(c.client);
    if (c.In(p.closeMark)) {
        w.m_nPage = Page::PAGE_HOME;
        w.m_bRedeemSubmitted = false;
        w.m_strRedeemCode.clear();
        w.m_nFocusField = FocusField::None;
        w.Repaint();
        return true;
    }
    if (c.In(p.input)) {
        w.m_nFocusField = FocusField::First;
        w.Repaint();
        return true;
    }
    if (c.In(p.button)) {
        w.m_bRedeemSubmitted = true;
        w.Repaint();
        return true;
    }
    w.m_nFocusField = FocusField::None;
    w.Repaint();
    return false;
}

bool LoginPopupStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (w.m_nPage != Page::PAGE_LOGIN) return false;
    const LoginLayout p = LoginLayoutFor(c.client);
    if (c.In(p.closeMark)) {
        w.m_nPage = Page::PAGE_HOME;
        w.m_bLoginSubmitted = false;
        w.m_strAccount.clear();
        w.m_strPassword.clear();
        w.m_nFocusField = FocusField::None;
        w.Repaint();
        return true;
    }
    if (c.In(p.account) || c.In(p.password)) {
        w.m_nFocusField = c.In(p.account) ? FocusField::First : FocusField::Password;
        w.Repaint();
        return true;
    }
    if (c.In(p.button)) {
        w.m_bLoginSubmitted = true;
        w.Repaint();
        return true;
    }
    w.m_nFocusField = FocusField::None;
    w.Repaint();
    return false;
}

bool OpenVersionListStep(ClickContext& c) {
    CMainWnd& w = c.w;
    if (!w.m_bDropListOpen) return false;
    const int n = c.VersionCount();
    const RECT selector = w.VersionSelector();
    const DropList d = DropListBelow(selector, n, c.s());
    const RECT area = d.AreaWith(selector);
    if (!c.In(d.list)) {
        w.m_bDropListOpen = false;
        InvalidateRect(w.m_hWnd, &area, FALSE);
        return true;
    }
    const int row = d.RowAt(c.pt.y);
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
        w.m_nPage = Page::PAGE_ORDERS;
        w.Repaint();
    } else if (c.In(w.m_rcSupportBtn)) {
        w.StartSupportWorker();
        w.m_nPage = Page::PAGE_SUPPORT;
        w.Repaint();
    } else if (c.In(w.m_rcInstallBtn)) {
        w.StartPurchase();
    } else if (const RECT selector = w.VersionSelector(); c.In(selector)) {
        w.m_bDropListOpen = !w.m_bDropListOpen;
        const RECT area = DropListBelow(selector, c.VersionCount(), c.s()).AreaWith(selector);
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
    ClickContext c{*this, pt, Client()};
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
            const int item = UserMenuItem(m_rcUserMenu, pt.y, Client().scale);
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
    Repaint();
}

void CMainWnd::MinimizeWindow() { ShowWindow(m_hWnd, SW_MINIMIZE); }

void CMainWnd::QuitApp() { PostQuitMessage(0); }
