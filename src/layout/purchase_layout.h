// The purchase page: the offer panel's left column (selector, prices, gift,
// benefits and notes), its right column (title, countdown, QR area), the home
// button, the open version list, and the result card over the dimmed window.
#pragma once

#include "layout/geometry.h"

struct PurchaseLayout {
    RECT panel = {};
    // Right column head.
    RECT title = {}, countdownLabel = {}, countdown = {};
    // Left column. The selector is what the user clicks as well as what is drawn.
    RECT versionLabel = {};
    RECT selector = {}, selectorText = {}, selectorArrow = {};
    RECT priceLabel = {}, price = {}, originalPrice = {};
    HLine strikeout;  // a fixed length, whatever the width of the text
    RECT gift = {};
    RECT benefitTitle = {}, benefits[2] = {};
    HLine separator;
    RECT notes[2] = {};
    // QR area; the amount line's three pieces start at qrTitle.left. The
    // loading text lies over the placeholder; the scan tip sits beside the
    // payment icon, or centred under the square without one (payIcon empty).
    RECT qrContainer = {}, qrTitle = {}, qrSquare = {}, qrLoadingText = {};
    RECT payIcon = {}, scanTip = {};
    RECT homeBtn = {};
    DropList versions;
};
PurchaseLayout PurchaseLayoutFor(const ClientArea& client, int versionCount, bool withPayIcon);

// The loading text over a QR placeholder of the given square.
RECT QrLoadingText(const RECT& square, const LayoutScale& s);

// The card that reports the payment's result.
struct PayResultLayout {
    RECT card = {}, title = {}, sub = {}, hint = {};
};
PayResultLayout PayResultLayoutFor(const ClientArea& client);
