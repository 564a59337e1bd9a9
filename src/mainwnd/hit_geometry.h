// Rectangles that the click routing tests against: centred panels, popups,
// the version drop list and the orders table. Pure arithmetic on the client
// size and the DPI factors, so it can be checked without a window.
#pragma once
#include <windows.h>

// Layout units to pixels, truncating n × factor in single precision.
struct LayoutScale {
    float fx = 1.0f;
    float fy = 1.0f;
    int X(int n) const { return static_cast<int>(static_cast<float>(n) * fx); }
    int Y(int n) const { return static_cast<int>(static_cast<float>(n) * fy); }
};

// A panel of width × height pixels centred in a client of clientW × clientH.
RECT CentredPanel(int clientW, int clientH, int width, int height);

// Drop list of n rows of 32 units, 2 units below the anchor, same width.
RECT DropListBelow(const RECT& anchor, int rows, const LayoutScale& s);
// Row of a drop list under y; may be out of range, the caller checks it.
int DropListRow(const RECT& list, int y, const LayoutScale& s);

// Order-detail dialog.
RECT OrderDetailCard(int clientW, int clientH, const LayoutScale& s);
RECT OrderDetailCloseMark(const RECT& card, const LayoutScale& s);

// Version selector of the purchase page.
RECT PurchaseSelector(int clientW, int clientH, const LayoutScale& s);

// The purchase page's QR square: the only part a loading-animation tick changes.
RECT PurchaseQrSquare(int clientW, int clientH, const LayoutScale& s);

// Orders table: columns, list top, footer buttons and row cells.
struct OrdersTable {
    int tx = 0;
    int tw = 0;
    int c2 = 0;
    int c4 = 0;
    int ly = 0;
    RECT prev = {};
    RECT next = {};
};
OrdersTable OrdersTableGeometry(int clientW, int clientH, const LayoutScale& s);
RECT OrderNumberCell(const OrdersTable& t, int row, const LayoutScale& s);
RECT OrderStatusCell(const OrdersTable& t, int row, const LayoutScale& s);

// User menu under the menu button; item index under y (unchecked).
RECT UserMenuRect(const RECT& menuBtn, const LayoutScale& s);
int UserMenuItem(const RECT& menu, int y, const LayoutScale& s);

// Coupon popup.
struct CouponPopup {
    RECT card = {};
    RECT closeMark = {};
    RECT cancel = {};
    RECT confirm = {};
};
CouponPopup CouponPopupGeometry(int clientW, int clientH, const LayoutScale& s);

// Home button of the purchase, orders and support pages.
RECT HomeButton(const LayoutScale& s);

// Redeem popup: one input field and one button.
struct RedeemPopup {
    RECT card = {};
    RECT closeMark = {};
    RECT input = {};
    RECT button = {};
};
RedeemPopup RedeemPopupGeometry(int clientW, int clientH, const LayoutScale& s);

// Login popup: account and password fields and one button.
struct LoginPopup {
    RECT card = {};
    RECT closeMark = {};
    RECT account = {};
    RECT password = {};
    RECT button = {};
};
LoginPopup LoginPopupGeometry(int clientW, int clientH, const LayoutScale& s);
