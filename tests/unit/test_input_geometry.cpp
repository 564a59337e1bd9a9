// Hit rectangles of the popups, the selector list and the orders table at
// 96, 120 and 144 DPI, each length scaled on its own and truncated.
#include <gtest/gtest.h>

#include "mainwnd/hit_geometry.h"

namespace {

void ExpectRect(const RECT& rc, int l, int t, int r, int b) {
    EXPECT_EQ(rc.left, l);
    EXPECT_EQ(rc.top, t);
    EXPECT_EQ(rc.right, r);
    EXPECT_EQ(rc.bottom, b);
}

constexpr LayoutScale k96{1.0f, 1.0f};
constexpr LayoutScale k120{1.25f, 1.25f};
constexpr LayoutScale k144{1.5f, 1.5f};

TEST(InputGeometry, PopupsAt96Dpi) {
    const RECT card = OrderDetailCard(1200, 720, k96);
    ExpectRect(card, 220, 135, 980, 585);
    ExpectRect(OrderDetailCloseMark(card, k96), 940, 145, 960, 175);
    ExpectRect(PurchaseSelector(1200, 720, k96), 260, 210, 460, 250);

    const CouponPopup coupon = CouponPopupGeometry(1200, 720, k96);
    ExpectRect(coupon.card, 350, 200, 850, 520);
    ExpectRect(coupon.closeMark, 805, 200, 835, 230);
    ExpectRect(coupon.cancel, 440, 440, 560, 480);
    ExpectRect(coupon.confirm, 640, 440, 760, 480);

    const RedeemPopup redeem = RedeemPopupGeometry(1200, 720, k96);
    ExpectRect(redeem.card, 350, 200, 850, 520);
    ExpectRect(redeem.closeMark, 810, 215, 830, 235);
    ExpectRect(redeem.input, 430, 340, 770, 385);
    ExpectRect(redeem.button, 510, 430, 690, 475);

    const LoginPopup login = LoginPopupGeometry(1200, 720, k96);
    ExpectRect(login.card, 350, 170, 850, 550);
    ExpectRect(login.closeMark, 810, 185, 830, 205);
    ExpectRect(login.account, 430, 300, 770, 345);
    ExpectRect(login.password, 430, 360, 770, 405);
    ExpectRect(login.button, 510, 450, 690, 495);

    ExpectRect(HomeButton(k96), 20, 60, 80, 90);
    ExpectRect(UserMenuRect(RECT{1080, 0, 1120, 50}, k96), 1020, 55, 1170, 135);
}

TEST(InputGeometry, OrdersTableAt96Dpi) {
    const OrdersTable t = OrdersTableGeometry(1200, 720, k96);
    EXPECT_EQ(t.tx, 220);
    EXPECT_EQ(t.tw, 760);
    EXPECT_EQ(t.c2, 600);
    EXPECT_EQ(t.c4, 890);
    EXPECT_EQ(t.ly, 270);
    ExpectRect(t.prev, 220, 552, 300, 586);
    ExpectRect(t.next, 900, 552, 980, 586);
    ExpectRect(OrderNumberCell(t, 0, k96), 220, 270, 590, 310);
    ExpectRect(OrderNumberCell(t, 5, k96), 220, 495, 590, 535);
    ExpectRect(OrderStatusCell(t, 3, k96), 890, 405, 980, 445);
}

// 120 DPI: every constant truncates on its own, so sums differ from the
// scaled sum (ScaleY(90) + ScaleY(50) = 174, ScaleY(140) would be 175).
TEST(InputGeometry, OrdersTableAt120DpiTruncatesEachConstant) {
    const OrdersTable t = OrdersTableGeometry(1500, 900, k120);
    EXPECT_EQ(t.tx, 275);
    EXPECT_EQ(t.tw, 950);
    EXPECT_EQ(t.c2, 750);
    EXPECT_EQ(t.c4, 1113);
    EXPECT_EQ(t.ly, 336);
    ExpectRect(t.prev, 275, 690, 375, 732);
    ExpectRect(t.next, 1125, 690, 1225, 732);
    ExpectRect(OrderNumberCell(t, 2, k120), 275, 448, 738, 498);
}

TEST(InputGeometry, PopupsAt120And144Dpi) {
    const RECT card = OrderDetailCard(1500, 900, k120);
    ExpectRect(card, 275, 169, 1225, 731);
    ExpectRect(OrderDetailCloseMark(card, k120), 1175, 181, 1200, 219);

    const CouponPopup coupon = CouponPopupGeometry(1500, 900, k120);
    ExpectRect(coupon.card, 437, 250, 1062, 650);
    ExpectRect(coupon.closeMark, 1006, 250, 1044, 287);
    ExpectRect(coupon.cancel, 549, 550, 699, 600);
    ExpectRect(coupon.confirm, 799, 550, 949, 600);

    const LoginPopup login = LoginPopupGeometry(1500, 900, k120);
    ExpectRect(login.card, 437, 212, 1062, 687);
    ExpectRect(login.closeMark, 1012, 230, 1037, 255);
    ExpectRect(login.account, 537, 374, 962, 430);
    ExpectRect(login.password, 537, 449, 962, 505);
    ExpectRect(login.button, 637, 562, 862, 618);

    ExpectRect(UserMenuRect(RECT{1350, 0, 1400, 62}, k120), 1275, 68, 1462, 168);

    const OrdersTable t = OrdersTableGeometry(1800, 1080, k144);
    EXPECT_EQ(t.ly, 405);
    ExpectRect(t.prev, 330, 828, 450, 879);
    ExpectRect(t.next, 1350, 828, 1470, 879);
    ExpectRect(OrderNumberCell(t, 1, k144), 330, 472, 885, 532);
    ExpectRect(OrderStatusCell(t, 1, k144), 1335, 472, 1470, 532);
}

TEST(InputGeometry, DropListRowsAndMenuItems) {
    const RECT anchor = {440, 330, 760, 375};
    ExpectRect(DropListBelow(anchor, 3, k96), 440, 377, 760, 473);
    ExpectRect(DropListBelow(anchor, 0, k96), 440, 377, 760, 377);
    ExpectRect(DropListBelow(anchor, 2, k120), 440, 377, 760, 457);
    const RECT list = DropListBelow(anchor, 3, k96);
    EXPECT_EQ(DropListRow(list, 377, k96), 0);
    EXPECT_EQ(DropListRow(list, 408, k96), 0);
    EXPECT_EQ(DropListRow(list, 409, k96), 1);
    EXPECT_EQ(DropListRow(list, 472, k96), 2);

    const RECT menu = {1275, 68, 1462, 168};
    EXPECT_EQ(UserMenuItem(menu, 117, k120), 0);
    EXPECT_EQ(UserMenuItem(menu, 118, k120), 1);
}

}  // namespace
