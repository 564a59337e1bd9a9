// The login, redemption and coupon cards (see card_layout.h).
#include "layout/card_layout.h"

namespace {

// Header geometry in layout units from the card's corner. The close cross sits
// level with the logo's top.
struct HeaderUnits {
    int side, left, top;
    int latinBottom;
    int chineseTop, chineseBottom;
};
constexpr HeaderUnits kFormHeader = {35, 30, 25, 16, 15, 35};
constexpr HeaderUnits kCouponHeader = {40, 20, 15, 18, 17, 40};

CardHeader HeaderFor(const RECT& card, const HeaderUnits& u, const LayoutScale& s) {
    CardHeader h;
    const int side = s.X(u.side);
    const int lx = card.left + s.X(u.left);
    const int ly = card.top + s.Y(u.top);
    h.logo = {lx, ly, lx + side, ly + side};
    const int textLeft = lx + side + s.X(8);
    const int textRight = lx + s.X(180);
    h.latinCaption = {textLeft, ly, textRight, ly + s.Y(u.latinBottom)};
    h.chineseCaption = {textLeft, ly + s.Y(u.chineseTop), textRight, ly + s.Y(u.chineseBottom)};
    h.cross = {card.right - s.X(30), ly};
    h.crossReach = {s.X(8), s.Y(8)};
    return h;
}

// The login and redemption cards: h units high, their title band between
// two offsets from the top.
void LayOutFormFrame(CardFrame& f, const ClientArea& client, int h, int titleTop, int titleBottom) {
    const LayoutScale& s = client.scale;
    f.card = CentredPanel(client, s.X(500), s.Y(h));
    f.header = HeaderFor(f.card, kFormHeader, s);
    f.closeMark = {f.card.right - s.X(40), f.card.top + s.Y(15), f.card.right - s.X(20), f.card.top + s.Y(35)};
    f.title = CardRow(f.card, s.Y(titleTop), s.Y(titleBottom));
}

// An input box of the form cards and its text, inset on both sides.
void LayOutBox(RECT& box, RECT& text, const RECT& card, int top, const LayoutScale& s) {
    box = CentredAcross(card, top, s.X(340), s.Y(45));
    text = {box.left + s.X(15), box.top, box.right - s.X(15), box.bottom};
}

// A failure line across the card, from 10 to 35 units under y.
RECT FailureLine(const RECT& card, int y, const LayoutScale& s) {
    return {card.left, y + s.Y(10), card.right, y + s.Y(35)};
}

}  // namespace

LoginLayout LoginLayoutFor(const ClientArea& client) {
    const LayoutScale& s = client.scale;
    LoginLayout l;
    LayOutFormFrame(l, client, 380, 80, 110);
    LayOutBox(l.account, l.accountText, l.card, s.Y(130), s);
    LayOutBox(l.password, l.passwordText, l.card, s.Y(130) + s.Y(60), s);
    l.button = CentredAcross(l.card, s.Y(280), s.X(180), s.Y(45));
    l.error = FailureLine(l.card, l.button.bottom, s);
    return l;
}

RedeemLayout RedeemLayoutFor(const ClientArea& client) {
    const LayoutScale& s = client.scale;
    RedeemLayout r;
    LayOutFormFrame(r, client, 320, 90, 120);
    LayOutBox(r.input, r.inputText, r.card, s.Y(140), s);
    r.error = FailureLine(r.card, r.input.bottom, s);
    r.button = CentredAcross(r.card, s.Y(230), s.X(180), s.Y(45));
    return r;
}

CouponLayout CouponLayoutFor(const ClientArea& client) {
    const LayoutScale& s = client.scale;
    CouponLayout c;
    c.card = CentredPanel(client, s.X(500), s.Y(320));
    const RECT& k = c.card;
    c.header = HeaderFor(k, kCouponHeader, s);
    c.closeMark = {k.right - s.X(45), k.top, k.right - s.X(15), k.top + s.Y(30)};
    c.title = CardRow(k, s.Y(70), s.Y(110));
    c.offerLine = CardRow(k, s.Y(130), s.Y(130) + s.Y(35));
    c.question = CardRow(k, s.Y(175), s.Y(210));
    const int top = k.bottom - s.Y(80);
    const int half = Width(k) / 2;
    const int gap = s.X(40);
    const int bw = s.X(120);
    c.cancel = {k.left + half - gap - bw, top, k.left + half - gap, top + s.Y(40)};
    c.confirm = {k.left + half + gap, top, k.left + half + gap + bw, top + s.Y(40)};
    return c;
}

void CentrePieces(const RECT& line, const int* widths, int count, RECT* pieces) {
    int total = 0;
    for (int i = 0; i < count; ++i) total += widths[i];
    int left = line.left + (Width(line) - total) / 2;
    for (int i = 0; i < count; ++i) {
        pieces[i] = {left, line.top, left + widths[i], line.bottom};
        left += widths[i];
    }
}
