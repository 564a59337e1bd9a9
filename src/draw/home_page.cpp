// The home page: the centred panel with logo, captions and welcome line, and
// its controls (version selector, install button, open version list).
#include "draw/toolkit.h"
#include "layout/window_layout.h"
#include "mainwnd/main_wnd.h"

void CMainWnd::DrawHomePage(HDC dc) {
    const HomeLayout home = HomeLayoutFor(Client());
    const RECT& rc = home.panel;
    {
        Gdiplus::Graphics g(dc);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        FillRoundRect(g, rc, 8, palette::kPanelFill);
    }
    // The translucent outline costs milliseconds stroked in one go under Wine.
    DrawRoundOutline(dc, rc, 8, palette::kHomePanelBorder);

    BlitBitmap(dc, m_hbmpLogo, home.logo.left, home.logo.top, Width(home.logo), Height(home.logo));

    SetBkMode(dc, TRANSPARENT);
    {
        ScopedFont latin(dc, CreateFontW(ScaleY(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Arial"));
        DrawLabel(dc, L"ORVANE", home.latinCaption, palette::kTextDark, kTextLeft);
    }
    {
        ScopedFont title(dc, CreateUIFont(19, 700));
        DrawLabel(dc, L"奥凡", home.chineseCaption, palette::kTextWhite, kTextLeft);
    }
    {
        ScopedFont welcome(dc, CreateUIFont(27, 400));
        DrawLabel(dc, L"欢迎回来！", home.welcome, palette::kTextWhite, kTextCentre);
    }
}

void CMainWnd::DrawHomeControls(HDC dc) {
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawVersionCombo(dc, g);
    DrawInstallButton(dc, g);
    // Drawn last so the open list covers the install button.
    if (m_bDropListOpen) DrawVersionDropList(dc, g);
}

void CMainWnd::DrawInstallButton(HDC dc, Gdiplus::Graphics& g) {
    const RECT rc = HomeLayoutFor(Client()).install;
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, Width(rc), Height(rc), ScaleX(24));
    Gdiplus::SolidBrush fill(palette::kGoldFill.Plus());
    Gdiplus::Pen border(palette::kGoldBorder.Plus(), 1.0f);
    g.FillPath(&fill, &path);
    g.DrawPath(&border, &path);

    SetBkMode(dc, TRANSPARENT);
    ScopedFont label(dc, CreateUIFont(24, 700));
    DrawLabel(dc, L"立即安装", rc, Opaque(0, 0, 0), kTextCentre);
}
