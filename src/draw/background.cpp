// The window background (the stretched image or the fallback gradient), the
// pictures kept between paints, and the paint order of the whole client area.
#include "draw/toolkit.h"
#include "mainwnd/main_wnd.h"

namespace {

SIZE ClientSize(HWND wnd) {
    RECT rc = {};
    GetClientRect(wnd, &rc);
    return {rc.right, rc.bottom};
}

bool IsCurrent(const CMainWnd::PaintCache& cache, HBITMAP background, HBITMAP logo, SIZE size) {
    return cache.bitmap && cache.background == background && cache.logo == logo && cache.size.cx == size.cx &&
           cache.size.cy == size.cy;
}

// Gives the cache a fresh black picture of the given size; false if GDI cannot
// make one (the caller then draws straight into the paint DC).
bool Renew(CMainWnd::PaintCache& cache, HDC dc, HBITMAP background, HBITMAP logo, SIZE size) {
    cache.bitmap.reset(CreateCanvasBitmap(dc, size.cx, size.cy));
    cache.background = background;
    cache.logo = logo;
    cache.size = size;
    return static_cast<bool>(cache.bitmap);
}

void CopyCache(HDC dc, const CMainWnd::PaintCache& cache) {
    MemoryDC src(dc);
    ScopedSelect select(src.get(), cache.bitmap.get());
    BitBlt(dc, 0, 0, cache.size.cx, cache.size.cy, src.get(), 0, 0, SRCCOPY);
}

}  // namespace

void CMainWnd::PaintClient(HDC dc) {
    if (m_nPage == PAGE_HOME) {
        DrawHomeLayer(dc);
        DrawHomeControls(dc);
    } else {
        DrawBackground(dc);
        DrawTitleBar(dc);
        switch (m_nPage) {
            case PAGE_PURCHASE: DrawPurchasePage(dc); break;
            case PAGE_ORDERS: DrawOrdersPage(dc); break;
            case PAGE_SUPPORT: DrawSupportPage(dc); break;
            case PAGE_REDEEM: DrawRedeemPage(dc); break;
            case PAGE_LOGIN: DrawLoginPage(dc); break;
            default: break;
        }
    }
    // Popups in paint order: each one covers what came before.
    if (m_bShowCouponPopup) DrawCouponPopup(dc);
    if (m_bShowUserMenu) DrawUserMenu(dc);
    if (m_bShowOrderDetail) DrawOrderDetailDialog(dc);
}

void CMainWnd::DrawHomeLayer(HDC dc) {
    // Stroking the panel's translucent outline alone costs more than the rest of
    // a home paint, so the layer is drawn once. The layer starts black like
    // every paint canvas, and the title bar and panel do not overlap, so the
    // copy has exactly the pixels that drawing in paint order would give.
    const SIZE size = ClientSize(m_hWnd);
    if (!IsCurrent(m_homeLayerCache, m_hbmpBackground, m_hbmpLogo, size)) {
        if (!Renew(m_homeLayerCache, dc, m_hbmpBackground, m_hbmpLogo, size)) {
            DrawBackground(dc);
            DrawTitleBar(dc);
            DrawHomePage(dc);
            return;
        }
        MemoryDC layer(dc);
        ScopedSelect select(layer.get(), m_homeLayerCache.bitmap.get());
        DrawBackground(layer.get());
        DrawTitleBar(layer.get());
        DrawHomePage(layer.get());
    }
    CopyCache(dc, m_homeLayerCache);
}

void CMainWnd::DrawBackground(HDC dc) {
    const SIZE size = ClientSize(m_hWnd);
    const int w = size.cx;
    const int h = size.cy;
    if (w <= 0 || h <= 0) return;

    // Stretching the large image costs far more than a copy, so the picture is
    // made once per client size and source. Every paint starts on a fresh black
    // canvas, so blending over black once gives the very same pixels.
    if (!IsCurrent(m_backgroundCache, m_hbmpBackground, nullptr, size)) {
        if (!Renew(m_backgroundCache, dc, m_hbmpBackground, nullptr, size)) return;
        MemoryDC cache(dc);
        ScopedSelect select(cache.get(), m_backgroundCache.bitmap.get());
        if (m_hbmpBackground) {
            BlitBitmap(cache.get(), m_hbmpBackground, 0, 0, w, h);
        } else {
            Gdiplus::Graphics g(cache.get());
            Gdiplus::LinearGradientBrush brush(Gdiplus::Point(0, 0), Gdiplus::Point(0, h),
                                               palette::kBackgroundTop.Plus(), palette::kBackgroundBottom.Plus());
            brush.SetWrapMode(Gdiplus::WrapModeTile);
            g.FillRectangle(&brush, 0, 0, w, h);
        }
    }
    CopyCache(dc, m_backgroundCache);
}
