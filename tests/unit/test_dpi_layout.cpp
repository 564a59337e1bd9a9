// DPI factors, truncating scale functions and the fixed layout, run at 96,
// 120 and 144 DPI (the test runner sets the prefix's LogPixels).
#include <gtest/gtest.h>

#include "layout/window_layout.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

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

// The window's own rectangles are those of the layout for the scaled client
// area (the layout table pins their numbers at each DPI).
TEST_F(Dpi, LayoutRectanglesAreThoseOfTheScaledClientArea) {
    const int dpi = testing_support::ExpectedDpi();
    const float f = static_cast<float>(dpi) / 96.0f;
    const ClientArea expected = {1200 * dpi / 96, 720 * dpi / 96, {f, f}};
    const TitleBarLayout bar = TitleBarLayoutFor(expected);
    const HomeLayout home = HomeLayoutFor(expected);
    const struct {
        const char* what;
        RECT got, want;
    } cases[] = {
        {"title bar", wnd->m_rcTitleBar, bar.bar},        {"logo", wnd->m_rcLogo, bar.logo},
        {"caption", wnd->m_rcTitleText, bar.caption},      {"orders", wnd->m_rcOrdersBtn, bar.ordersBtn},
        {"support", wnd->m_rcSupportBtn, bar.supportBtn},  {"menu", wnd->m_rcMenuBtn, bar.menuBtn},
        {"minimise", wnd->m_rcMinBtn, bar.minBtn},         {"close", wnd->m_rcCloseBtn, bar.closeBtn},
        {"home panel", wnd->m_rcHomePanel, home.panel},    {"selector", wnd->m_rcVersionCombo, home.selector},
        {"install", wnd->m_rcInstallBtn, home.install},
    };
    for (const auto& c : cases) EXPECT_TRUE(EqualRect(&c.got, &c.want)) << c.what << ": " << c.got << ", want " << c.want;
}

}  // namespace
