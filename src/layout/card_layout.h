// The centred cards: account login, code redemption and the coupon popup,
// with their common header (logo, two captions, close cross).
#pragma once

#include "layout/geometry.h"

// The logo with "ORVANE" and the Chinese caption beside it, and the close
// cross: drawn centred on cross, reaching crossReach from it.
struct CardHeader {
    RECT logo = {}, latinCaption = {}, chineseCaption = {};
    POINT cross = {}, crossReach = {};
};

// What every card has: the card, its header, the clickable close mark (larger
// than the drawn cross) and the title band.
struct CardFrame {
    RECT card = {};
    CardHeader header;
    RECT closeMark = {}, title = {};
};

struct LoginLayout : CardFrame {
    RECT account = {}, accountText = {};
    RECT password = {}, passwordText = {};
    RECT button = {}, error = {};  // the failure line under the button
};
LoginLayout LoginLayoutFor(const ClientArea& client);

struct RedeemLayout : CardFrame {
    RECT input = {}, inputText = {};
    RECT error = {};  // between the box and the button
    RECT button = {};
};
RedeemLayout RedeemLayoutFor(const ClientArea& client);

struct CouponLayout : CardFrame {
    RECT offerLine = {};  // its three pieces are centred in it as one
    RECT question = {};
    RECT cancel = {}, confirm = {};
};
CouponLayout CouponLayoutFor(const ClientArea& client);

// Pieces of the given widths side by side, centred as one across the line.
void CentrePieces(const RECT& line, const int* widths, int count, RECT* pieces);
