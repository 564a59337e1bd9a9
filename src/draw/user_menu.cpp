// The two-item user menu hanging under the title bar's menu button.
#include "draw/toolkit.h"
#include "layout/window_layout.h"
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
    const int w = Width(rc);
    const int h = Height(rc);
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
    const LayoutScale s = Client().scale;
    Gdiplus::Pen separator(Gdiplus::Color(50, 150, 150, 150), 1.0f);
    for (int i = 0; i < 2; ++i) {
        const UserMenuRow item = UserMenuRowAt(rc, i, s);
        const RECT& row = item.row;
        const bool hovered = i == m_nHoverMenuItem;
        if (hovered) {
            const RECT& h = item.highlight;
            Gdiplus::GraphicsPath highlight;
            AddRoundRect(highlight, h.left, h.top, Width(h), Height(h), ScaleX(4));
            const BYTE r = palette::kGoldFill.r, gr = palette::kGoldFill.g, b = palette::kGoldFill.b;
            Gdiplus::LinearGradientBrush gradient(Gdiplus::Point(row.left, row.top), Gdiplus::Point(row.left, row.bottom),
                                                  Gdiplus::Color(100, r, gr, b), Gdiplus::Color(50, r, gr, b));
            g.FillPath(&gradient, &highlight);
        }
        // The 10 is in pixels.
        if (i > 0) DrawHLine(g, separator, {row.left + 10, row.right - 10, row.top});
        DrawLabel(dc, kMenuItems[i].icon, item.icon, palette::kGoldFill, kTextLeft);
        DrawLabel(dc, kMenuItems[i].text, item.text, hovered ? palette::kTextWhite : palette::kTextGrey, kTextLeft);
    }
}
