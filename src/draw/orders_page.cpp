// The orders page: the four-column table of the user's orders, six to a page,
// with a coloured status button per row, the pager, and the loading and empty
// notices.
#include <algorithm>
#include <string>

#include "draw/toolkit.h"
#include "layout/orders_layout.h"
#include "store/pay_rules.h"
#include "mainwnd/main_wnd.h"

std::wstring ShortGameName(const std::wstring& name) {
    constexpr size_t kShownUnits = 12;
    if (name.size() <= kShownUnits) return name;
    return name.substr(0, kShownUnits) + L"...";
}

const wchar_t* OrderStatusLabel(OrderStatus status) {
    switch (status) {
        case OrderStatus::Completed: return L"已完成";
        case OrderStatus::Failed: return L"支付失败";
        case OrderStatus::Expired: return L"已失效";
        case OrderStatus::Refunded: return L"已退款";
        case OrderStatus::Pending: break;
    }
    return L"待支付";
}

int FirstOrderOfPage(int page, int perPage, int orderCount) {
    const int first = page * perPage;
    return first < 0 || first >= orderCount ? 0 : first;
}

std::wstring OrderPageInfo(int page, int perPage, int orderCount) {
    const int pages = (orderCount + perPage - 1) / perPage;
    return L"第" + std::to_wstring(page + 1) + L"/" + std::to_wstring(std::max(pages, 1)) + L"页";
}

namespace {

constexpr PaletteColor kHeaderLine = Opaque(60, 60, 60);
constexpr PaletteColor kRowTint = Translucent(20, 255, 255, 255);
constexpr PaletteColor kFooterFill = Translucent(120, 40, 40, 40);

// Red to pay, green when done, grey for everything else.
PaletteColor StatusButtonColour(OrderStatus shown) {
    if (shown == OrderStatus::Pending) return palette::kRed;
    if (shown == OrderStatus::Completed) return palette::kGreen;
    return palette::kTextDim;
}

// What a translucent fill gives over the panel's opaque fill, blended by
// GDI+ itself on a one-pixel canvas of the page's kind. The rows and the
// footer lie on that uniform fill, so filling them with this opaque colour
// gives the same pixels; Wine blends a translucent fill at a few nanoseconds
// a pixel, the rows and footer alone about a millisecond at 144 DPI.
Gdiplus::Color OverPanel(HDC dc, PaletteColor fill) {
    MemoryDC probe(dc);
    GdiObject<HBITMAP> pixel(CreateCompatibleBitmap(dc, 1, 1));
    ScopedSelect select(probe.get(), pixel.get());
    {
        Gdiplus::Graphics g(probe.get());
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        Gdiplus::SolidBrush panel(palette::kPanelFill.Plus());
        Gdiplus::SolidBrush brush(fill.Plus());
        g.FillRectangle(&panel, 0, 0, 1, 1);
        g.FillRectangle(&brush, 0, 0, 1, 1);
    }
    const COLORREF c = GetPixel(probe.get(), 0, 0);
    return Gdiplus::Color(GetRValue(c), GetGValue(c), GetBValue(c));
}

// One row of the shown page; the caller has selected the row font.
void DrawOrderRow(HDC dc, Gdiplus::Graphics& g, const LayoutScale& s, const OrderRowLayout& r, const OrderInfo& order,
                  OrderStatus shown) {
    DrawLabel(dc, order.order_no.c_str(), r.orderNo, palette::kTextMid, kTextLeft);
    DrawLabel(dc, ShortGameName(order.game_name).c_str(), r.version, palette::kTextMid, kTextLeft);
    DrawLabel(dc, order.amount_text.c_str(), r.amount, palette::kGold, kTextLeft);
    FillRoundRect(g, r.button, s.X(4), StatusButtonColour(shown));
    DrawLabel(dc, OrderStatusLabel(shown), r.button, palette::kTextWhite, kTextCentre);
}

}  // namespace

void CMainWnd::DrawOrdersPage(HDC dc) {
    const ClientArea client = Client();
    const LayoutScale& s = client.scale;
    const OrdersLayout t = OrdersLayoutFor(client);

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawTitledPagePanel(dc, g, t.panel, L"我的订单");

    // Headers, rows, pager and home button all use the 20-unit regular font.
    ScopedFont rowFont(dc, CreateUIFont(20, 400));
    const wchar_t* const headers[] = {L"订单号", L"版本", L"金额", L"状态"};
    for (int i = 0; i < 4; ++i) DrawLabel(dc, headers[i], t.headers[i], palette::kTextGrey, kTextLeft);
    {
        Gdiplus::Pen linePen(kHeaderLine.Plus(), 1.0f);
        DrawHLine(g, linePen, t.headerLine);
    }

    // The worker rebuilds m_aOrders while its handle is set, so the list is
    // not read until it is cleared.
    if (m_ordersWorker.Running()) {
        DrawLabel(dc, L"正在加载订单数据...", t.notice, palette::kTextDim, kTextCentre);
    } else if (m_aOrders.empty()) {
        DrawLabel(dc, L"暂无订单", t.notice, palette::kTextDim, kTextCentre);
        ScopedFont tipFont(dc, CreateUIFont(16, 400));
        DrawLabel(dc, L"您还没有任何订单记录", t.tip, palette::kTextDark, kTextCentre);
    } else {
        const int total = static_cast<int>(m_aOrders.size());
        const int first = FirstOrderOfPage(m_nOrderPage, m_nOrdersPerPage, total);
        const int count = std::min(total - first, m_nOrdersPerPage);
        Gdiplus::SolidBrush itemBrush(OverPanel(dc, kRowTint));
        for (int i = 0; i < count; ++i) {
            const OrderInfo& order = m_aOrders[first + i];
            const OrderRowLayout row = OrderRowAt(t, i, s);
            if (i % 2 == 0) g.FillRectangle(&itemBrush, row.tint.left, row.tint.top, Width(row.tint), Height(row.tint));
            DrawOrderRow(dc, g, s, row, order, DisplayedOrderStatus(order.status, m_strLevel));
        }

        Gdiplus::SolidBrush footerBrush(OverPanel(dc, kFooterFill));
        g.FillRectangle(&footerBrush, t.footer.left, t.footer.top, Width(t.footer), Height(t.footer));
        DrawLabel(dc, L"上一页", t.prev, palette::kTextGrey, kTextLeft);
        DrawLabel(dc, OrderPageInfo(m_nOrderPage, m_nOrdersPerPage, total).c_str(), t.info, palette::kTextGrey,
                  kTextCentre);
        DrawLabel(dc, L"下一页", t.next, palette::kTextGrey, kTextRight);
    }

    DrawHomeButton(dc, g, t.homeBtn, ScaleX(8));
}
