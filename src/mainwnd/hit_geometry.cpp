// Hit-test rectangles of the pages and popups (see hit_geometry.h). Every
// constant is scaled on its own, as the drawing does, so hit areas and
// painted areas agree to the pixel at any DPI.
#include "mainwnd/hit_geometry.h"

namespace {

// Centred horizontally in the card: used by the popup fields and buttons.
RECT CentredInCard(const RECT& card, int cardWidth, int width, int top, int height) {
    const int left = card.left + (cardWidth - width) / 2;
    return {left, top, left + width, top + height};
}

RECT PopupCloseMark(const RECT& card, const LayoutScale& s) {
    return {card.right - s.X(40), card.top + s.Y(15), card.right - s.X(20), card.top + s.Y(35)};
}

}  // namespace

RECT CentredPanel(int clientW, int clientH, int width, int height) {
    const int left = (clientW - width) / 2;
    const int top = (clientH - height) / 2;
    return {left, top, left + width, top + height};
}

RECT DropListBelow(const RECT& anchor, int rows, const LayoutScale& s) {
    const int top = anchor.bottom + s.Y(2);
    return {anchor.left, top, anchor.right, top + rows * s.Y(32)};
}

int DropListRow(const RECT& list, int y, const LayoutScale& s) { return (y - list.top) / s.Y(32); }

RECT OrderDetailCard(int clientW, int clientH, const LayoutScale& s) {
    return CentredPanel(clientW, clientH, s.X(760), s.Y(450));
}

RECT OrderDetailCloseMark(const RECT& card, const LayoutScale& s) {
    return {card.right - s.X(40), card.top + s.Y(10), card.right - s.X(20), card.top + s.Y(40)};
}

RECT PurchaseSelector(int clientW, int clientH, const LayoutScale& s) {
    const RECT panel = CentredPanel(clientW, clientH, s.X(760), s.Y(420));
    return {panel.left + s.X(40), panel.top + s.Y(60), panel.left + s.X(240), panel.top + s.Y(100)};
}

RECT PurchaseQrSquare(int clientW, int clientH, const LayoutScale& s) {
    const RECT panel = CentredPanel(clientW, clientH, s.X(760), s.Y(420));
    const int qx = panel.left + s.X(420);
    const int side = s.X(140);
    const int x = qx + (s.X(258) - side) / 2;
    const int y = panel.top + s.Y(120) + s.Y(45);
    return {x, y, x + side, y + side};
}

OrdersTable OrdersTableGeometry(int clientW, int clientH, const LayoutScale& s) {
    const RECT panel = CentredPanel(clientW, clientH, s.X(840), s.Y(460));
    OrdersTable t;
    t.tx = panel.left + s.X(40);
    t.tw = s.X(840) - s.X(80);
    t.c2 = t.tx + s.X(380);
    t.c4 = t.tx + t.tw - s.X(90);
    t.ly = panel.top + s.Y(90) + s.Y(50);
    const int fy = panel.top + s.Y(460) - s.Y(34) - s.Y(4);
    t.prev = {t.tx, fy, t.tx + s.X(80), fy + s.Y(34)};
    t.next = {t.tx + t.tw - s.X(80), fy, t.tx + t.tw, fy + s.Y(34)};
    return t;
}

RECT OrderNumberCell(const OrdersTable& t, int row, const LayoutScale& s) {
    const int ry = t.ly + row * s.Y(45);
    return {t.tx, ry, t.c2 - s.X(10), ry + s.Y(40)};
}

RECT OrderStatusCell(const OrdersTable& t, int row, const LayoutScale& s) {
    const int ry = t.ly + row * s.Y(45);
    return {t.c4, ry, t.tx + t.tw, ry + s.Y(40)};
}

RECT UserMenuRect(const RECT& menuBtn, const LayoutScale& s) {
    const int left = menuBtn.left - s.X(60);
    const int top = menuBtn.bottom + s.Y(5);
    return {left, top, left + s.X(150), top + s.Y(80)};
}

int UserMenuItem(const RECT& menu, int y, const LayoutScale& s) { return (y - menu.top) / s.Y(40); }

CouponPopup CouponPopupGeometry(int clientW, int clientH, const LayoutScale& s) {
    CouponPopup p;
    p.card = CentredPanel(clientW, clientH, s.X(500), s.Y(320));
    p.closeMark = {p.card.right - s.X(45), p.card.top, p.card.right - s.X(15), p.card.top + s.Y(30)};
    const int g = s.X(40);
    const int top = p.card.bottom - s.Y(80);
    const int cx = p.card.left + s.X(500) / 2;
    p.cancel = {cx - g - s.X(120), top, cx - g, top + s.Y(40)};
    p.confirm = {cx + g, top, cx + g + s.X(120), top + s.Y(40)};
    return p;
}

RECT HomeButton(const LayoutScale& s) { return {s.X(20), s.Y(60), s.X(80), s.Y(90)}; }

RedeemPopup RedeemPopupGeometry(int clientW, int clientH, const LayoutScale& s) {
    RedeemPopup p;
    const int cardW = s.X(500);
    p.card = CentredPanel(clientW, clientH, cardW, s.Y(320));
    p.closeMark = PopupCloseMark(p.card, s);
    p.input = CentredInCard(p.card, cardW, s.X(340), p.card.top + s.Y(140), s.Y(45));
    p.button = CentredInCard(p.card, cardW, s.X(180), p.card.top + s.Y(230), s.Y(45));
    return p;
}

LoginPopup LoginPopupGeometry(int clientW, int clientH, const LayoutScale& s) {
    LoginPopup p;
    const int cardW = s.X(500);
    p.card = CentredPanel(clientW, clientH, cardW, s.Y(380));
    p.closeMark = PopupCloseMark(p.card, s);
    p.account = CentredInCard(p.card, cardW, s.X(340), p.card.top + s.Y(130), s.Y(45));
    p.password = CentredInCard(p.card, cardW, s.X(340), p.card.top + s.Y(130) + s.Y(60), s.Y(45));
    p.button = CentredInCard(p.card, cardW, s.X(180), p.card.top + s.Y(280), s.Y(45));
    return p;
}
