// The home page: the centred panel with logo, captions and welcome line, and
// its controls (version selector, install button, open version list).
#include "draw/toolkit.h"
#include "mainwnd/main_wnd.h"

void CMainWnd::DrawHomePage(HDC dc) {
    const RECT& rc = m_rcHomePanel;
    {
        Gdiplus::Graphics g(dc);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        FillRoundRect(g, rc, 8, palette::kPanelFill);
    }
    // The translucent outline costs milliseconds stroked in one go under Wine.
    DrawRoundOutline(dc, rc, 8, palette::kHomePanelBorder);

    const int s = ScaleX(40);
    BlitBitmap(dc, m_hbmpLogo, rc.left + ScaleX(25), rc.top + ScaleY(20), s, s);

    SetBkMode(dc, TRANSPARENT);
    {
        ScopedFont latin(dc, CreateFontW(ScaleY(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Arial"));
        const RECT rcOrvaneTitle = {rc.left + ScaleX(70), rc.top + ScaleY(20), rc.right - ScaleX(20),
                                    rc.top + ScaleY(35)};
        DrawLabel(dc, L"ORVANE", rcOrvaneTitle, palette::kTextDark, kTextLeft);
    }
    {
        ScopedFont title(dc, CreateUIFont(19, 700));
        const RECT rcChineseTitle = {rc.left + ScaleX(70), rc.top + ScaleY(36), rc.right - ScaleX(4),
                                     rc.top + ScaleY(56)};
        DrawLabel(dc, L"奥凡", rcChineseTitle, palette::kTextWhite, kTextLeft);
    }
    {
        ScopedFont welcome(dc, CreateUIFont(27, 400));
        const RECT rcWelcome = {rc.left, rc.top + ScaleY(50), rc.right, rc.top + ScaleY(105)};
        DrawLabel(dc, L"欢迎回来！", rcWelcome, palette::kTextWhite, kTextCentre);
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
    const RECT& rc = m_rcInstallBtn;
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, ScaleX(24));
    Gdiplus::SolidBrush fill(palette::kGoldFill.Plus());
    Gdiplus::Pen border(palette::kGoldBorder.Plus(), 1.0f);
    g.FillPath(&fill, &path);
    g.DrawPath(&border, &path);

    SetBkMode(dc, TRANSPARENT);
    ScopedFont label(dc, CreateUIFont(24, 700));
    DrawLabel(dc, L"立即安装", rc, Opaque(0, 0, 0), kTextCentre);
}
