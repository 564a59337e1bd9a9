// The window background (the stretched image or the fallback gradient), the
// pictures kept between paints, and the paint order of the whole client area.
#include <cstdint>
#include <utility>

#include "draw/toolkit.h"
#include "mainwnd/main_wnd.h"

std::wstring CacheKey(SIZE size, std::initializer_list<const void*> images) {
    std::wstring key = std::to_wstring(size.cx) + L"x" + std::to_wstring(size.cy);
    for (const void* image : images) key += L"|" + std::to_wstring(reinterpret_cast<uintptr_t>(image));
    return key;
}

void PaintThroughCache(HDC dc, PaintCache& cache, SIZE size, const std::wstring& key,
                       const std::function<void(HDC)>& draw) {
    if (key.empty()) {
        draw(dc);
        return;
    }
    if (!cache.bitmap || cache.key != key) {
        // Every paint starts on a black canvas, and so does a fresh layer: the
        // copy then has exactly the pixels that drawing in place would give.
        cache.key.clear();
        // Of the DC's own kind: Wine's GDI+ draws on it several times faster
        // than on a DIB section.
        cache.bitmap.reset(CreateCompatibleBitmap(dc, size.cx, size.cy));
        if (!cache.bitmap) {
            draw(dc);
            return;
        }
        MemoryDC layer(dc);
        ScopedSelect select(layer.get(), cache.bitmap.get());
        PatBlt(layer.get(), 0, 0, size.cx, size.cy, BLACKNESS);
        draw(layer.get());
        cache.key = key;
    }
    MemoryDC src(dc);
    ScopedSelect select(src.get(), cache.bitmap.get());
    BitBlt(dc, 0, 0, size.cx, size.cy, src.get(), 0, 0, SRCCOPY);
}

void CMainWnd::PaintClient(HDC dc) {
    // The payment icon and the contact image are shown by the purchase and
    // support pages only: wait for them there, elsewhere take them when ready.
    if (m_nPage == Page::PAGE_PURCHASE || m_nPage == Page::PAGE_SUPPORT) {
        TakeLatePictures();
    } else {
        m_latePictures.Deliver(false);
    }
    const std::wstring key = KeptFrameKey();
    if (key.empty()) {
        PaintFrame(dc);
        return;
    }
    PaintThroughCache(dc, m_keptFrame, ClientSize(), key, [this](HDC frame) {
        // The toast comes and goes within a second and a half: it is drawn on
        // top of the kept frame, not into it.
        PaintFrame(frame, false);
    });
    if (m_bShowOrderDetail && m_bShowToast && !IsEmptyRect(CopyButton())) DrawCopyToast(dc);
}

void CMainWnd::PaintFrame(HDC dc, bool withToast) {
    // The coupon popup's opaque overlay hides the whole page: it is not drawn.
    if (!m_bShowCouponPopup) DrawPage(dc);
    // Popups in paint order: each one covers what came before.
    if (m_bShowCouponPopup) DrawCouponPopup(dc);
    if (m_bShowUserMenu) DrawUserMenu(dc);
    if (m_bShowOrderDetail) DrawOrderDetailDialog(dc, withToast);
}

void CMainWnd::DrawPage(HDC dc) {
    if (m_nPage == Page::PAGE_HOME) {
        DrawHomeLayer(dc);
        DrawHomeControls(dc);
        return;
    }
    if (m_nPage == Page::PAGE_PURCHASE) {
        // Background and title bar come with the page's cached panel.
        DrawPurchasePage(dc);
        return;
    }
    DrawBackground(dc);
    DrawTitleBar(dc);
    switch (m_nPage) {
        case Page::PAGE_ORDERS: DrawOrdersPage(dc); break;
        case Page::PAGE_SUPPORT: DrawSupportPage(dc); break;
        case Page::PAGE_REDEEM: DrawRedeemPage(dc); break;
        case Page::PAGE_LOGIN: DrawLoginPage(dc); break;
        default: break;
    }
}

void CMainWnd::DrawHomeLayer(HDC dc) {
    // Stroking the panel's translucent outline alone costs more than the rest of
    // a home paint, so the layer is drawn once. The title bar and panel do not
    // overlap, so the copy has exactly the pixels that drawing in paint order
    // would give.
    const SIZE size = ClientSize();
    PaintThroughCache(dc, m_homeLayerCache, size, BackgroundKey(size, m_hbmpLogo), [this](HDC layer) {
        DrawBackground(layer);
        DrawTitleBar(layer);
        DrawHomePage(layer);
    });
}

void CMainWnd::DrawBackground(HDC dc) {
    const SIZE size = ClientSize();
    const int w = size.cx;
    const int h = size.cy;
    if (w <= 0 || h <= 0) return;

    // Stretching the large image costs far more than a copy, so the picture is
    // made once per client size and source, at start-up by its decoder.
    const std::wstring key = BackgroundKey(size);
    AdoptFittedBackground(size, key);
    PaintThroughCache(dc, m_backgroundCache, size, key, [&](HDC layer) {
        if (m_hbmpBackground) {
            BlitBitmap(layer, m_hbmpBackground, 0, 0, w, h);
            return;
        }
        if (BackgroundDecoding()) {
            // A start-up frame for the moment the picture is on its way: a
            // plain fill costs a fraction of the gradient.
            const RECT all = {0, 0, w, h};
            GdiObject<HBRUSH> fill(CreateSolidBrush(palette::kBackgroundTop.Ref()));
            FillRect(layer, &all, fill.get());
            return;
        }
        Gdiplus::Graphics g(layer);
        Gdiplus::LinearGradientBrush brush(Gdiplus::Point(0, 0), Gdiplus::Point(0, h), palette::kBackgroundTop.Plus(),
                                           palette::kBackgroundBottom.Plus());
        brush.SetWrapMode(Gdiplus::WrapModeTile);
        g.FillRectangle(&brush, 0, 0, w, h);
    });
}

void CMainWnd::AdoptFittedBackground(SIZE size, const std::wstring& key) {
    GdiObject<HBITMAP> fitted(std::exchange(m_fittedBackground.bitmap, nullptr));
    if (!fitted || !m_hbmpBackground || m_fittedBackground.source != m_hbmpBackground ||
        m_fittedBackground.size.cx != size.cx || m_fittedBackground.size.cy != size.cy) {
        return;
    }
    m_backgroundCache.bitmap = std::move(fitted);
    m_backgroundCache.key = key;
}

bool CMainWnd::BackgroundDecoding() const {
    // Until its decoder has started, the picture counts as on its way.
    const PictureDecoder& decoder = m_firstPictures[kBackgroundPicture];
    return !m_hbmpBackground && (decoder.Pending() || !decoder.Started());
}

std::wstring CMainWnd::BackgroundKey(SIZE size, const void* image, const void* another) const {
    // The start-up frames, drawn while the picture is on its way, are each
    // drawn once before the picture replaces them: keeping them would only add
    // to the time until the window shows.
    if (BackgroundDecoding()) return std::wstring();
    return CacheKey(size, {m_hbmpBackground, image, another});
}

SIZE CMainWnd::ClientSize() const {
    const ClientArea client = Client();
    return {client.width, client.height};
}

void AppendKeyText(std::wstring& key, const std::wstring& text) {
    key += L'\x1F';
    key += text;
}

namespace {

void AddOrder(std::wstring& key, const OrderInfo& o) {
    for (const std::wstring* text : {&o.order_no, &o.alipay_trade_no, &o.game_name, &o.amount_text, &o.download_url,
                                     &o.time_text}) {
        AppendKeyText(key, *text);
    }
    key += L"|" + std::to_wstring(static_cast<int>(o.status));
}

}  // namespace

std::wstring CMainWnd::KeptFrameKey() const {
    // Only frames whose every input is named below; any other popup or page
    // is simply painted as it is.
    const std::wstring frame = BackgroundKey(ClientSize(), m_hbmpLogo);
    if (frame.empty() || m_bShowCouponPopup || m_bShowUserMenu) return std::wstring();
    if (m_nPage == Page::PAGE_SUPPORT && !m_bShowOrderDetail) {
        return L"support|" + frame + L"|" + std::to_wstring(reinterpret_cast<uintptr_t>(m_hbmpSupport));
    }
    if (m_nPage == Page::PAGE_ORDERS) {
        std::wstring key = L"orders|" + frame;
        const int count = static_cast<int>(m_aOrders.size());
        key += L"|" + std::to_wstring(m_nOrderPage) + L"|" + std::to_wstring(count) + L"|" +
               std::to_wstring(m_nOrdersPerPage) + (m_ordersWorker.Running() ? L"|loading" : L"|");
        AppendKeyText(key, m_strLevel);
        const int first = FirstOrderOfPage(m_nOrderPage, m_nOrdersPerPage, count);
        for (int i = first; i < count && i < first + m_nOrdersPerPage; ++i) AddOrder(key, m_aOrders[i]);
        if (!m_bShowOrderDetail) return key;
        key += L"|dialog";
        if (m_bVipDownload) {
            key += L"|vip";
            AddOrder(key, m_vipOrder);
        } else if (m_nSelectedOrder >= 0 && m_nSelectedOrder < count) {
            key += L"|shown";
            AddOrder(key, m_aOrders[m_nSelectedOrder]);
        }
        return key;
    }
    // Under a card whose loading animation still turns (an order found paid
    // on resuming), the frame changes twenty times a second: not worth keeping.
    const bool animating = !m_hbmpPayQR && m_uSpinnerTimer != 0;
    if (m_nPage == Page::PAGE_PURCHASE && m_nPayState != PayState::PAY_STATE_NONE && !m_bShowOrderDetail && !animating) {
        std::wstring key = L"purchase+result|" + PurchaseLayerKey() + L"|" + std::to_wstring(static_cast<int>(m_nPayState)) + L"|" +
                           std::to_wstring(m_nCountdownSeconds) + L"|" +
                           std::to_wstring(reinterpret_cast<uintptr_t>(m_hbmpPayQR)) + L"|" +
                           (m_hbmpPayQR ? L"" : std::to_wstring(m_nSpinnerAngle)) + (m_bDropListOpen ? L"|list" : L"|");
        if (m_bDropListOpen) {
            key += std::to_wstring(m_nSelectedVersion);
            for (const GameInfo& v : m_aVersions) AppendKeyText(key, v.name);
        }
        return key;
    }
    return std::wstring();
}
