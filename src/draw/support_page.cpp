// The customer-service page: the contact image framed in white on a centred
// panel, the service hours under it and the home button.
#include "draw/toolkit.h"
#include "layout/support_layout.h"
#include "mainwnd/main_wnd.h"

void CMainWnd::DrawSupportPage(HDC dc) {
    BITMAP bm = {};
    if (m_hbmpSupport) GetObjectW(m_hbmpSupport, sizeof(bm), &bm);
    const SupportLayout p = SupportLayoutFor(Client(), bm.bmWidth, bm.bmHeight);

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawTitledPagePanel(dc, g, p.panel, L"联系客服");

    if (m_hbmpSupport) {
        Gdiplus::SolidBrush qrBgBrush(palette::kTextWhite.Plus());
        g.FillRectangle(&qrBgBrush, p.frame.left, p.frame.top, Width(p.frame), Height(p.frame));
        MemoryDC src(dc);
        ScopedSelect select(src.get(), m_hbmpSupport);
        StretchBlt(dc, p.image.left, p.image.top, Width(p.image), Height(p.image), src.get(), 0, 0, bm.bmWidth,
                   bm.bmHeight, SRCCOPY);
    }

    ScopedFont textFont(dc, CreateUIFont(20, 400));
    DrawLabel(dc, L"客服在线时间：9:00 - 22:00", p.hours, palette::kGreen, kTextCentre);
    DrawHomeButton(dc, g, p.homeBtn, ScaleX(8));
}
