// The orders page (table, rows, pager, notices) and the order-detail dialog,
// whose rows and link block depend on what it shows.
#pragma once

#include "layout/geometry.h"

struct OrdersLayout {
    RECT panel = {}, title = {};
    int tx = 0, tw = 0;          // the table's left and width
    int c2 = 0, c3 = 0, c4 = 0;  // the version, amount and status columns
    int ly = 0;                  // top of the first row
    RECT headers[4] = {};
    HLine headerLine;             // under the headers, across the table
    RECT notice = {}, tip = {};  // loading or "暂无订单", and the tip under the latter
    RECT footer = {}, prev = {}, info = {}, next = {};
    RECT homeBtn = {};
};
OrdersLayout OrdersLayoutFor(const ClientArea& client);

// Row r of the shown page (0 at the top).
struct OrderRowLayout {
    RECT tint = {};  // even rows only
    RECT orderNo = {}, version = {}, amount = {};
    RECT status = {}, button = {};  // the clickable cell and the coloured button centred in it
};
OrderRowLayout OrderRowAt(const OrdersLayout& t, int row, const LayoutScale& s);

// What the order-detail dialog shows decides its rows and its link block.
enum class DetailShows {
    Nothing,      // no such order: the title only
    Order,        // every row and the download link
    LapsedOrder,  // every row and the lapsed notice
    VipDownload,  // the product row and the download link
};

// The rows of the dialog, in order; a row the mode does not show stays empty.
enum DetailRow { kRowOrderNo, kRowTradeNo, kRowProduct, kRowAmount, kRowTime, kDetailRows };

// The close mark is the clickable area; the cross is drawn centred on cross,
// reaching crossReach from it. The lapsed notice and the link block exclude
// each other; copyBtn is empty unless a link is shown.
struct OrderDetailLayout {
    RECT card = {}, closeMark = {};
    POINT cross = {}, crossReach = {};
    RECT title = {};
    RECT labels[kDetailRows] = {}, values[kDetailRows] = {};
    RECT expired = {};
    RECT linkLabel = {}, linkBox = {}, link = {}, copyBtn = {}, toast = {};
};
OrderDetailLayout OrderDetailLayoutFor(const ClientArea& client, DetailShows shows);

// The "已复制" toast under a copy button.
RECT CopyToastUnder(const RECT& copyBtn, const LayoutScale& s);
