// The orders page: the four-column table of the user's orders, six to a page,
// with a coloured status button per row, the pager, and the loading and empty
// notices.
#include <algorithm>
#include <string>

#include "draw/toolkit.h"
#include "mainwnd/hit_geometry.h"
#include "mainwnd/main_wnd.h"

std::wstring ShortGameName(const std::wstring& name) {
    constexpr size_t kShownUnits = 12;
    if (name.size() <= kShownUnits) return name;
    return name.substr(0, kShownUnits) + L"...";
}

std::wstring DisplayedOrderStatus(const std::wstring& statusText, const std::wstring& level) {
    if (level == L"vip" && statusText == L"待支付") return L"已失效";
    return statusText;
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
PaletteColor StatusButtonColour(const std::wstring& displayedStatus) {
    if (displayedStatus == L"待支付") return palette::kRed;
    if (displayedStatus == L"已完成") return palette::kGreen;
    return palette::kTextDim;
}

// The table's columns, list top and pager buttons come from the click test's
// geometry, so what is drawn is what is hit; the click test has no use for
// the amount column or the right edge.
struct Table {
    OrdersTable cells;
    int c3;
    int right;
};

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

// Row `row` of the shown page; the caller has selected the row font.
void DrawOrderRow(HDC dc, Gdiplus::Graphics& g, const LayoutScale& s, const Table& t, int row, const OrderInfo& order,
                  const std::wstring& status) {
    const OrdersTable& c = t.cells;
    const RECT rcOrderNo = OrderNumberCell(c, row, s);
    const LONG ry = rcOrderNo.top;
    const LONG rb = rcOrderNo.bottom;
    DrawLabel(dc, order.order_no.c_str(), rcOrderNo, palette::kTextMid, kTextLeft);
    DrawLabel(dc, ShortGameName(order.game_name).c_str(), {c.c2, ry, t.c3 - s.X(10), rb}, palette::kTextMid, kTextLeft);
    DrawLabel(dc, order.amount_text.c_str(), {t.c3, ry, c.c4 - s.X(5), rb}, palette::kGold, kTextLeft);

    const RECT rcStatus = OrderStatusCell(c, row, s);
    const int bw = s.X(80);
    const int bh = s.Y(28);
    const int left = rcStatus.left + (rcStatus.right - rcStatus.left - bw) / 2;
    const int top = rcStatus.top + (rcStatus.bottom - rcStatus.top - bh) / 2;
    const RECT rcButton = {left, top, left + bw, top + bh};
    FillRoundRect(g, rcButton, s.X(4), StatusButtonColour(status));
    DrawLabel(dc, status.c_str(), rcButton, palette::kTextWhite, kTextCentre);
}

}  // namespace

void CMainWnd::DrawOrdersPage(HDC dc) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const LayoutScale s{m_fScaleX, m_fScaleY};
    const int width = ScaleX(840);
    const RECT panel = CentredPanel(client.right, client.bottom, width, ScaleY(460));
    const int py = panel.top;
    const int radius = ScaleX(8);

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawTitledPagePanel(dc, g, panel, L"我的订单");

    const OrdersTable cells = OrdersTableGeometry(client.right, client.bottom, s);
    const Table t = {cells, cells.tx + cells.tw - ScaleX(180), cells.tx + cells.tw};
    const OrdersTable& c = t.cells;
    const int hy = py + ScaleY(90);

    // Headers, rows, pager and home button all use the 20-unit regular font.
    ScopedFont rowFont(dc, CreateUIFont(20, 400));
    const int headerBottom = hy + ScaleY(30);
    DrawLabel(dc, L"订单号", {c.tx, hy, c.c2, headerBottom}, palette::kTextGrey, kTextLeft);
    DrawLabel(dc, L"版本", {c.c2, hy, t.c3, headerBottom}, palette::kTextGrey, kTextLeft);
    DrawLabel(dc, L"金额", {t.c3, hy, c.c4, headerBottom}, palette::kTextGrey, kTextLeft);
    DrawLabel(dc, L"状态", {c.c4, hy, t.right, headerBottom}, palette::kTextGrey, kTextLeft);
    {
        Gdiplus::Pen linePen(kHeaderLine.Plus(), 1.0f);
        const int lineY = hy + ScaleY(35);
        g.DrawLine(&linePen, c.tx, lineY, t.right, lineY);
    }

    const RECT rcNotice = {c.tx, c.ly + ScaleY(45), t.right, c.ly + ScaleY(90)};
    // The worker rebuilds m_aOrders while its handle is set, so the list is
    // not read until it is cleared.
    if (m_ordersWorker.Running()) {
        DrawLabel(dc, L"正在加载订单数据...", rcNotice, palette::kTextDim, kTextCentre);
    } else if (m_aOrders.empty()) {
        DrawLabel(dc, L"暂无订单", rcNotice, palette::kTextDim, kTextCentre);
        ScopedFont tipFont(dc, CreateUIFont(16, 400));
        DrawLabel(dc, L"您还没有任何订单记录", {c.tx, c.ly + ScaleY(90), t.right, c.ly + ScaleY(120)},
                  palette::kTextDark, kTextCentre);
    } else {
        const int total = static_cast<int>(m_aOrders.size());
        const int first = FirstOrderOfPage(m_nOrderPage, m_nOrdersPerPage, total);
        const int count = std::min(total - first, m_nOrdersPerPage);
        Gdiplus::SolidBrush itemBrush(OverPanel(dc, kRowTint));
        for (int i = 0; i < count; ++i) {
            const OrderInfo& order = m_aOrders[first + i];
            if (i % 2 == 0) g.FillRectangle(&itemBrush, c.tx, c.ly + i * ScaleY(45), c.tw, ScaleY(40));
            DrawOrderRow(dc, g, s, t, i, order, DisplayedOrderStatus(order.status_text, m_strLevel));
        }

        const RECT& prev = c.prev;
        Gdiplus::SolidBrush footerBrush(OverPanel(dc, kFooterFill));
        g.FillRectangle(&footerBrush, c.tx, prev.top, c.tw, prev.bottom - prev.top);
        DrawLabel(dc, L"上一页", prev, palette::kTextGrey, kTextLeft);
        DrawLabel(dc, OrderPageInfo(m_nOrderPage, m_nOrdersPerPage, total).c_str(),
                  {c.tx + ScaleX(330), prev.top, c.tx + ScaleX(450), prev.bottom}, palette::kTextGrey, kTextCentre);
        DrawLabel(dc, L"下一页", c.next, palette::kTextGrey, kTextRight);
    }

    DrawHomeButton(dc, g, HomeButton(s), radius);
}
