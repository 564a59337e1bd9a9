// Pixels of the painted purchase page at the runner's DPI: layout, selector,
// prices, notes, countdown, the QR square and its placeholder, the scan hint
// and the result card.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <utility>

#include "draw/toolkit.h"
#include "layout/purchase_layout.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

const Rgb kContainer = {35, 35, 35};
const Rgb kPaleGold = {252, 233, 149};
const Rgb kSpinner = {24, 144, 255};

bool SamePixels(const RenderCanvas& a, const RenderCanvas& b, const RECT& area) {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

class RenderPurchase : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        wnd->TakeLatePictures();
        wnd->m_aVersions = {GameInfo{L"传奇 1.76"}, GameInfo{L"热血 2.0"}, GameInfo{L"经典 3.0"}};
        wnd->m_nPage = Page::PAGE_PURCHASE;

        page = PurchaseLayoutFor(Client(), 3, true);
        const PurchaseLayout& p = page;
        panel = p.panel;
        xL = p.selector.left;
        yP = p.priceLabel.top;
        rcVersion = p.selector;
        rcCountdown = p.countdown;
        for (int i = 0; i < 2; ++i) {
            benefit[i] = p.benefits[i];
            note[i] = p.notes[i];
        }
        qx = p.qrContainer.left;
        // The price itself, short of the original price that starts at 205 units.
        priceRow = {p.price.left, p.price.top, xL + SX(205), p.price.bottom};
        qrTitle = p.qrTitle;
        square = p.qrSquare;
        s = Width(square);
        qrArea = {qx, p.qrContainer.top + SY(40), p.qrContainer.right, square.bottom + SY(5)};
        scanRow = PurchaseLayoutFor(Client(), 3, false).scanTip;
        const PayResultLayout r = PayResultLayoutFor(Client());
        card = r.card;
        int i = 0;
        for (const RECT& row : {r.title, r.sub, r.hint}) cardRow[i++] = {row.left + 1, row.top, row.right - 1, row.bottom};
    }
    void TearDown() override {
        wnd->m_hbmpPayQR = nullptr;
        if (savedIcon) wnd->m_hbmpPayIcon = savedIcon;
        RenderTest::TearDown();
    }
    // A premultiplied code: opaque black cells on a transparent ground.
    void SetCheckerQR() {
        qr.reset(CreateCanvasBitmap(canvas->dc(), 200, 200));
        DIBSECTION dib = {};
        GetObjectW(qr.get(), sizeof(dib), &dib);
        auto* bits = static_cast<uint32_t*>(dib.dsBm.bmBits);
        for (int i = 0; i < 200 * 200; ++i) bits[i] = (i % 200 / 10 + i / 2000) % 2 ? 0xFF000000u : 0u;
        wnd->m_hbmpPayQR = qr.get();
    }

    PurchaseLayout page;  // with the payment icon
    GdiObject<HBITMAP> qr;
    HBITMAP savedIcon = nullptr;  // given back to the window, which deletes it
    int xL = 0, yP = 0, qx = 0, s = 0;
    RECT panel, rcVersion, rcCountdown, benefit[2], note[2], priceRow, qrTitle, square, qrArea, scanRow, card,
        cardRow[3];
};

TEST_F(RenderPurchase, LayoutAt96Dpi) {
    if (testing_support::ExpectedDpi() != 96) GTEST_SKIP() << "absolute positions are those of 96 DPI";
    SetCheckerQR();
    canvas->Paint(wnd);
    // Panel {220, 150, 980, 570}: outline on each edge line, fill inside, background outside.
    const POINT edges[][3] = {{{220, 360}, {221, 360}, {219, 360}},
                              {{980, 360}, {979, 360}, {981, 360}},
                              {{600, 150}, {600, 151}, {600, 149}},
                              {{600, 570}, {600, 569}, {600, 571}}};
    for (const auto& e : edges) {
        EXPECT_GT(canvas->At(e[0].x, e[0].y).r, 60) << e[0].x << "," << e[0].y;
        EXPECT_EQ(canvas->At(e[1].x, e[1].y), kPanel);
        EXPECT_LT(canvas->At(e[2].x, e[2].y).r, 40);
    }
    const RECT version = {260, 210, 500, 250};
    const RECT selector = wnd->VersionSelector();
    EXPECT_TRUE(EqualRect(&selector, &version));
    // QR container {640, 270, 890, 520}; the square 140 x 140 at (699, 315).
    for (int x : {641, 698, 839, 889}) EXPECT_EQ(canvas->At(x, 400), kContainer) << x;
    const Blob code = Find({650, 310, 880, 460}, [](const Rgb& p) { return p.Max() >= 230 || p.Max() == 0; });
    const RECT expected = {699, 315, 839, 455};
    EXPECT_TRUE(EqualRect(&code.box, &expected));
}

TEST_F(RenderPurchase, TextsTakeTheirColoursForEachPaymentState) {
    const Rgb red = {255, 100, 100}, grey = {200, 200, 200}, dim = {150, 150, 150};
    const struct {
        const char* what;
        PayState state;
        RECT area;
        Rgb colour;
        bool shown;
    } cases[] = {
        {"countdown", PayState::PAY_STATE_NONE, rcCountdown, {255, 80, 80}, true},
        {"benefit 1", PayState::PAY_STATE_NONE, benefit[0], kPaleGold, true},
        {"benefit 2", PayState::PAY_STATE_NONE, benefit[1], kPaleGold, true},
        {"first note", PayState::PAY_STATE_NONE, note[0], kLight, true},
        {"first note in one colour", PayState::PAY_STATE_NONE, note[0], kPaleGold, false},
        {"price", PayState::PAY_STATE_NONE, priceRow, {255, 229, 86}, true},
        {"amount", PayState::PAY_STATE_NONE, qrTitle, {255, 215, 0}, true},
        {"selector arrow",
         PayState::PAY_STATE_NONE,
         {page.selectorArrow.left, rcVersion.top + 2, page.selectorArrow.right, rcVersion.bottom - 2},
         dim,
         true},
        {"success title", PayState::PAY_STATE_SUCCESS, cardRow[0], kGreen, true},
        {"success sub-line", PayState::PAY_STATE_SUCCESS, cardRow[1], grey, true},
        {"no hint after success", PayState::PAY_STATE_SUCCESS, cardRow[2], dim, false},
        {"no scan hint under a result", PayState::PAY_STATE_SUCCESS, scanRow, kGreen, false},
        {"failure title", PayState::PAY_STATE_FAILED, cardRow[0], red, true},
        {"failure sub-line", PayState::PAY_STATE_FAILED, cardRow[1], grey, true},
        {"failure hint", PayState::PAY_STATE_FAILED, cardRow[2], dim, true},
    };
    for (PayState state : {PayState::PAY_STATE_NONE, PayState::PAY_STATE_SUCCESS, PayState::PAY_STATE_FAILED}) {
        wnd->m_nPayState = state;
        canvas->Paint(wnd);
        for (const auto& c : cases) {
            if (c.state != state) continue;
            EXPECT_EQ(Find(c.area, c.colour).count > 5, c.shown) << c.what;
        }
        EXPECT_EQ(Find(panel, {255, 80, 80}).count, Find(rcCountdown, {255, 80, 80}).count)
            << "countdown red only in the countdown";
    }
}

TEST_F(RenderPurchase, SelectorIsTheComboAndTheListHangsBelowIt) {
    const RECT home = wnd->m_rcVersionCombo;
    canvas->Paint(wnd);
    const RECT selector = wnd->VersionSelector();
    EXPECT_TRUE(EqualRect(&selector, &rcVersion));
    EXPECT_TRUE(EqualRect(&wnd->m_rcVersionCombo, &home)) << "painting writes no state";
    EXPECT_EQ(canvas->At(rcVersion.left + SX(120), rcVersion.top + SY(4)), (Rgb{45, 45, 45}));
    RenderCanvas closed(wnd->m_hWnd);
    closed.Paint(wnd);
    wnd->m_bDropListOpen = true;
    canvas->Paint(wnd);
    EXPECT_TRUE(SamePixels(*canvas, closed, rcVersion)) << "the arrow does not turn";
    const int x = rcVersion.right - SX(20);
    for (int row : {0, 3}) EXPECT_EQ(canvas->At(x, page.versions.Row(row).top), (Rgb{80, 80, 80})) << "list border";
}

TEST_F(RenderPurchase, AcceptedCouponReplacesBothPricesButNotTheListPrice) {
    RenderCanvas listPrice(wnd->m_hWnd), cheaper(wnd->m_hWnd);
    listPrice.Paint(wnd);
    wnd->m_offer.current_price = 19.0;
    cheaper.Paint(wnd);
    wnd->m_offer.current_price = 39.0;
    wnd->m_bCouponAccepted = true;
    wnd->m_dCouponPrice = 19.0;
    canvas->Paint(wnd);
    for (const RECT& row : {priceRow, qrTitle}) {
        EXPECT_TRUE(SamePixels(*canvas, cheaper, row)) << "row at " << row.top;
        EXPECT_FALSE(SamePixels(*canvas, listPrice, row)) << "row at " << row.top;
    }
    EXPECT_TRUE(SamePixels(*canvas, listPrice, page.originalPrice));
}

TEST_F(RenderPurchase, LastNoteTurnsPaleGoldAfterItsNinthUnitAndAThirdBenefitIsNotShown) {
    ASSERT_EQ(wnd->m_offer.notes[1], L"不能玩全额退款、可联系客服处理");
    canvas->Paint(wnd);
    int eight = 0, nine = 0;
    {
        ScopedFont font(canvas->dc(), wnd->CreateUIFont(18, 400));
        eight = TextWidth(canvas->dc(), L"不能玩全额退款、");
        nine = TextWidth(canvas->dc(), L"不能玩全额退款、可");
    }
    const Blob light = Find(note[1], kLight);
    const Blob tail = Find(note[1], kPaleGold);
    EXPECT_GT(light.box.right, xL + eight);
    EXPECT_LE(light.box.right, xL + nine + 1);
    EXPECT_GE(tail.box.left, xL + nine - 1);
    EXPECT_LE(tail.box.left, xL + nine + SX(4));

    wnd->m_offer.notes = {L"支持单机、联机", L"联系客服处理"};  // six units: one colour
    RenderCanvas two(wnd->m_hWnd);
    two.Paint(wnd);
    EXPECT_GT(FindOn(two, note[1], kLight).count, 20);
    EXPECT_EQ(FindOn(two, note[1], kPaleGold).count, 0);
    wnd->m_offer.benefits.push_back(L"第三条权益说明");
    canvas->Paint(wnd);
    EXPECT_TRUE(SamePixels(*canvas, two, panel));
}

TEST(CountdownText, KeepsHoursAtZeroAndMinutesUnreduced) {
    EXPECT_EQ(CountdownText(3900), L"00:65:00");
    EXPECT_EQ(CountdownText(299), L"00:04:59");
    EXPECT_EQ(CountdownText(0), L"00:00:00");
    EXPECT_EQ(CountdownText(6007), L"00:100:07");
}

TEST_F(RenderPurchase, QRSquareShowsTheCodeOrTheLoadingPlaceholder) {
    canvas->Paint(wnd);
    const Blob placeholder = Find(qrArea, [](const Rgb& p) { return p.Max() >= 200; });
    EXPECT_TRUE(EqualRect(&placeholder.box, &square));
    EXPECT_TRUE(canvas->At(square.left + 3, square.top + 3).Near({250, 250, 252}, 2));
    EXPECT_TRUE(canvas->At(square.right - 3, square.bottom - 3).Near({245, 245, 248}, 2));
    EXPECT_EQ(canvas->At(square.left, square.top + s / 2), (Rgb{230, 230, 235}));
    EXPECT_GT(Find(square, [](const Rgb& p) { return p.b - p.r > 10 && p.r > 100; }).count, 100) << "rings";
    EXPECT_GT(Find(QrLoadingText(square, Scale()), [](const Rgb& p) { return p.Max() < 200; }).count, 20)
        << "loading line";

    SetCheckerQR();
    canvas->Paint(wnd);
    const Blob code = Find(qrArea, [](const Rgb& p) { return p.Max() >= 200 || p.Max() == 0; });
    EXPECT_TRUE(EqualRect(&code.box, &square));
    EXPECT_EQ(Find(square, [](const Rgb& p) { return p.b != p.r; }).count, 0) << "no spinner";
    EXPECT_GT(Find(square, Rgb{0, 0, 0}).count, s * s / 4);
    EXPECT_GT(Find(square, Rgb{255, 255, 255}).count, s * s / 4) << "white under the clear cells";
    EXPECT_EQ(canvas->At(square.left + s / 2, square.top), (Rgb{230, 230, 230}));
}

// The dot is an ellipse trunc(8 x (1 + 0.1 sin a)) pixels across at the centre.
TEST_F(RenderPurchase, SpinnerDotBreathesWithTheAngle) {
    const int cx = square.left + s / 2, cy = square.top + s / 2;
    const RECT around = {cx - 8, cy - 8, cx + 8, cy + 8};
    for (const auto& [angle, d] : {std::pair{90, 8}, {270, 7}, {0, 8}, {300, 7}}) {
        wnd->m_nSpinnerAngle = angle;
        canvas->Paint(wnd);
        RenderCanvas reference(canvas->width(), canvas->height());
        {
            Gdiplus::Graphics g(reference.dc());
            g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            Gdiplus::SolidBrush blue(Gdiplus::Color(255, 24, 144, 255));
            g.FillEllipse(&blue, cx - d / 2, cy - d / 2, d, d);
        }
        GdiFlush();
        const Blob dot = Find(around, kSpinner), expected = FindOn(reference, around, kSpinner);
        EXPECT_EQ(dot.count, expected.count) << "angle " << angle;
        EXPECT_TRUE(EqualRect(&dot.box, &expected.box)) << "angle " << angle;
    }
}

TEST_F(RenderPurchase, ScanHintFollowsTheIconOrIsCentredWithoutIt) {
    canvas->Paint(wnd);
    const RECT iconBox = page.payIcon;
    const int icon = Width(iconBox);
    const auto blue = [](const Rgb& p) { return p.b - p.r > 60; };
    EXPECT_GT(Find(iconBox, blue).count, icon * icon / 4);
    const Blob withIcon = Find(scanRow, kGreen);
    EXPECT_GE(withIcon.box.left, iconBox.right + SX(5));

    savedIcon = std::exchange(wnd->m_hbmpPayIcon, nullptr);
    canvas->Paint(wnd);
    const Blob centred = Find(scanRow, kGreen);
    EXPECT_EQ(Find(iconBox, blue).count, 0);
    EXPECT_GT(centred.count, withIcon.count) << "the check mark joins the text";
    EXPECT_NEAR(centred.box.left + centred.box.right, 2 * (qx + SX(140)), 6);
}

TEST_F(RenderPurchase, ResultCardDimsTheWholeWindowButNotTheHomeButton) {
    RenderCanvas plain(wnd->m_hWnd);
    plain.Paint(wnd);
    wnd->m_nPayState = PayState::PAY_STATE_SUCCESS;
    canvas->Paint(wnd);
    for (POINT pt : {POINT{canvas->width() / 2, SY(25)}, POINT{panel.left + 5, panel.bottom - 5},
                     POINT{5, canvas->height() - 5}}) {
        const Rgb under = plain.At(pt.x, pt.y);
        EXPECT_TRUE(canvas->At(pt.x, pt.y).Near({under.r * 55 / 255, under.g * 55 / 255, under.b * 55 / 255}, 1))
            << pt.x << "," << pt.y << ": " << canvas->At(pt.x, pt.y);
    }
    EXPECT_TRUE(canvas->At(card.left + SX(20), card.top + SY(20)).Near(kContainer, 1)) << "card fill";
    EXPECT_EQ(canvas->At(card.left, (card.top + card.bottom) / 2), (Rgb{100, 100, 100})) << "card outline";
    EXPECT_EQ(canvas->At(SX(25), SY(63)), (Rgb{60, 60, 60})) << "home button";
}

TEST_F(RenderPurchase, OverlongTextsAreCut) {
    wnd->m_offer.currency = std::wstring(200, L'€');
    wnd->m_offer.unit = std::wstring(300, L'月');
    wnd->m_offer.scan_tip = std::wstring(300, L'扫');
    canvas->Paint(wnd);
    EXPECT_GT(Find(priceRow, {255, 229, 86}).count, 20);
    EXPECT_GT(Find(scanRow, kGreen).count, 20);
    EXPECT_EQ(canvas->At(square.left + s / 2, square.top), (Rgb{230, 230, 235})) << "the page goes on";
}

TEST_F(RenderPurchase, RepaintsLeaveNoGdiObjectsBehind) {
    SetCheckerQR();
    const auto paint = [&](int i) {
        wnd->m_hbmpPayQR = i % 2 ? qr.get() : nullptr;
        wnd->m_nPayState = i % 5 == 4 ? PayState::PAY_STATE_FAILED : PayState::PAY_STATE_NONE;
        wnd->m_bDropListOpen = i % 3 == 1;
        canvas->Paint(wnd);
    };
    for (int i = 0; i < 10; ++i) paint(i);
    const int before = testing_support::CountGdiObjects();
    for (int i = 10; i < 100; ++i) paint(i);
    EXPECT_EQ(testing_support::CountGdiObjects(), before);
}

// Stroked band by band, the outline has exactly the pixels of one stroke.
TEST(RenderRoundOutline, MatchesASingleStroke) {
    RenderCanvas banded(400, 300), whole(400, 300);
    const std::pair<RECT, int> cases[] = {
        {{20, 30, 380, 280}, 8}, {{0, 0, 400, 300}, 12}, {{50, 50, 60, 250}, 5}, {{40, 100, 300, 110}, 12}};
    for (const auto& [rc, radius] : cases) {
        for (RenderCanvas* c : {&banded, &whole}) {
            // A varying ground, so a pixel blended twice or missed shows.
            Gdiplus::Graphics g(c->dc());
            Gdiplus::LinearGradientBrush ground(Gdiplus::Point(0, 0), Gdiplus::Point(400, 300),
                                                Gdiplus::Color(255, 0, 40, 0), Gdiplus::Color(255, 250, 200, 250));
            g.FillRectangle(&ground, 0, 0, 400, 300);
        }
        DrawRoundOutline(banded.dc(), rc, radius, palette::kPanelBorder);
        {
            Gdiplus::Graphics g(whole.dc());
            g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            Gdiplus::GraphicsPath path;
            AddRoundRect(path, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, radius);
            Gdiplus::Pen pen(palette::kPanelBorder.Plus(), 1.0f);
            g.DrawPath(&pen, &path);
        }
        GdiFlush();
        EXPECT_TRUE(SamePixels(banded, whole, {0, 0, 400, 300})) << rc.left << "," << rc.top << " r " << radius;
    }
}

}  // namespace

TEST_F(RenderPurchase, TheCachedPanelFollowsEveryChangeAndTheSelectorIsAlwaysWritten) {
    // Each change is painted once through the warm cache and once with the
    // cache emptied: the two must agree to the pixel.
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"version", [&] { wnd->m_nSelectedVersion = 2; }},
        {"no version", [&] { wnd->m_nSelectedVersion = -1; }},
        {"coupon", [&] { wnd->m_bCouponAccepted = true; wnd->m_dCouponPrice = 19.9; }},
        {"current price", [&] { wnd->m_bCouponAccepted = false; wnd->m_offer.current_price = 29.0; }},
        {"list price", [&] { wnd->m_offer.original_price = 199.0; }},
        {"currency", [&] { wnd->m_offer.currency = L"$"; }},
        {"title", [&] { wnd->m_offer.title = L"新的标题"; }},
        {"unit", [&] { wnd->m_offer.unit = L"年"; }},
        {"gift", [&] { wnd->m_offer.gift_text = L"赠品"; }},
        {"benefit", [&] { wnd->m_offer.benefits[1] = L"第二条"; }},
        {"note", [&] { wnd->m_offer.notes[0] = L"说明"; }},
        {"tip", [&] { wnd->m_offer.scan_tip = L"扫码"; }},
        {"countdown", [&] { wnd->m_nCountdownSeconds = 61; }},
        {"spinner", [&] { wnd->m_nSpinnerAngle = 200; }},
        {"qr", [&] { SetCheckerQR(); }},
        {"list", [&] { wnd->m_bDropListOpen = true; }},
        {"result", [&] { wnd->m_nPayState = PayState::PAY_STATE_FAILED; }},
        {"countdown under the card", [&] { wnd->m_nCountdownSeconds = 30; }},
        {"paid", [&] { wnd->m_nPayState = PayState::PAY_STATE_SUCCESS; }},
        {"list over the card", [&] { wnd->m_bDropListOpen = true; wnd->m_nSelectedVersion = 1; }},
        {"spinner under the card", [&] { wnd->m_hbmpPayQR = nullptr; wnd->m_nSpinnerAngle = 8; }},
        {"back", [&] { wnd->m_nPayState = PayState::PAY_STATE_NONE; wnd->m_bDropListOpen = false; }},
    };
    RenderCanvas fresh(wnd->m_hWnd);
    canvas->Paint(wnd);
    for (const auto& change : changes) {
        change.second();
        canvas->Paint(wnd);
        wnd->m_purchaseLayerCache.bitmap.reset();
        wnd->m_keptFrame.bitmap.reset();
        fresh.Paint(wnd);
        EXPECT_TRUE(SamePixels(*canvas, fresh, {0, 0, canvas->width(), canvas->height()})) << change.first;
    }
}
