// The title bar drawn on every page: logo, caption, the two text buttons and
// the menu, minimise and close glyphs.
#include "draw/toolkit.h"
#include "mainwnd/main_wnd.h"

namespace {

// The glyphs keep their pixel sizes at every DPI; only their buttons grow.
void DrawMenuGlyph(HDC dc, const RECT& rc) {
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::SolidBrush brush(palette::kTextMid.Plus());
    const int x = rc.left + (Width(rc) - 16) / 2;
    const int y = rc.top + (Height(rc) - 14) / 2;
    for (int bar = 0; bar < 3; ++bar) g.FillRectangle(&brush, x, y + bar * 6, 16, 2);
}

void DrawMinimiseGlyph(HDC dc, const RECT& rc) {
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::SolidBrush brush(palette::kTextMid.Plus());
    g.FillRectangle(&brush, rc.left + (Width(rc) - 12) / 2, rc.top + (Height(rc) - 2) / 2, 12, 2);
}

void DrawCloseGlyph(HDC dc, const RECT& rc) {
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::Pen pen(palette::kTextMid.Plus(), 2.0f);
    pen.SetLineCap(Gdiplus::LineCapRound, Gdiplus::LineCapRound, Gdiplus::DashCapRound);
    const int cx = rc.left + Width(rc) / 2;
    const int cy = rc.top + Height(rc) / 2;
    g.DrawLine(&pen, cx - 5, cy - 5, cx + 5, cy + 5);
    g.DrawLine(&pen, cx + 5, cy - 5, cx - 5, cy + 5);
}

}  // namespace

void CMainWnd::DrawTitleBar(HDC dc) {
    {
        Gdiplus::Graphics g(dc);
        Gdiplus::SolidBrush fill(palette::kTitleBar.Plus());
        g.FillRectangle(&fill, m_rcTitleBar.left, m_rcTitleBar.top, Width(m_rcTitleBar), Height(m_rcTitleBar));
    }

    BlitBitmap(dc, m_hbmpLogo, m_rcLogo.left, m_rcLogo.top, Width(m_rcLogo), Height(m_rcLogo));

    SetBkMode(dc, TRANSPARENT);
    {
        ScopedFont caption(dc, CreateUIFont(20, 700));
        DrawLabel(dc, L"奥凡(2.0.0.18)", m_rcTitleText, palette::kTextWhite, kTextLeft);
    }
    {
        ScopedFont buttons(dc, CreateUIFont(20, 400));
        DrawLabel(dc, L"我的订单", m_rcOrdersBtn, palette::kTextLight, kTextCentre);
        DrawLabel(dc, L"联系客服", m_rcSupportBtn, palette::kTextLight, kTextCentre);
    }

    DrawMenuGlyph(dc, m_rcMenuBtn);
    DrawMinimiseGlyph(dc, m_rcMinBtn);
    DrawCloseGlyph(dc, m_rcCloseBtn);
}
