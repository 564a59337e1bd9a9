// The order-detail dialog: a card over the dimmed window with an order's
// fields, its download link and copy button, or the notice of a lapsed order;
// in VIP mode the download of a member's version.
#include <optional>

#include "draw/toolkit.h"
#include "layout/orders_layout.h"
#include "mainwnd/main_wnd.h"

namespace {

constexpr PaletteColor kLinkBoxFill = Opaque(60, 60, 60);

HFONT CreateLinkFont(int height) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Consolas");
}

struct DetailRowLook {
    const wchar_t* label;
    std::wstring OrderInfo::*value;
    PaletteColor colour;
};

constexpr DetailRowLook kRowLooks[kDetailRows] = {
    {L"订单号：", &OrderInfo::order_no, palette::kTextLight},
    {L"商家单号：", &OrderInfo::alipay_trade_no, palette::kTextLight},
    {L"产品：", &OrderInfo::game_name, palette::kTextLight},
    {L"金额：", &OrderInfo::amount_text, palette::kGold},
    {L"时间：", &OrderInfo::time_text, palette::kTextLight},
};

}  // namespace

void CMainWnd::DrawCopyToast(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    ScopedFont toastFont(dc, CreateUIFont(14, 700));
    DrawLabel(dc, L"已复制", OrderDetailLayoutFor(Client(), OrderDetailShows()).toast, palette::kGreen, kTextCentre);
}

void CMainWnd::DrawOrderDetailDialog(HDC dc, bool withToast) {
    const ClientArea client = Client();
    const DetailShows shows = OrderDetailShows();
    const OrderDetailLayout d = OrderDetailLayoutFor(client, shows);

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    {
        Gdiplus::SolidBrush overlayBrush(palette::kDimOverlay.Plus());
        g.FillRectangle(&overlayBrush, 0, 0, client.width, client.height);
    }
    DrawRoundPanel(g, d.card, ScaleX(12), palette::kCardFill, palette::kCardBorder);
    DrawCloseCross(g, d.cross.x, d.cross.y, d.crossReach.x, d.crossReach.y);

    // A copy, so a list refresh cannot pull the record away mid-paint.
    std::optional<OrderInfo> order;
    if (shows == DetailShows::VipDownload) {
        order = m_vipOrder;
    } else if (shows != DetailShows::Nothing) {
        order = m_aOrders[m_nSelectedOrder];
    }

    SetBkMode(dc, TRANSPARENT);
    {
        ScopedFont titleFont(dc, CreateUIFont(28, 700));
        const wchar_t* title = shows == DetailShows::VipDownload   ? L"VIP 下载"
                               : shows == DetailShows::LapsedOrder ? L"订单已失效"
                                                                   : L"订单详情";
        DrawLabel(dc, title, d.title, palette::kTextWhite, kTextCentre);
    }
    if (!order) return;

    ScopedFont textFont(dc, CreateUIFont(20, 400));
    for (int row = 0; row < kDetailRows; ++row) {
        if (IsEmptyRect(d.labels[row])) continue;
        const DetailRowLook& look = kRowLooks[row];
        DrawLabel(dc, look.label, d.labels[row], palette::kTextDim, kTextLeft);
        DrawLabel(dc, ((*order).*look.value).c_str(), d.values[row], look.colour, kTextLeft);
    }

    if (shows == DetailShows::LapsedOrder) {
        DrawLabel(dc, L"订单已失效，请重新购买", d.expired, palette::kRed, kTextCentre);
        return;
    }

    DrawLabel(dc, L"下载链接：", d.linkLabel, palette::kTextDim, kTextLeft);
    DrawRoundPanel(g, d.linkBox, ScaleX(6), kLinkBoxFill, palette::kCardBorder);
    {
        ScopedFont linkFont(dc, CreateLinkFont(ScaleY(16)));
        DrawLabel(dc, order->download_url.c_str(), d.link, palette::kLinkBlue, kTextLeft | DT_END_ELLIPSIS);
    }
    DrawRoundPanel(g, d.copyBtn, ScaleX(20), palette::kGoldFill, palette::kGoldBorder);
    DrawLabel(dc, L"一键复制", d.copyBtn, Opaque(0, 0, 0), kTextCentre);

    if (m_bShowToast && withToast) DrawCopyToast(dc);
}
