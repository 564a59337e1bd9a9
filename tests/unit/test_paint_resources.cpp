// Painting must not leak: the process's GDI object count stays flat over
// thousands of full paints, direct and through WM_PAINT.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "unit/test_render_canvas.h"

namespace {

// Alternates the home page's states: plain, menu open with a hovered item,
// drop list open.
void PaintRound(CMainWnd* wnd, RenderCanvas& canvas, int i, bool viaWindow) {
    wnd->m_bShowUserMenu = i % 3 == 1;
    wnd->m_nHoverMenuItem = i % 2;
    wnd->m_bDropListOpen = i % 3 == 2;
    if (viaWindow) {
        InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
        UpdateWindow(wnd->m_hWnd);
    } else {
        canvas.Paint(wnd);
    }
}

TEST(PaintResources, GdiObjectCountStaysFlatOverThousandsOfPaints) {
    CMainWnd* wnd = testing_support::NewMainWnd();
    wnd->CreateAndLayoutWindow();
    ASSERT_NE(wnd->m_hWnd, nullptr);
    wnd->m_aVersions = {GameInfo{L"传奇 1.76"}, GameInfo{L"传奇 1.80"}, GameInfo{L"热血"}, GameInfo{L"怀旧"},
                        GameInfo{L"经典"}};
    const RECT& btn = wnd->m_rcMenuBtn;
    wnd->m_rcUserMenu = {btn.left - wnd->ScaleX(60), btn.bottom + wnd->ScaleY(5), 0, 0};
    wnd->m_rcUserMenu.right = wnd->m_rcUserMenu.left + wnd->ScaleX(150);
    wnd->m_rcUserMenu.bottom = wnd->m_rcUserMenu.top + wnd->ScaleY(80);
    testing_support::PumpMessages();

    int after10 = 0;
    {
        RenderCanvas canvas(wnd->m_hWnd);
        for (int i = 0; i < 10; ++i) PaintRound(wnd, canvas, i, i % 2 == 1);
        testing_support::PumpMessages();
        after10 = testing_support::CountGdiObjects();
        ASSERT_GT(after10, 0);
        for (int i = 10; i < 2000; ++i) PaintRound(wnd, canvas, i, i % 4 == 0);
        testing_support::PumpMessages();
        EXPECT_EQ(testing_support::CountGdiObjects(), after10);
    }
    testing_support::DestroyMainWnd(wnd);
}

// The pictures kept between paints are owned by the window and go with it.
TEST(PaintResources, KeptPicturesAreFreedWithTheWindow) {
    const int before = testing_support::CountGdiObjects();
    for (int round = 0; round < 3; ++round) {
        CMainWnd* wnd = testing_support::NewMainWnd();
        wnd->CreateAndLayoutWindow();
        ASSERT_NE(wnd->m_hWnd, nullptr);
        InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
        UpdateWindow(wnd->m_hWnd);
        {
            RenderCanvas canvas(wnd->m_hWnd);
            canvas.Paint(wnd);
            wnd->m_nPage = PAGE_ORDERS;  // a page without the home layer: background only
            canvas.Paint(wnd);
        }
        testing_support::DestroyMainWnd(wnd);
    }
    EXPECT_EQ(testing_support::CountGdiObjects(), before);
}

}  // namespace
