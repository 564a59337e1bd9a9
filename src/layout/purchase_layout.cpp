// The purchase page and its result card (see purchase_layout.h).
#include "layout/purchase_layout.h"

namespace {

void LayOutLeftColumn(PurchaseLayout& p, const LayoutScale& s) {
    const int xL = p.panel.left + s.X(40);
    const int yL = p.panel.top + s.Y(30);
    p.versionLabel = {xL, yL, xL + s.X(80), yL + s.Y(25)};
    p.selector = {xL, yL + s.Y(30), xL + s.X(240), yL + s.Y(70)};
    p.selectorText = {p.selector.left + s.X(18), p.selector.top, p.selector.right - s.X(40), p.selector.bottom};
    p.selectorArrow = SelectorArrow(p.selector, s);

    const int yP = yL + s.Y(85);
    p.priceLabel = {xL, yP, xL + s.X(75), yP + s.Y(30)};
    p.price = {xL + s.X(65), yP - s.Y(5), xL + s.X(235), yP + s.Y(35)};
    p.originalPrice = {xL + s.X(205), yP + s.Y(5), xL + s.X(345), yP + s.Y(30)};
    p.strikeout = {xL + s.X(203), xL + s.X(278), yP + s.Y(18)};
    p.gift = {xL, yP + s.Y(45), xL + s.X(205), yP + s.Y(45) + s.Y(30)};

    int yB = p.gift.top + s.Y(50);
    p.benefitTitle = {xL, yB, xL + s.X(100), yB + s.Y(25)};
    for (int i = 0; i < 2; ++i) p.benefits[i] = {xL, yB + s.Y(22 * i + 25), xL + s.X(340), yB + s.Y(22 * i + 47)};
    yB += s.Y(75);
    p.separator = {xL, xL + s.X(240), yB};
    yB += s.Y(10);
    for (int i = 0; i < 2; ++i) p.notes[i] = {xL, yB + s.Y(22 * i), xL + s.X(340), yB + s.Y(22 * i + 22)};
}

void LayOutRightColumn(PurchaseLayout& p, const LayoutScale& s, bool withPayIcon) {
    const int x0 = p.panel.left + s.X(420);
    const int y0 = p.panel.top + s.Y(30);
    p.title = {x0, y0, x0 + s.X(245), y0 + s.Y(30)};
    p.countdownLabel = {x0 + s.X(20), y0 + s.Y(50), x0 + s.X(180), y0 + s.Y(75)};
    p.countdown = {x0 + s.X(120), y0 + s.Y(50), x0 + s.X(290), y0 + s.Y(75)};

    const int qx = p.panel.left + s.X(420);
    const int qy = p.panel.top + s.Y(120);
    p.qrContainer = {qx, qy, qx + s.X(250), qy + s.Y(250)};
    p.qrTitle = {qx + s.X(50), qy + s.Y(10), qx + s.X(280), qy + s.Y(35)};
    // The square's side is a horizontal length, used vertically too.
    const int side = s.X(140);
    const int qrX = qx + (s.X(258) - side) / 2;
    const int qrY = qy + s.Y(45);
    p.qrSquare = {qrX, qrY, qrX + side, qrY + side};
    p.qrLoadingText = QrLoadingText(p.qrSquare, s);

    const int tipTop = qrY + side + s.Y(10);
    const int tipBottom = qrY + side + s.Y(35);
    if (withPayIcon) {
        const int icon = s.X(18);
        const int iconX = qx + s.X(55);
        const int iconY = qrY + side + s.Y(13);
        p.payIcon = {iconX, iconY, iconX + icon, iconY + icon};
        p.scanTip = {iconX + icon + s.X(5), tipTop, qx + s.X(280), tipBottom};
    } else {
        p.scanTip = {qx, tipTop, qx + s.X(280), tipBottom};
    }
}

}  // namespace

PurchaseLayout PurchaseLayoutFor(const ClientArea& client, int versionCount, bool withPayIcon) {
    const LayoutScale& s = client.scale;
    PurchaseLayout p;
    p.panel = CentredPanel(client, s.X(760), s.Y(420));
    LayOutLeftColumn(p, s);
    LayOutRightColumn(p, s, withPayIcon);
    p.homeBtn = HomeButton(s);
    p.versions = DropListBelow(p.selector, versionCount, s);
    return p;
}

RECT QrLoadingText(const RECT& square, const LayoutScale& s) {
    return {square.left, square.bottom - s.Y(40), square.right, square.bottom - s.Y(10)};
}

PayResultLayout PayResultLayoutFor(const ClientArea& client) {
    const LayoutScale& s = client.scale;
    PayResultLayout r;
    r.card = CentredPanel(client, s.X(400), s.Y(250));
    r.title = CardRow(r.card, s.Y(50), s.Y(90));
    r.sub = CardRow(r.card, s.Y(110), s.Y(140));
    r.hint = CardRow(r.card, s.Y(160), s.Y(185));
    return r;
}
