// The layouts as the window's current state makes them: its client area and
// scale, the version selector in effect, and what the order-detail dialog
// shows. Drawing and the click routing both ask here.
#include "layout/orders_layout.h"
#include "layout/purchase_layout.h"
#include "mainwnd/main_wnd.h"

ClientArea CMainWnd::Client() const {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    return {rc.right, rc.bottom, LayoutScale{m_fScaleX, m_fScaleY}};
}

RECT CMainWnd::VersionSelector() const {
    if (m_nPage != Page::PAGE_PURCHASE) return m_rcVersionCombo;
    return PurchaseLayoutFor(Client(), 0, false).selector;
}

DetailShows CMainWnd::OrderDetailShows() const {
    if (m_bVipDownload) return DetailShows::VipDownload;
    if (m_nSelectedOrder < 0 || m_nSelectedOrder >= static_cast<int>(m_aOrders.size())) return DetailShows::Nothing;
    // Judged from the stored status alone: such an order has no link to offer.
    const OrderStatus status = m_aOrders[m_nSelectedOrder].status;
    return status == OrderStatus::Expired || status == OrderStatus::Failed ? DetailShows::LapsedOrder
                                                                           : DetailShows::Order;
}

RECT CMainWnd::CopyButton() const { return OrderDetailLayoutFor(Client(), OrderDetailShows()).copyBtn; }
