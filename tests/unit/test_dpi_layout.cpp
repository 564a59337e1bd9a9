// DPI factors, truncating scale functions and the fixed layout, run at 96,
// 120 and 144 DPI (the test runner sets the prefix's LogPixels).
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

void ExpectRect(const RECT& rc, LONG l, LONG t, LONG r, LONG b, const char* what) {
    EXPECT_EQ(rc.left, l) << what;
    EXPECT_EQ(rc.top, t) << what;
    EXPECT_EQ(rc.right, r) << what;
    EXPECT_EQ(rc.bottom, b) << what;
}

using Dpi = WindowTest;

TEST_F(Dpi, ScreenReportsTheConfiguredDpi) {
    EXPECT_EQ(testing_support::ScreenDpiX(), testing_support::ExpectedDpi());
    EXPECT_EQ(testing_support::ScreenDpiY(), testing_support::ExpectedDpi());
    EXPECT_FLOAT_EQ(wnd->m_fScaleX, testing_support::ExpectedDpi() / 96.0f);
    EXPECT_FLOAT_EQ(wnd->m_fScaleY, testing_support::ExpectedDpi() / 96.0f);
}

TEST_F(Dpi, ScaleTruncatesTowardZero) {
    switch (testing_support::ExpectedDpi()) {
        case 96:
            for (int n : {0, 1, 7, 50, 1200, -3}) {
                EXPECT_EQ(wnd->ScaleX(n), n);
                EXPECT_EQ(wnd->ScaleY(n), n);
            }
            break;
        case 120:
            EXPECT_EQ(wnd->ScaleY(50), 62);  // 62.5
            EXPECT_EQ(wnd->ScaleY(19), 23);  // 23.75
            EXPECT_EQ(wnd->ScaleX(1200), 1500);
            EXPECT_EQ(wnd->ScaleY(-3), -3);  // -3.75 toward zero
            break;
        case 144:
            EXPECT_EQ(wnd->ScaleX(1200), 1800);
            EXPECT_EQ(wnd->ScaleY(720), 1080);
            EXPECT_EQ(wnd->ScaleX(6), 9);
            EXPECT_EQ(wnd->ScaleY(32), 48);
            EXPECT_EQ(wnd->ScaleX(15), 22);  // 22.5
            break;
        default:
            FAIL() << "unexpected test DPI " << testing_support::ExpectedDpi();
    }
}

TEST_F(Dpi, ClientAreaIsTheScaledWindowSize) {
    RECT rc = {};
    GetClientRect(wnd->m_hWnd, &rc);
    const int dpi = testing_support::ExpectedDpi();
    EXPECT_EQ(rc.right, 1200 * dpi / 96);
    EXPECT_EQ(rc.bottom, 720 * dpi / 96);
}

TEST_F(Dpi, LayoutRectanglesMatchTheFixedGeometry) {
    const int dpi = testing_support::ExpectedDpi();
    if (dpi == 96) {
        ExpectRect(wnd->m_rcTitleBar, 0, 0, 1200, 50, "title bar");
        ExpectRect(wnd->m_rcLogo, 10, 10, 42, 42, "logo");
        ExpectRect(wnd->m_rcTitleText, 50, 0, 300, 50, "caption");
        ExpectRect(wnd->m_rcOrdersBtn, 900, 12, 980, 38, "orders");
        ExpectRect(wnd->m_rcSupportBtn, 990, 12, 1070, 38, "support");
        ExpectRect(wnd->m_rcMenuBtn, 1080, 0, 1120, 50, "menu");
        ExpectRect(wnd->m_rcMinBtn, 1120, 0, 1160, 50, "minimise");
        ExpectRect(wnd->m_rcCloseBtn, 1160, 0, 1200, 50, "close");
        ExpectRect(wnd->m_rcHomePanel, 370, 220, 830, 520, "home panel");
        ExpectRect(wnd->m_rcVersionCombo, 440, 330, 760, 375, "selector");
        ExpectRect(wnd->m_rcInstallBtn, 510, 440, 690, 488, "install");
    } else if (dpi == 120) {
        // W = 1500, H = 900; every constant scaled on its own.
        ExpectRect(wnd->m_rcTitleBar, 0, 0, 1500, 62, "title bar");
        ExpectRect(wnd->m_rcLogo, 12, 12, 52, 52, "logo");
        ExpectRect(wnd->m_rcMenuBtn, 1350, 0, 1400, 62, "menu");
        ExpectRect(wnd->m_rcCloseBtn, 1450, 0, 1500, 62, "close");
        ExpectRect(wnd->m_rcHomePanel, 462, 274, 1037, 649, "home panel");
        ExpectRect(wnd->m_rcVersionCombo, 549, 411, 950, 467, "selector");
        ExpectRect(wnd->m_rcInstallBtn, 637, 549, 862, 609, "install");
    } else if (dpi == 144) {
        ExpectRect(wnd->m_rcTitleBar, 0, 0, 1800, 75, "title bar");
        ExpectRect(wnd->m_rcLogo, 15, 15, 63, 63, "logo");
        ExpectRect(wnd->m_rcOrdersBtn, 1350, 18, 1470, 57, "orders");
        ExpectRect(wnd->m_rcHomePanel, 555, 330, 1245, 780, "home panel");
        ExpectRect(wnd->m_rcVersionCombo, 660, 495, 1140, 562, "selector");
        ExpectRect(wnd->m_rcInstallBtn, 765, 660, 1035, 732, "install");
    }
}

}  // namespace
