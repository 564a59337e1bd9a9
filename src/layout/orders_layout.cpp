// The orders page and the order-detail dialog (see orders_layout.h).
#include "layout/orders_layout.h"

OrdersLayout OrdersLayoutFor(const ClientArea& client) {
    const LayoutScale& s = client.scale;
    OrdersLayout t;
    t.panel = CentredPanel(client, s.X(840), s.Y(460));
    t.title = TitledPanelTitle(t.panel, s);
    t.tx = t.panel.left + s.X(40);
    t.tw = s.X(840) - s.X(80);
    const int right = t.tx + t.tw;
    t.c2 = t.tx + s.X(380);
    t.c3 = right - s.X(180);
    t.c4 = right - s.X(90);

    const int hy = t.panel.top + s.Y(90);
    const int headerBottom = hy + s.Y(30);
    t.headers[0] = {t.tx, hy, t.c2, headerBottom};
    t.headers[1] = {t.c2, hy, t.c3, headerBottom};
    t.headers[2] = {t.c3, hy, t.c4, headerBottom};
    t.headers[3] = {t.c4, hy, right, headerBottom};
    t.headerLine = {t.tx, right, hy + s.Y(35)};
    t.ly = hy + s.Y(50);
    t.notice = {t.tx, t.ly + s.Y(45), right, t.ly + s.Y(90)};
    t.tip = {t.tx, t.ly + s.Y(90), right, t.ly + s.Y(120)};

    const int fh = s.Y(34);
    const int fy = t.panel.top + s.Y(460) - fh - s.Y(4);
    t.footer = {t.tx, fy, right, fy + fh};
    t.prev = {t.tx, fy, t.tx + s.X(80), fy + fh};
    t.info = {t.tx + s.X(330), fy, t.tx + s.X(450), fy + fh};
    t.next = {right - s.X(80), fy, right, fy + fh};
    t.homeBtn = HomeButton(s);
    return t;
}

OrderRowLayout OrderRowAt(const OrdersLayout& t, int row, const LayoutScale& s) {
    const int ry = t.ly + row * s.Y(45);
    const int rb = ry + s.Y(40);
    const int right = t.tx + t.tw;
    OrderRowLayout r;
    r.tint = {t.tx, ry, right, rb};
    r.orderNo = {t.tx, ry, t.c2 - s.X(10), rb};
    r.version = {t.c2, ry, t.c3 - s.X(10), rb};
    r.amount = {t.c3, ry, t.c4 - s.X(5), rb};
    r.status = {t.c4, ry, right, rb};
    const int bw = s.X(80);
    const int bh = s.Y(28);
    const int left = r.status.left + (Width(r.status) - bw) / 2;
    const int top = r.status.top + (Height(r.status) - bh) / 2;
    r.button = {left, top, left + bw, top + bh};
    return r;
}

namespace {

void LayOutRow(OrderDetailLayout& d, DetailRow row, int y, int lh, const RECT& card, const LayoutScale& s) {
    const int labelLeft = card.left + s.X(50);
    const int valueLeft = card.left + s.X(150);
    d.labels[row] = {labelLeft, y, valueLeft, y + lh};
    d.values[row] = {valueLeft, y, card.right - s.X(50), y + lh};
}

}  // namespace

OrderDetailLayout OrderDetailLayoutFor(const ClientArea& client, DetailShows shows) {
    const LayoutScale& s = client.scale;
    OrderDetailLayout d;
    d.card = CentredPanel(client, s.X(760), s.Y(450));
    const RECT& c = d.card;
    const int width = Width(c);
    d.closeMark = {c.right - s.X(40), c.top + s.Y(10), c.right - s.X(20), c.top + s.Y(40)};
    d.cross = {c.left + width - s.X(30), c.top + s.Y(20)};
    d.crossReach = {s.X(8), s.Y(8)};
    d.title = CardRow(c, s.Y(30), s.Y(70));
    if (shows == DetailShows::Nothing) return d;

    const int lh = s.Y(40);
    const bool vip = shows == DetailShows::VipDownload;
    int y = c.top + s.Y(100);
    if (!vip) {
        LayOutRow(d, kRowOrderNo, y, lh, c, s);
        y += lh;
        LayOutRow(d, kRowTradeNo, y, lh, c, s);
    }
    // A member's download leaves the first row's place empty.
    y += lh;
    LayOutRow(d, kRowProduct, y, lh, c, s);
    if (!vip) {
        y += lh;
        LayOutRow(d, kRowAmount, y, lh, c, s);
        y += lh;
        LayOutRow(d, kRowTime, y, lh, c, s);
    }

    const int left = c.left + s.X(50);
    if (shows == DetailShows::LapsedOrder) {
        y += lh + s.Y(40);
        d.expired = {left, y, c.right - s.X(50), y + lh};
        return d;
    }
    y += lh + s.Y(20);
    d.linkLabel = {left, y, c.left + s.X(150), y + lh};
    const int bw = s.X(110);
    const int bh = s.Y(40);
    const int gap = s.X(10);
    y += lh;
    const int boxH = s.Y(45);
    d.linkBox = {left, y, left + width - s.X(100) - bw - gap, y + boxH};
    d.link = {d.linkBox.left + s.X(10), d.linkBox.top, d.linkBox.right - s.X(10), d.linkBox.bottom};
    const int top = y + (boxH - bh) / 2;
    d.copyBtn = {d.linkBox.right + gap, top, d.linkBox.right + gap + bw, top + bh};
    d.toast = CopyToastUnder(d.copyBtn, s);
    return d;
}

RECT CopyToastUnder(const RECT& copyBtn, const LayoutScale& s) {
    return {copyBtn.left, copyBtn.bottom + s.Y(2), copyBtn.right, copyBtn.bottom + s.Y(25)};
}
