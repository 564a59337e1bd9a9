// Pixels of the login and redemption cards and the coupon popup at the
// runner's DPI: sizes, header, focus outlines, typed text, failure lines, the
// opaque overlay and the centred offer line.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "draw/toolkit.h"
#include "layout/card_layout.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

const Rgb kCard = {35, 35, 35};
const Rgb kGoldFill = {226, 180, 77};
const Rgb kGoldOutline = {250, 210, 90};
const Rgb kGrey = {120, 120, 120};

enum Card { kLogin, kRedeem, kCoupon };

class RenderPopups : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        ASSERT_NE(wnd->m_hbmpLogo, nullptr);
    }
    void TearDown() override {
        if (savedLogo) wnd->m_hbmpLogo = savedLogo;
        RenderTest::TearDown();
    }
    void Show(Card card) {
        wnd->m_nPage = card == kLogin ? Page::PAGE_LOGIN : card == kRedeem ? Page::PAGE_REDEEM : Page::PAGE_PURCHASE;
        wnd->m_bShowCouponPopup = card == kCoupon;
        frame = card == kLogin ? CardFrame(LoginLayoutFor(Client()))
                : card == kRedeem ? CardFrame(RedeemLayoutFor(Client()))
                                  : CardFrame(CouponLayoutFor(Client()));
        x = frame.card.left;
        y = frame.card.top;
        w = Width(frame.card);
        h = Height(frame.card);
    }
    // A box's text without its outline rows.
    static RECT TextOf(RECT text) {
        InflateRect(&text, 0, -2);
        return text;
    }
    // The first pixel of colour met walking from (px, py) by (dx, dy): its x or y.
    int WalkTo(int px, int py, int dx, int dy, Rgb colour) const {
        while (canvas->At(px, py) != colour) px += dx, py += dy;
        return dx ? px : py;
    }

    HBITMAP savedLogo = nullptr;  // given back to the window, which deletes it
    CardFrame frame;              // of the card shown
    int x = 0, y = 0, w = 0, h = 0;
};

TEST_F(RenderPopups, LoginCardAndButtonSizesAt96And144Dpi) {
    const int dpi = testing_support::ExpectedDpi();
    if (dpi != 96 && dpi != 144) GTEST_SKIP() << "sizes are given for 96 and 144 DPI";
    Show(kLogin);
    canvas->Paint(wnd);
    const Rgb outline = {80, 80, 80};
    const int midX = canvas->width() / 2, clearRow = y + SY(255), clearColumn = x + SX(20);
    EXPECT_EQ(WalkTo(midX, clearRow, 1, 0, outline) - WalkTo(midX, clearRow, -1, 0, outline), dpi == 144 ? 750 : 500);
    EXPECT_EQ(WalkTo(clearColumn, clearRow, 0, 1, outline) - WalkTo(clearColumn, clearRow, 0, -1, outline),
              dpi == 144 ? 570 : 380);
    const int buttonMid = LoginLayoutFor(Client()).button.top + SY(22);
    const int left = WalkTo(midX, buttonMid, -1, 0, kGoldOutline);
    EXPECT_EQ(WalkTo(midX, buttonMid, 1, 0, kGoldOutline) - left, dpi == 144 ? 270 : 180);
    EXPECT_EQ(
        WalkTo(left + SX(30), buttonMid, 0, 1, kGoldOutline) - WalkTo(left + SX(30), buttonMid, 0, -1, kGoldOutline),
        dpi == 144 ? 67 : 45);
}

TEST_F(RenderPopups, HeaderNeedsTheLogoButTheCloseCrossDoesNot) {
    for (Card card : {kLogin, kRedeem, kCoupon}) {
        Show(card);
        const CardHeader& head = frame.header;
        const RECT& logo = head.logo;
        const RECT words = {head.latinCaption.left, head.latinCaption.top, head.latinCaption.right,
                            head.chineseCaption.bottom};
        const RECT header = {logo.left, logo.top, words.right, logo.bottom};
        const POINT c = head.cross, r = head.crossReach;
        const RECT cross = {c.x - r.x, c.y - r.y, c.x + r.x + 1, c.y + r.y + 1};
        canvas->Paint(wnd);
        EXPECT_GT(Count(words, {255, 255, 255}), 20) << "奥凡 on card " << card;
        EXPECT_GT(Count(words, kGrey), 5) << "ORVANE on card " << card;
        EXPECT_GT(canvas->MaxIn(logo), 150) << "logo on card " << card;
        EXPECT_GT(Count(cross, {180, 180, 180}), 2 * SX(8)) << "cross on card " << card;

        savedLogo = std::exchange(wnd->m_hbmpLogo, nullptr);
        canvas->Paint(wnd);
        wnd->m_hbmpLogo = std::exchange(savedLogo, nullptr);
        EXPECT_EQ(Count(header, kCard, 1), (header.right - header.left) * (header.bottom - header.top)) << card;
        EXPECT_GT(Count(cross, {180, 180, 180}), 2 * SX(8)) << "cross without logo on card " << card;
    }
}

TEST_F(RenderPopups, OnlyTheFocusedBoxHasTheGoldOutline) {
    for (const auto& [card, focus] : {std::pair{kLogin, 0}, {kLogin, 1}, {kLogin, 2}, {kRedeem, 0}, {kRedeem, 1}}) {
        Show(card);
        wnd->m_nFocusField = static_cast<FocusField>(focus);
        canvas->Paint(wnd);
        const LoginLayout login = LoginLayoutFor(Client());
        const int fields = card == kLogin ? 2 : 1;
        for (int field = 1; field <= fields; ++field) {
            const RECT box = card == kRedeem ? RedeemLayoutFor(Client()).input : field == 1 ? login.account : login.password;
            const int mid = (box.left + box.right) / 2;
            const RECT edge = {mid, box.top - 3, mid + 1, box.top + 3};
            EXPECT_EQ(Count(edge, kGoldFill), focus == field ? 2 : 0) << card << " focus " << focus << " box " << field;
            EXPECT_EQ(Count(edge, {100, 100, 100}), focus == field ? 0 : 1) << card << " focus " << focus;
        }
    }
}

TEST_F(RenderPopups, TypedTextOrGreyPlaceholders) {
    Show(kLogin);
    const LoginLayout login = LoginLayoutFor(Client());
    const RECT account = TextOf(login.accountText), password = TextOf(login.passwordText);
    canvas->Paint(wnd);
    for (const RECT& text : {account, password}) {
        EXPECT_GT(Count(text, kGrey), 20);
        EXPECT_LE(canvas->MaxIn(text), kGrey.r) << "placeholders are grey";
    }
    wnd->m_strAccount = L"user01";
    wnd->m_strPassword = std::wstring(20, L'x');
    canvas->Paint(wnd);
    EXPECT_GT(Count(account, kLight), 20);
    int stars = 0;
    {
        ScopedFont font(canvas->dc(), wnd->CreateUIFont(20, 400));
        stars = TextWidth(canvas->dc(), std::wstring(20, L'*').c_str());
    }
    int last = password.left;
    for (int py = password.top; py < password.bottom; ++py)
        for (int px = password.left; px < password.right; ++px)
            if (canvas->At(px, py).Max() > 100) last = std::max(last, px);
    EXPECT_NEAR(last + 1 - password.left, stars, SX(3)) << "twenty stars wide";

    Show(kRedeem);
    wnd->m_strRedeemCode = L"ABCD1234";
    canvas->Paint(wnd);
    const RECT code = TextOf(RedeemLayoutFor(Client()).inputText);
    EXPECT_GT(Count(code, kLight), 20);
    EXPECT_EQ(Count(code, kGrey), 0);
}

TEST_F(RenderPopups, FailureLinesOnlyAfterSubmission) {
    for (Card card : {kLogin, kRedeem}) {
        Show(card);
        // Login: under the button; redemption: between the box and the button.
        const RECT line = card == kLogin ? LoginLayoutFor(Client()).error : RedeemLayoutFor(Client()).error;
        bool& submitted = card == kLogin ? wnd->m_bLoginSubmitted : wnd->m_bRedeemSubmitted;
        canvas->Paint(wnd);
        EXPECT_EQ(Count({x, y, x + w, y + h}, kRed), 0) << card;
        submitted = true;
        canvas->Paint(wnd);
        const int red = Count(line, kRed);
        EXPECT_GT(red, 20) << card;
        EXPECT_EQ(Count({x, y, x + w, y + h}, kRed), red) << "only in its row, card " << card;
    }
}

TEST_F(RenderPopups, CouponPopupHidesThePageAndCentresTheOffer) {
    Show(kCoupon);
    const CouponLayout coupon = CouponLayoutFor(Client());
    RECT row = coupon.offerLine;
    InflateRect(&row, -1, 0);
    for (const std::wstring text : {L"【20.00元优惠券】", L"【9.10元优惠券】", L"【1234567.89元优惠券】"}) {
        wnd->m_coupon.coupon_text = text;
        canvas->Paint(wnd);
        int total = 0;
        {
            ScopedFont font(canvas->dc(), wnd->CreateUIFont(24, 400));
            total = TextWidth(canvas->dc(), (L"系统已为您发放" + text + L"，").c_str());
        }
        const int left = x + (w - total) / 2;
        int first = INT_MAX, last = INT_MIN;
        for (int py = row.top; py < row.bottom; ++py)
            for (int px = row.left; px < row.right; ++px)
                if (!canvas->At(px, py).Near(kCard, 2)) first = std::min(first, px), last = std::max(last, px);
        EXPECT_NEAR(first, left, SX(2)) << "the three pieces centred as one";
        EXPECT_LT(last, left + total);
        EXPECT_GT(Count(row, {255, 215, 0}), 50) << "gold coupon text";
        EXPECT_GT(Count(row, kLight), 50);
    }
    for (POINT pt : {POINT{canvas->width() / 2, SY(25)}, POINT{5, 5}, POINT{x - 3, y + h / 2}}) {
        EXPECT_EQ(canvas->At(pt.x, pt.y), (Rgb{0, 0, 0})) << "opaque overlay at " << pt.x << "," << pt.y;
    }
    EXPECT_EQ(canvas->At(x + SX(20), y + h - SY(20)), kCard);
    EXPECT_GT(Count(coupon.title, {255, 255, 255}), 50) << "title";
    EXPECT_GT(Count(coupon.question, {200, 200, 200}), 50) << "question";
    const int mid = coupon.cancel.top + SY(20);
    const int cancel = coupon.cancel.left, confirm = coupon.confirm.left;
    EXPECT_EQ(canvas->At(cancel, mid), kGrey) << "cancel outline";
    EXPECT_EQ(canvas->At(cancel + SX(12), mid), (Rgb{80, 80, 80}));
    EXPECT_EQ(canvas->At(confirm, mid), kGoldOutline);
    EXPECT_EQ(canvas->At(confirm + SX(12), mid), kGoldFill);
    EXPECT_GT(Count(coupon.cancel, {200, 200, 200}), 10) << "cancel label";
    EXPECT_GT(Count(coupon.confirm, {0, 0, 0}), 10) << "confirm label";
}

}  // namespace
