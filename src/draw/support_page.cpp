// The customer-service page: the contact image framed in white on a centred
// panel, the service hours under it and the home button.
#include <algorithm>

#include "draw/toolkit.h"
#include "mainwnd/hit_geometry.h"
#include "mainwnd/main_wnd.h"

namespace {

// Each side on its own: a large picture that is not square is squeezed, a
// small one keeps its size so a QR code stays sharp.
SIZE ClampImageSize(SIZE image, SIZE box) { return {std::min(image.cx, box.cx), std::min(image.cy, box.cy)}; }

}  // namespace

void CMainWnd::DrawSupportPage(HDC dc) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const int w = ScaleX(600);
    const RECT panel = CentredPanel(client.right, client.bottom, w, ScaleY(450));
    const int px = panel.left;
    const int py = panel.top;
    const int radius = ScaleX(8);

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawTitledPagePanel(dc, g, panel, L"联系客服");

    if (m_hbmpSupport) {
        BITMAP bm = {};
        GetObjectW(m_hbmpSupport, sizeof(bm), &bm);
        const SIZE shown = ClampImageSize({bm.bmWidth, bm.bmHeight}, {ScaleX(250), ScaleY(250)});
        const int ix = px + (w - shown.cx) / 2;
        const int iy = py + ScaleY(90);
        Gdiplus::SolidBrush qrBgBrush(palette::kTextWhite.Plus());
        g.FillRectangle(&qrBgBrush, ix - ScaleX(5), iy - ScaleY(5), shown.cx + ScaleX(10), shown.cy + ScaleY(10));

        MemoryDC src(dc);
        ScopedSelect select(src.get(), m_hbmpSupport);
        StretchBlt(dc, ix, iy, shown.cx, shown.cy, src.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    }

    ScopedFont textFont(dc, CreateUIFont(20, 400));
    const int infoTop = py + ScaleY(350);
    DrawLabel(dc, L"客服在线时间：9:00 - 22:00", {px, infoTop + ScaleY(30), px + w, infoTop + ScaleY(55)},
              palette::kGreen, kTextCentre);

    DrawHomeButton(dc, g, HomeButton({m_fScaleX, m_fScaleY}), radius);
}
