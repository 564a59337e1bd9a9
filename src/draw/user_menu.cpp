// The two-item user menu hanging under the title bar's menu button.
#include "draw/toolkit.h"
#include "mainwnd/main_wnd.h"

namespace {

struct MenuItem {
    const wchar_t* icon;
    const wchar_t* text;
};

constexpr MenuItem kMenuItems[] = {
    {L"🎁", L"兑换会员"},
    {L"🔐", L"匿名登录"},
};

}  // namespace

void CMainWnd::DrawUserMenu(HDC dc) {
    const RECT rc = m_rcUserMenu;
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);

    // Soft shadow: three offset layers, outermost and faintest first.
    for (int k = 3; k >= 1; --k) {
        Gdiplus::GraphicsPath shadow;
        AddRoundRect(shadow, rc.left + 2 * k, rc.top + 2 * k, w, h, 6);
        Gdiplus::SolidBrush brush(Gdiplus::Color(static_cast<BYTE>(30 - 8 * k), 0, 0, 0));
        g.FillPath(&brush, &shadow);
    }

    Gdiplus::GraphicsPath body;
    AddRoundRect(body, rc.left, rc.top, w, h, ScaleX(6));
    Gdiplus::SolidBrush fill(palette::kCardFill.Plus());
    Gdiplus::Pen border(palette::kMenuBorder.Plus(), 1.0f);
    g.FillPath(&fill, &body);
    g.DrawPath(&border, &body);

    SetBkMode(dc, TRANSPARENT);
    ScopedFont font(dc, CreateUIFont(18, 400));
    const int itemH = ScaleY(40);
    Gdiplus::Pen separator(Gdiplus::Color(50, 150, 150, 150), 1.0f);
    for (int i = 0; i < 2; ++i) {
        const RECT rcItem = {rc.left + 1, rc.top + i * itemH, rc.right - 1, rc.top + (i + 1) * itemH};
        const bool hovered = i == m_nHoverMenuItem;
        if (hovered) {
            // The horizontal inset is used on all four sides.
            const int m = ScaleX(4);
            Gdiplus::GraphicsPath highlight;
            AddRoundRect(highlight, rcItem.left + m, rcItem.top + m, rcItem.right - rcItem.left - 2 * m,
                         rcItem.bottom - rcItem.top - 2 * m, ScaleX(4));
            const BYTE r = palette::kGoldFill.r, gr = palette::kGoldFill.g, b = palette::kGoldFill.b;
            Gdiplus::LinearGradientBrush gradient(Gdiplus::Point(rcItem.left, rcItem.top),
                                                  Gdiplus::Point(rcItem.left, rcItem.bottom),
                                                  Gdiplus::Color(100, r, gr, b), Gdiplus::Color(50, r, gr, b));
            g.FillPath(&gradient, &highlight);
        }
        if (i > 0) {
            const int y = rcItem.top;
            g.DrawLine(&separator, static_cast<int>(rcItem.left) + 10, y, static_cast<int>(rcItem.right) - 10, y);
        }

        const RECT rcIcon = {rcItem.left + ScaleX(15), rcItem.top, rcItem.left + ScaleX(45), rcItem.bottom};
        DrawLabel(dc, kMenuItems[i].icon, rcIcon, palette::kGoldFill, kTextLeft);
        const RECT rcText = {rcItem.left + ScaleX(45), rcItem.top, rcItem.right - ScaleX(15), rcItem.bottom};
        DrawLabel(dc, kMenuItems[i].text, rcText, hovered ? palette::kTextWhite : palette::kTextGrey, kTextLeft);
    }
}
