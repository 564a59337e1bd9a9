// Every page's and popup's rectangles from the layout functions, against the
// numbers the window is designed with: at 96 DPI in the 1200 × 720 client, and
// at 120 and 144 DPI, where every constant is scaled and truncated on its own.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "layout/card_layout.h"
#include "layout/orders_layout.h"
#include "layout/purchase_layout.h"
#include "layout/support_layout.h"
#include "layout/window_layout.h"

namespace {

constexpr ClientArea k96 = {1200, 720, {1.0f, 1.0f}};
constexpr ClientArea k120 = {1500, 900, {1.25f, 1.25f}};
constexpr ClientArea k144 = {1800, 1080, {1.5f, 1.5f}};

struct Want {
    const char* what;
    RECT got;
    RECT want;
};

void ExpectRects(std::initializer_list<Want> cases) {
    for (const Want& c : cases) {
        EXPECT_TRUE(c.got.left == c.want.left && c.got.top == c.want.top && c.got.right == c.want.right &&
                    c.got.bottom == c.want.bottom)
            << c.what << ": {" << c.got.left << "," << c.got.top << "," << c.got.right << "," << c.got.bottom
            << "}, want {" << c.want.left << "," << c.want.top << "," << c.want.right << "," << c.want.bottom << "}";
    }
}

TEST(Layout, TitleBarHomeAndMenuAt96120And144Dpi) {
    const TitleBarLayout t96 = TitleBarLayoutFor(k96);
    const HomeLayout h96 = HomeLayoutFor(k96);
    const TitleBarLayout t120 = TitleBarLayoutFor(k120);
    const HomeLayout h120 = HomeLayoutFor(k120);
    const TitleBarLayout t144 = TitleBarLayoutFor(k144);
    const HomeLayout h144 = HomeLayoutFor(k144);
    ExpectRects({
        {"title bar", t96.bar, {0, 0, 1200, 50}},
        {"logo", t96.logo, {10, 10, 42, 42}},
        {"caption", t96.caption, {50, 0, 300, 50}},
        {"orders", t96.ordersBtn, {900, 12, 980, 38}},
        {"support", t96.supportBtn, {990, 12, 1070, 38}},
        {"menu", t96.menuBtn, {1080, 0, 1120, 50}},
        {"minimise", t96.minBtn, {1120, 0, 1160, 50}},
        {"close", t96.closeBtn, {1160, 0, 1200, 50}},
        {"home panel", h96.panel, {370, 220, 830, 520}},
        {"selector", h96.selector, {440, 330, 760, 375}},
        {"install", h96.install, {510, 440, 690, 488}},
        {"home logo", h96.logo, {395, 240, 435, 280}},
        {"arrow", h96.selectorArrow, {725, 330, 755, 375}},
        {"user menu", UserMenuRect(t96.menuBtn, k96.scale), {1020, 55, 1170, 135}},
        {"title bar 120", t120.bar, {0, 0, 1500, 62}},
        {"logo 120", t120.logo, {12, 12, 52, 52}},
        {"menu 120", t120.menuBtn, {1350, 0, 1400, 62}},
        {"close 120", t120.closeBtn, {1450, 0, 1500, 62}},
        {"home panel 120", h120.panel, {462, 274, 1037, 649}},
        {"selector 120", h120.selector, {549, 411, 950, 467}},
        {"install 120", h120.install, {637, 549, 862, 609}},
        {"user menu 120", UserMenuRect(t120.menuBtn, k120.scale), {1275, 68, 1462, 168}},
        {"title bar 144", t144.bar, {0, 0, 1800, 75}},
        {"logo 144", t144.logo, {15, 15, 63, 63}},
        {"orders 144", t144.ordersBtn, {1350, 18, 1470, 57}},
        {"home panel 144", h144.panel, {555, 330, 1245, 780}},
        {"selector 144", h144.selector, {660, 495, 1140, 562}},
        {"install 144", h144.install, {765, 660, 1035, 732}},
    });
    const RECT menu = UserMenuRect(t120.menuBtn, k120.scale);
    EXPECT_EQ(UserMenuItem(menu, 117, k120.scale), 0);
    EXPECT_EQ(UserMenuItem(menu, 118, k120.scale), 1);
    // Item 1 of the 96-DPI menu: its highlight keeps 4 units from every side.
    const UserMenuRow row = UserMenuRowAt(UserMenuRect(t96.menuBtn, k96.scale), 1, k96.scale);
    ExpectRects({{"menu row", row.row, {1021, 95, 1169, 135}}, {"highlight", row.highlight, {1025, 99, 1165, 131}}});
}

TEST(Layout, DropListRowsAt96And120Dpi) {
    const RECT anchor = {440, 330, 760, 375};
    const DropList three = DropListBelow(anchor, 3, k96.scale);
    ExpectRects({
        {"3 rows", three.list, {440, 377, 760, 473}},
        {"no rows", DropListBelow(anchor, 0, k96.scale).list, {440, 377, 760, 377}},
        {"2 rows at 120", DropListBelow(anchor, 2, k120.scale).list, {440, 377, 760, 457}},
        {"row 1", three.Row(1), {440, 409, 760, 441}},
        {"tint", three.Tint(1), {441, 409, 759, 441}},
        {"name", three.Name(1), {445, 409, 755, 441}},
        {"with selector", three.AreaWith(anchor), {440, 330, 760, 473}},
        // 144 DPI: the tint starts ScaleX(1) = 1 in and is ScaleX(2) = 3 narrower.
        {"tint at 144", DropListBelow(anchor, 1, k144.scale).Tint(0), {441, 378, 758, 426}},
    });
    const std::pair<int, int> rowsAtY[] = {{377, 0}, {408, 0}, {409, 1}, {472, 2}};
    for (const auto& c : rowsAtY) EXPECT_EQ(three.RowAt(c.first), c.second) << c.first;
}

TEST(Layout, PurchasePageAt96Dpi) {
    const PurchaseLayout p = PurchaseLayoutFor(k96, 3, true);
    ExpectRects({
        {"panel", p.panel, {220, 150, 980, 570}},
        {"selector, drawn and clicked", p.selector, {260, 210, 500, 250}},
        {"arrow", p.selectorArrow, {465, 210, 495, 250}},
        {"list", p.versions.list, {260, 252, 500, 348}},
        {"QR container", p.qrContainer, {640, 270, 890, 520}},
        {"QR square", p.qrSquare, {699, 315, 839, 455}},
        {"countdown", p.countdown, {760, 230, 930, 255}},
        {"price", p.price, {325, 260, 495, 300}},
        {"gift", p.gift, {260, 310, 465, 340}},
        {"benefit 2", p.benefits[1], {260, 407, 600, 429}},
        {"note 2", p.notes[1], {260, 467, 600, 489}},
        {"pay icon", p.payIcon, {695, 468, 713, 486}},
        {"scan tip", p.scanTip, {718, 465, 920, 490}},
        {"scan tip without icon", PurchaseLayoutFor(k96, 3, false).scanTip, {640, 465, 920, 490}},
        {"loading text", p.qrLoadingText, {699, 415, 839, 445}},
        {"home", p.homeBtn, {20, 60, 80, 90}},
        {"result card", PayResultLayoutFor(k96).card, {400, 235, 800, 485}},
        {"result title", PayResultLayoutFor(k96).title, {400, 285, 800, 325}},
    });
    EXPECT_EQ(p.strikeout.left, 463);
    EXPECT_EQ(p.strikeout.right, 538);
    EXPECT_EQ(p.strikeout.y, 283);
    EXPECT_EQ(p.separator.y, 435);
}

TEST(Layout, OrdersTableAt96120And144Dpi) {
    const OrdersLayout t = OrdersLayoutFor(k96);
    const OrderRowLayout r0 = OrderRowAt(t, 0, k96.scale);
    EXPECT_EQ(t.tx, 220);
    EXPECT_EQ(t.tw, 760);
    EXPECT_EQ(t.c2, 600);
    EXPECT_EQ(t.c3, 800);
    EXPECT_EQ(t.c4, 890);
    EXPECT_EQ(t.ly, 270);
    EXPECT_EQ(t.headers[0].top, 220);
    // 120 DPI: ScaleY(90) + ScaleY(50) = 174, where ScaleY(140) would be 175.
    const OrdersLayout t120 = OrdersLayoutFor(k120);
    EXPECT_EQ(t120.tx, 275);
    EXPECT_EQ(t120.tw, 950);
    EXPECT_EQ(t120.c2, 750);
    EXPECT_EQ(t120.c4, 1113);
    EXPECT_EQ(t120.ly, 336);
    const OrdersLayout t144 = OrdersLayoutFor(k144);
    EXPECT_EQ(t144.ly, 405);
    ExpectRects({
        {"panel", t.panel, {180, 130, 1020, 590}},
        {"footer", t.footer, {220, 552, 980, 586}},
        {"page info", t.info, {550, 552, 670, 586}},
        {"prev", t.prev, {220, 552, 300, 586}},
        {"next", t.next, {900, 552, 980, 586}},
        {"status button", r0.button, {895, 276, 975, 304}},
        {"number cell 0", r0.orderNo, {220, 270, 590, 310}},
        {"number cell 5", OrderRowAt(t, 5, k96.scale).orderNo, {220, 495, 590, 535}},
        {"status cell 3", OrderRowAt(t, 3, k96.scale).status, {890, 405, 980, 445}},
        {"row 1 at y 315", OrderRowAt(t, 1, k96.scale).tint, {220, 315, 980, 355}},
        {"prev 120", t120.prev, {275, 690, 375, 732}},
        {"next 120", t120.next, {1125, 690, 1225, 732}},
        {"number cell 2 at 120", OrderRowAt(t120, 2, k120.scale).orderNo, {275, 448, 738, 498}},
        {"prev 144", t144.prev, {330, 828, 450, 879}},
        {"next 144", t144.next, {1350, 828, 1470, 879}},
        {"number cell 1 at 144", OrderRowAt(t144, 1, k144.scale).orderNo, {330, 472, 885, 532}},
        {"status cell 1 at 144", OrderRowAt(t144, 1, k144.scale).status, {1335, 472, 1470, 532}},
    });
}

TEST(Layout, OrderDetailDialogByWhatItShows) {
    const OrderDetailLayout order = OrderDetailLayoutFor(k96, DetailShows::Order);
    const OrderDetailLayout vip = OrderDetailLayoutFor(k96, DetailShows::VipDownload);
    const OrderDetailLayout lapsed = OrderDetailLayoutFor(k96, DetailShows::LapsedOrder);
    const OrderDetailLayout none = OrderDetailLayoutFor(k96, DetailShows::Nothing);
    ExpectRects({
        {"card", order.card, {220, 135, 980, 585}},
        {"close mark", order.closeMark, {940, 145, 960, 175}},
        {"link box", order.linkBox, {270, 495, 810, 540}},
        {"copy button", order.copyBtn, {820, 497, 930, 537}},
        {"toast", order.toast, {820, 539, 930, 562}},
        {"link label", order.linkLabel, {270, 455, 370, 495}},
        {"vip product row", vip.labels[kRowProduct], {270, 275, 370, 315}},
        {"vip link label", vip.linkLabel, {270, 335, 370, 375}},
        {"vip link box", vip.linkBox, {270, 375, 810, 420}},
        {"lapsed notice", lapsed.expired, {270, 475, 930, 515}},
        {"card at 120", OrderDetailLayoutFor(k120, DetailShows::Order).card, {275, 169, 1225, 731}},
        {"close mark at 120", OrderDetailLayoutFor(k120, DetailShows::Order).closeMark, {1175, 181, 1200, 219}},
    });
    for (int row = 0; row < kDetailRows; ++row) EXPECT_EQ(order.labels[row].top, 235 + 40 * row) << row;
    for (int row : {kRowOrderNo, kRowTradeNo, kRowAmount, kRowTime}) {
        EXPECT_TRUE(IsEmptyRect(vip.labels[row])) << "a member's download shows the product only, row " << row;
    }
    for (const OrderDetailLayout* d : {&lapsed, &none}) EXPECT_TRUE(IsEmptyRect(d->copyBtn)) << "nothing to copy";
    EXPECT_TRUE(IsEmptyRect(none.labels[kRowProduct]));
    EXPECT_EQ(order.cross.x, 950);
    EXPECT_EQ(order.cross.y, 155);
}

TEST(Layout, SupportPageClampsTheImageEachSideOnItsOwn) {
    const SupportLayout small = SupportLayoutFor(k96, 224, 236);
    ExpectRects({
        {"panel", small.panel, {300, 135, 900, 585}},
        {"image at its own size", small.image, {488, 225, 712, 461}},
        {"frame", small.frame, {483, 220, 717, 466}},
        {"hours", small.hours, {300, 515, 900, 540}},
        {"squeezed", SupportLayoutFor(k96, 600, 300).image, {475, 225, 725, 475}},
        {"its frame", SupportLayoutFor(k96, 600, 300).frame, {470, 220, 730, 480}},
    });
}

TEST(Layout, CardsAt96120And144Dpi) {
    const CouponLayout coupon = CouponLayoutFor(k96);
    const RedeemLayout redeem = RedeemLayoutFor(k96);
    const LoginLayout login = LoginLayoutFor(k96);
    const CouponLayout coupon120 = CouponLayoutFor(k120);
    const LoginLayout login120 = LoginLayoutFor(k120);
    const LoginLayout login144 = LoginLayoutFor(k144);
    ExpectRects({
        {"coupon card", coupon.card, {350, 200, 850, 520}},
        {"coupon close", coupon.closeMark, {805, 200, 835, 230}},
        {"cancel", coupon.cancel, {440, 440, 560, 480}},
        {"confirm", coupon.confirm, {640, 440, 760, 480}},
        {"redeem card", redeem.card, {350, 200, 850, 520}},
        {"redeem close", redeem.closeMark, {810, 215, 830, 235}},
        {"redeem input", redeem.input, {430, 340, 770, 385}},
        {"redeem button", redeem.button, {510, 430, 690, 475}},
        {"redeem failure", redeem.error, {350, 395, 850, 420}},
        {"login card", login.card, {350, 170, 850, 550}},
        {"login close", login.closeMark, {810, 185, 830, 205}},
        {"account", login.account, {430, 300, 770, 345}},
        {"account text", login.accountText, {445, 300, 755, 345}},
        {"password", login.password, {430, 360, 770, 405}},
        {"login button", login.button, {510, 450, 690, 495}},
        {"login failure", login.error, {350, 505, 850, 530}},
        {"header logo", login.header.logo, {380, 195, 415, 230}},
        {"coupon logo", coupon.header.logo, {370, 215, 410, 255}},
        {"coupon card 120", coupon120.card, {437, 250, 1062, 650}},
        {"coupon close 120", coupon120.closeMark, {1006, 250, 1044, 287}},
        {"cancel 120", coupon120.cancel, {549, 550, 699, 600}},
        {"confirm 120", coupon120.confirm, {799, 550, 949, 600}},
        {"login card 120", login120.card, {437, 212, 1062, 687}},
        {"login close 120", login120.closeMark, {1012, 230, 1037, 255}},
        {"account 120", login120.account, {537, 374, 962, 430}},
        {"password 120", login120.password, {537, 449, 962, 505}},
        {"login button 120", login120.button, {637, 562, 862, 618}},
    });
    // At 144 DPI the login card is 750 × 570 and its button 270 × 67.
    EXPECT_EQ(Width(login144.card), 750);
    EXPECT_EQ(Height(login144.card), 570);
    EXPECT_EQ(Width(login144.button), 270);
    EXPECT_EQ(Height(login144.button), 67);
    EXPECT_EQ(coupon.header.cross.x, 820);
    EXPECT_EQ(coupon.header.cross.y, 215);

    const int widths[3] = {100, 41, 9};
    RECT pieces[3];
    CentrePieces(coupon.offerLine, widths, 3, pieces);
    ExpectRects({{"first piece", pieces[0], {525, 330, 625, 365}}, {"last piece", pieces[2], {666, 330, 675, 365}}});
}

}  // namespace
