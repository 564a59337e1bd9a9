// The order-detail dialog: a card over the dimmed window with an order's
// fields, its download link and copy button, or the notice of a lapsed order;
// in VIP mode the download of a member's version.
#include <optional>

#include "draw/toolkit.h"
#include "mainwnd/hit_geometry.h"
#include "mainwnd/main_wnd.h"

namespace {

// Judged from the stored status alone: such an order has no link to offer.
bool IsLapsedOrder(const std::wstring& statusText) { return statusText == L"已失效" || statusText == L"支付失败"; }

constexpr PaletteColor kLinkBoxFill = Opaque(60, 60, 60);

HFONT CreateLinkFont(int height) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Consolas");
}

}  // namespace

void CMainWnd::DrawCopyToast(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    ScopedFont toastFont(dc, CreateUIFont(14, 700));
    const RECT& b = m_rcCopyBtn;
    DrawLabel(dc, L"已复制", {b.left, b.bottom + ScaleY(2), b.right, b.bottom + ScaleY(25)}, palette::kGreen, kTextCentre);
}

void CMainWnd::DrawOrderDetailDialog(HDC dc, bool withToast) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const LayoutScale s{m_fScaleX, m_fScaleY};
    const RECT card = OrderDetailCard(client.right, client.bottom, s);
    const int width = card.right - card.left;
    const int dx = card.left;
    const int dy = card.top;

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    {
        Gdiplus::SolidBrush overlayBrush(palette::kDimOverlay.Plus());
        g.FillRectangle(&overlayBrush, 0, 0, client.right, client.bottom);
    }
    DrawRoundPanel(g, card, ScaleX(12), palette::kCardFill, palette::kCardBorder);
    DrawCloseCross(g, dx + width - ScaleX(30), dy + ScaleY(20), ScaleX(8), ScaleY(8));

    // A copy, so a list refresh cannot pull the record away mid-paint.
    std::optional<OrderInfo> order;
    bool lapsed = false;
    if (m_bVipDownload) {
        order = m_vipOrder;
    } else if (m_nSelectedOrder >= 0 && m_nSelectedOrder < static_cast<int>(m_aOrders.size())) {
        order = m_aOrders[m_nSelectedOrder];
        lapsed = IsLapsedOrder(order->status_text);
    }

    SetBkMode(dc, TRANSPARENT);
    {
        ScopedFont titleFont(dc, CreateUIFont(28, 700));
        const wchar_t* title = m_bVipDownload ? L"VIP 下载" : lapsed ? L"订单已失效" : L"订单详情";
        DrawLabel(dc, title, {dx, dy + ScaleY(30), dx + width, dy + ScaleY(70)}, palette::kTextWhite, kTextCentre);
    }
    if (!order) return;

    ScopedFont textFont(dc, CreateUIFont(20, 400));
    const int lh = ScaleY(40);
    const int labelLeft = dx + ScaleX(50);
    const int valueLeft = dx + ScaleX(150);
    const int valueRight = dx + width - ScaleX(50);
    const auto label = [&](int y, const wchar_t* text) {
        DrawLabel(dc, text, {labelLeft, y, valueLeft, y + lh}, palette::kTextDim, kTextLeft);
    };
    const auto row = [&](int y, const wchar_t* text, const std::wstring& value, PaletteColor colour) {
        label(y, text);
        DrawLabel(dc, value.c_str(), {valueLeft, y, valueRight, y + lh}, colour, kTextLeft);
    };

    int y = dy + ScaleY(100);
    if (!m_bVipDownload) {
        row(y, L"订单号：", order->order_no, palette::kTextLight);
        y += lh;
        row(y, L"商家单号：", order->alipay_trade_no, palette::kTextLight);
    }
    // A member's download leaves the first row's place empty.
    y += lh;
    row(y, L"产品：", order->game_name, palette::kTextLight);
    if (!m_bVipDownload) {
        y += lh;
        row(y, L"金额：", order->amount_text, palette::kGold);
        y += lh;
        row(y, L"时间：", order->time_text, palette::kTextLight);
    }

    if (lapsed) {
        y += lh + ScaleY(40);
        DrawLabel(dc, L"订单已失效，请重新购买", {labelLeft, y, valueRight, y + lh}, palette::kRed, kTextCentre);
        // Nothing to copy: a click where the button was must not act.
        SetRectEmpty(&m_rcCopyBtn);
        return;
    }

    y += lh + ScaleY(20);
    label(y, L"下载链接：");
    const int bw = ScaleX(110);
    const int bh = ScaleY(40);
    const int gap = ScaleX(10);
    y += lh;
    const int boxH = ScaleY(45);
    const RECT box = {labelLeft, y, labelLeft + width - ScaleX(100) - bw - gap, y + boxH};
    DrawRoundPanel(g, box, ScaleX(6), kLinkBoxFill, palette::kCardBorder);
    {
        ScopedFont linkFont(dc, CreateLinkFont(ScaleY(16)));
        const RECT rcLink = {box.left + ScaleX(10), box.top, box.right - ScaleX(10), box.bottom};
        DrawLabel(dc, order->download_url.c_str(), rcLink, palette::kLinkBlue, kTextLeft | DT_END_ELLIPSIS);
    }

    const int top = y + (boxH - bh) / 2;
    const RECT rcCopyBtn = {box.right + gap, top, box.right + gap + bw, top + bh};
    DrawRoundPanel(g, rcCopyBtn, ScaleX(20), palette::kGoldFill, palette::kGoldBorder);
    DrawLabel(dc, L"一键复制", rcCopyBtn, Opaque(0, 0, 0), kTextCentre);
    m_rcCopyBtn = rcCopyBtn;

    if (m_bShowToast && withToast) DrawCopyToast(dc);
}
