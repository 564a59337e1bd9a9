// Painting must not leak: the process's GDI object count stays flat over
// repeated full paints of every page and popup, direct and through WM_PAINT.
// (bench/soak.sh watches the count over hundreds of rounds of the real
// program.)
#include <gtest/gtest.h>

#include "draw/toolkit.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

// Sixty states, each painted twice as a window repaints it: once to make its
// picture and once, through the other path, to take the kept one.
constexpr int kStates = 60;
constexpr int kPaintsPerState = 2;

// Cycles through the pages and their states: menu, list, the purchase
// page's spinner, QR code and result cards, orders with and without the
// dialog and its toast, support, the cards and the coupon popup.
void PaintRound(CMainWnd* wnd, RenderCanvas& canvas, int paint, bool viaWindow, HBITMAP qr) {
    const int i = paint / kPaintsPerState;
    static const Page kPages[] = {Page::PAGE_HOME,    Page::PAGE_PURCHASE, Page::PAGE_ORDERS,
                                  Page::PAGE_SUPPORT, Page::PAGE_REDEEM,   Page::PAGE_LOGIN};
    wnd->m_nPage = kPages[i % 6];
    wnd->m_bShowUserMenu = i % 5 == 1;
    wnd->m_nHoverMenuItem = i % 2;
    wnd->m_bDropListOpen = i % 7 == 2;
    wnd->m_nSpinnerAngle = (i * 8) % 360;
    wnd->m_hbmpPayQR = i % 3 == 0 ? nullptr : qr;
    wnd->m_nPayState = i % 11 == 1 ? PayState::PAY_STATE_SUCCESS : i % 11 == 7 ? PayState::PAY_STATE_FAILED : PayState::PAY_STATE_NONE;
    wnd->m_bShowOrderDetail = i % 4 == 2;
    wnd->m_bShowToast = i % 8 == 2;
    wnd->m_bShowCouponPopup = i % 13 == 5;
    wnd->m_nCountdownSeconds = 300 - i % 60;
    if (viaWindow) {
        InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
        UpdateWindow(wnd->m_hWnd);
    } else {
        canvas.Paint(wnd);
    }
}

TEST(PaintResources, GdiObjectCountStaysFlatOverRepeatedPaintsOfEveryState) {
    CMainWnd* wnd = testing_support::NewMainWnd();
    wnd->CreateAndLayoutWindow();
    wnd->TakeLatePictures();
    ASSERT_NE(wnd->m_hWnd, nullptr);
    for (int i = 0; i < 8; ++i) {
        OrderInfo o;
        o.order_no = L"NO-" + std::to_wstring(i);
        o.status = i % 2 ? OrderStatus::Completed : OrderStatus::Pending;
        o.download_url = L"https://dl.example/" + std::to_wstring(i);
        wnd->m_aOrders.push_back(o);
    }
    wnd->m_nSelectedOrder = 1;
    wnd->m_aVersions = {GameInfo{L"传奇 1.76"}, GameInfo{L"传奇 1.80"}, GameInfo{L"热血"}, GameInfo{L"怀旧"},
                        GameInfo{L"经典"}};
    const RECT& btn = wnd->m_rcMenuBtn;
    wnd->m_rcUserMenu = {btn.left - wnd->ScaleX(60), btn.bottom + wnd->ScaleY(5), 0, 0};
    wnd->m_rcUserMenu.right = wnd->m_rcUserMenu.left + wnd->ScaleX(150);
    wnd->m_rcUserMenu.bottom = wnd->m_rcUserMenu.top + wnd->ScaleY(80);
    testing_support::PumpMessages();

    // The first pass makes every cached layer and kept frame these states
    // use; the second, the same paints in the same order, must end on the
    // same count, so a state that leaks one object per paint shows.
    int afterPass[2] = {};
    {
        RenderCanvas canvas(wnd->m_hWnd);
        GdiObject<HBITMAP> qr(CreateCanvasBitmap(canvas.dc(), 100, 100));
        for (int& count : afterPass) {
            for (int i = 0; i < kStates * kPaintsPerState; ++i) PaintRound(wnd, canvas, i, i % 2 == 1, qr.get());
            testing_support::PumpMessages();
            count = testing_support::CountGdiObjects();
        }
        ASSERT_GT(afterPass[0], 0);
        EXPECT_EQ(afterPass[1], afterPass[0]);
        wnd->m_hbmpPayQR = nullptr;
    }
    testing_support::DestroyMainWnd(wnd);
}

// The pictures kept between paints are owned by the window and go with it.
TEST(PaintResources, KeptPicturesAreFreedWithTheWindow) {
    const int before = testing_support::CountGdiObjects();
    for (int round = 0; round < 3; ++round) {
        CMainWnd* wnd = testing_support::NewMainWnd();
        wnd->CreateAndLayoutWindow();
        wnd->TakeLatePictures();
        ASSERT_NE(wnd->m_hWnd, nullptr);
        InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
        UpdateWindow(wnd->m_hWnd);
        {
            RenderCanvas canvas(wnd->m_hWnd);
            canvas.Paint(wnd);
            wnd->m_nPage = Page::PAGE_ORDERS;  // a page without the home layer: background only
            canvas.Paint(wnd);
        }
        testing_support::DestroyMainWnd(wnd);
    }
    EXPECT_EQ(testing_support::CountGdiObjects(), before);
}

}  // namespace
