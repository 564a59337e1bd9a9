// The window background (stretched image or the fallback gradient) and the
// paint order of the whole client area.
#include "draw/gdiplus.h"

#include "mainwnd/main_wnd.h"
#include "util/handles.h"

void CMainWnd::PaintClient(HDC dc) { DrawBackground(dc); }

void CMainWnd::DrawBackground(HDC dc) {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    const int w = rc.right;
    const int h = rc.bottom;
    if (m_hbmpBackground) {
        MemoryDC src(dc);
        ScopedSelect select(src.get(), m_hbmpBackground);
        BITMAP bm = {};
        GetObjectW(m_hbmpBackground, sizeof(bm), &bm);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, 0, 0, w, h, src.get(), 0, 0, bm.bmWidth, bm.bmHeight, blend);
        return;
    }
    Gdiplus::Graphics g(dc);
    Gdiplus::LinearGradientBrush brush(Gdiplus::Point(0, 0), Gdiplus::Point(0, h), Gdiplus::Color(20, 20, 25),
                                       Gdiplus::Color(35, 35, 40));
    brush.SetWrapMode(Gdiplus::WrapModeTile);
    g.FillRectangle(&brush, 0, 0, w, h);
}
