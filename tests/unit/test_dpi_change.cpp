// A window moved to a monitor of another DPI (WM_DPICHANGED): it takes the
// suggested rectangle, paints every page, popup and card exactly as a window
// made at the new DPI does, and its clicks and drags follow the new scale.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "layout/window_layout.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

constexpr UINT kLowDpi = 96;
constexpr UINT kHighDpi = 144;
// Where Windows would put the window on each monitor: the 1200 × 720 window
// at 144 DPI, and back.
constexpr RECT kHighRect = {40, 30, 40 + 1800, 30 + 1080};
constexpr RECT kLowRect = {100, 80, 100 + 1200, 80 + 720};

// A payment code of black squares on white, owned by the window it is given to.
HBITMAP CheckerQr() {
    RenderCanvas scratch(1, 1);
    const HBITMAP qr = CreateCanvasBitmap(scratch.dc(), 200, 200);
    DIBSECTION dib = {};
    GetObjectW(qr, sizeof(dib), &dib);
    auto* bits = static_cast<uint32_t*>(dib.dsBm.bmBits);
    for (int i = 0; i < 200 * 200; ++i) bits[i] = (i % 200 / 10 + i / 2000) % 2 ? 0xFF000000u : 0xFFFFFFFFu;
    return qr;
}

void Home(CMainWnd& w) { w.m_aVersions = {GameInfo{L"传奇 1.76"}, GameInfo{L"热血 2.0"}}; }

void HomeWithUserMenu(CMainWnd& w) {
    Home(w);
    w.ToggleUserMenu();
}

void PurchaseWithQr(CMainWnd& w) {
    Home(w);
    w.InitOfferDefaults();
    w.m_nPage = Page::PAGE_PURCHASE;
    w.m_nCountdownSeconds = 299;
    w.m_hbmpPayQR = CheckerQr();
}

void OrdersWithDialog(CMainWnd& w) {
    w.m_nPage = Page::PAGE_ORDERS;
    for (int i = 0; i < 3; ++i) {
        const std::wstring n = std::to_wstring(i);
        w.m_aOrders.push_back({L"OD2024061512345" + n, L"20240615220014" + n, L"热血 2.0", L"¥39.00",
                               OrderStatus::Completed, L"https://download.example.com/setup-" + n + L".exe",
                               L"2024-06-15 12:34:56"});
    }
    w.m_nSelectedOrder = 1;
    w.m_bShowOrderDetail = true;
}

void Support(CMainWnd& w) { w.m_nPage = Page::PAGE_SUPPORT; }

void LoginCard(CMainWnd& w) {
    w.m_nPage = Page::PAGE_LOGIN;
    w.m_strAccount = L"user01";
    w.m_nFocusField = FocusField::First;
}

void RedeemCard(CMainWnd& w) {
    w.m_nPage = Page::PAGE_REDEEM;
    w.m_strRedeemCode = L"ABCD1234";
}

void CouponPopup(CMainWnd& w) {
    PurchaseWithQr(w);
    w.InitCouponDefaults();
    w.m_bShowCouponPopup = true;
}

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// A main window made at a DPI and put into a state.
class Window {
public:
    Window(UINT dpi, void (*show)(CMainWnd&)) : m_wnd(testing_support::NewMainWnd()) {
        m_wnd->CreateAndLayoutWindow(dpi, dpi);
        m_wnd->TakeLatePictures();
        show(*m_wnd);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() {
        if (GetCapture() == m_wnd->m_hWnd) ReleaseCapture();
        testing_support::DestroyMainWnd(m_wnd);
    }
    CMainWnd* operator->() const { return m_wnd; }

    Frame Paint() const {
        RenderCanvas canvas(m_wnd->m_hWnd);
        canvas.Paint(m_wnd);
        return {canvas.width(), canvas.height(),
                std::vector<uint32_t>(canvas.bits(), canvas.bits() + canvas.width() * canvas.height())};
    }
    // As Windows sends it when the window comes onto a monitor of that DPI.
    void MoveToDpi(UINT dpi, RECT suggested) const {
        SendMessageW(m_wnd->m_hWnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }
    RECT WindowRect() const {
        RECT rc = {};
        GetWindowRect(m_wnd->m_hWnd, &rc);
        return rc;
    }
    bool At(const RECT& want) const {
        const RECT rc = WindowRect();
        return EqualRect(&rc, &want) != FALSE;
    }
    void Send(UINT message, WPARAM wParam, POINT pt) const {
        SendMessageW(m_wnd->m_hWnd, message, wParam, MAKELPARAM(pt.x, pt.y));
    }

private:
    CMainWnd* m_wnd;
};

void ExpectSameFrame(const Frame& got, const Frame& want, const char* what) {
    ASSERT_EQ(got.width, want.width) << what;
    ASSERT_EQ(got.height, want.height) << what;
    for (size_t i = 0; i < got.pixels.size(); ++i) {
        if ((got.pixels[i] & 0xFFFFFF) != (want.pixels[i] & 0xFFFFFF)) {
            ADD_FAILURE() << what << ": first differing pixel at (" << i % got.width << "," << i / got.width
                          << "): " << std::hex << got.pixels[i] << " instead of " << want.pixels[i];
            return;
        }
    }
}

class DpiChange : public ::testing::Test {
protected:
    void SetUp() override {
        // The DPIs are given explicitly; one run covers them.
        if (testing_support::ExpectedDpi() != 96) GTEST_SKIP() << "checked in the 96-DPI run";
    }
};

TEST_F(DpiChange, EveryPageAfterAMoveIsPaintedAsAWindowMadeAtThatDpi) {
    const struct {
        const char* name;
        void (*show)(CMainWnd&);
    } scenes[] = {
        {"home", Home},
        {"home with the user menu", HomeWithUserMenu},
        {"purchase with QR", PurchaseWithQr},
        {"orders with the detail dialog", OrdersWithDialog},
        {"support", Support},
        {"login card", LoginCard},
        {"redeem card", RedeemCard},
        {"coupon popup", CouponPopup},
    };
    for (const auto& scene : scenes) {
        SCOPED_TRACE(scene.name);
        const Frame high = Window(kHighDpi, scene.show).Paint();
        const Window moved(kLowDpi, scene.show);
        // Painted once at 96 first, so whatever it keeps between paints is there.
        const Frame low = moved.Paint();

        moved.MoveToDpi(kHighDpi, kHighRect);
        EXPECT_TRUE(moved.At(kHighRect)) << moved.WindowRect();
        ExpectSameFrame(moved.Paint(), high, "at 144 DPI");

        moved.MoveToDpi(kLowDpi, kLowRect);
        EXPECT_TRUE(moved.At(kLowRect)) << moved.WindowRect();
        ExpectSameFrame(moved.Paint(), low, "back at 96 DPI");
    }
}

TEST_F(DpiChange, ClicksAndADragInProgressFollowTheNewScale) {
    const Window w(kLowDpi, [](CMainWnd& wnd) {
        Home(wnd);
        wnd.m_offer.countdown_minutes = 5;
    });
    const ClientArea high = {1800, 1080, {1.5f, 1.5f}};
    const RECT install = HomeLayoutFor(high).install;
    const POINT centre = {(install.left + install.right) / 2, (install.top + install.bottom) / 2};

    w.Send(WM_LBUTTONDOWN, MK_LBUTTON, centre);
    EXPECT_EQ(w->m_nPage, Page::PAGE_HOME) << "at 96 DPI the point is off the button";
    w.MoveToDpi(kHighDpi, kHighRect);
    w.Send(WM_LBUTTONDOWN, MK_LBUTTON, centre);
    EXPECT_EQ(w->m_nPage, Page::PAGE_PURCHASE);
    EXPECT_TRUE(w->m_payIntentWorker.Running());

    // A title bar grabbed at 96 DPI: the grabbed spot keeps its place in the
    // window at 144, so the cursor resting on it moves nothing.
    const Window dragged(kLowDpi, Home);
    dragged.Send(WM_LBUTTONDOWN, MK_LBUTTON, {600, 24});
    ASSERT_TRUE(dragged->m_bDragging);
    dragged.MoveToDpi(kHighDpi, kHighRect);
    dragged.Send(WM_MOUSEMOVE, MK_LBUTTON, {900, 36});
    EXPECT_TRUE(dragged.At(kHighRect)) << dragged.WindowRect();
    dragged.Send(WM_MOUSEMOVE, MK_LBUTTON, {910, 26});
    const RECT after = dragged.WindowRect();
    EXPECT_EQ(after.left - kHighRect.left, 10);
    EXPECT_EQ(after.top - kHighRect.top, -10);
    dragged.Send(WM_LBUTTONUP, 0, {910, 26});
}

}  // namespace
