// Title bar, home panel and user menu (see window_layout.h).
#include "layout/window_layout.h"

TitleBarLayout TitleBarLayoutFor(const ClientArea& client) {
    const LayoutScale& s = client.scale;
    const int W = client.width;
    const int b = s.X(40);
    TitleBarLayout t;
    t.bar = {0, 0, W, s.Y(50)};
    t.logo = {s.X(10), s.Y(10), s.X(42), s.Y(42)};
    t.caption = {s.X(50), 0, s.X(300), s.Y(50)};
    t.ordersBtn = {W - s.X(300), s.Y(12), W - s.X(220), s.Y(38)};
    t.supportBtn = {W - s.X(210), s.Y(12), W - s.X(130), s.Y(38)};
    t.menuBtn = {W - 3 * b, 0, W - 2 * b, s.Y(50)};
    t.minBtn = {W - 2 * b, 0, W - b, s.Y(50)};
    t.closeBtn = {W - b, 0, W, s.Y(50)};
    return t;
}

HomeLayout HomeLayoutFor(const ClientArea& client) {
    const LayoutScale& s = client.scale;
    HomeLayout h;
    const int left = (client.width - s.X(460)) / 2;
    const int top = (client.height - s.Y(300)) / 2 + s.Y(10);
    h.panel = {left, top, left + s.X(460), top + s.Y(300)};
    const RECT& p = h.panel;

    const int side = s.X(40);
    h.logo = {p.left + s.X(25), p.top + s.Y(20), p.left + s.X(25) + side, p.top + s.Y(20) + side};
    h.latinCaption = {p.left + s.X(70), p.top + s.Y(20), p.right - s.X(20), p.top + s.Y(35)};
    h.chineseCaption = {p.left + s.X(70), p.top + s.Y(36), p.right - s.X(4), p.top + s.Y(56)};
    h.welcome = {p.left, p.top + s.Y(50), p.right, p.top + s.Y(105)};

    const int selectorTop = p.top + s.Y(110);
    h.selector = {p.left + s.X(70), selectorTop, p.right - s.X(70), selectorTop + s.Y(45)};
    h.selectorText = {h.selector.left + s.X(15), h.selector.top, h.selector.right - s.X(40), h.selector.bottom};
    h.selectorArrow = SelectorArrow(h.selector, s);

    const int installLeft = p.left + (s.X(460) - s.X(180)) / 2;
    const int installTop = p.bottom - s.Y(80);
    h.install = {installLeft, installTop, installLeft + s.X(180), installTop + s.Y(48)};
    return h;
}

RECT UserMenuRect(const RECT& menuBtn, const LayoutScale& s) {
    const int left = menuBtn.left - s.X(60);
    const int top = menuBtn.bottom + s.Y(5);
    return {left, top, left + s.X(150), top + s.Y(80)};
}

int UserMenuItem(const RECT& menu, int y, const LayoutScale& s) {
    const int itemH = s.Y(40);
    return itemH > 0 ? (y - menu.top) / itemH : -1;
}

UserMenuRow UserMenuRowAt(const RECT& menu, int item, const LayoutScale& s) {
    const int itemH = s.Y(40);
    UserMenuRow r;
    // The 1 is a pixel: the rows stay inside the menu's outline.
    r.row = {menu.left + 1, menu.top + item * itemH, menu.right - 1, menu.top + (item + 1) * itemH};
    // The horizontal inset is used on all four sides.
    const int m = s.X(4);
    r.highlight = {r.row.left + m, r.row.top + m, r.row.right - m, r.row.bottom - m};
    r.icon = {r.row.left + s.X(15), r.row.top, r.row.left + s.X(45), r.row.bottom};
    r.text = {r.row.left + s.X(45), r.row.top, r.row.right - s.X(15), r.row.bottom};
    return r;
}
