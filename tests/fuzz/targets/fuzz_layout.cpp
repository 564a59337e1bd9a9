// libFuzzer target for the layout: for any client size, scale and state the
// rectangles keep their shape, every drop-list and menu row maps back to
// itself, buttons stay inside their cards, and the dialog offers a copy button
// exactly when it shows a link.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "fuzz_check.h"
#include "layout/card_layout.h"
#include "layout/orders_layout.h"
#include "layout/purchase_layout.h"
#include "layout/support_layout.h"
#include "layout/window_layout.h"

namespace {

// Reads the input a byte pair at a time; zeros once it runs out.
struct Bytes {
    const uint8_t* data;
    size_t size;
    int Next(int limit) {
        int v = 0;
        for (int i = 0; i < 2 && size > 0; ++i, ++data, --size) v = v * 256 + *data;
        return v % (limit + 1);
    }
};

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

void CheckDropList(const DropList& d, const RECT& selector, int rows) {
    Check(d.list.left == selector.left && d.list.right == selector.right && d.list.top > selector.bottom - 1);
    Check(Height(d.list) == rows * d.rowHeight);
    for (int i = 0; i < rows; ++i) {
        const RECT row = d.Row(i);
        Check(d.RowAt(row.top) == i && d.RowAt(row.bottom - 1) == i);
        Check(Inside(d.Tint(i), row) && Inside(d.Name(i), row));
    }
}

void CheckCards(const ClientArea& client) {
    const LoginLayout login = LoginLayoutFor(client);
    for (const RECT& rc : {login.account, login.password, login.button, login.closeMark, login.header.logo}) {
        Check(Inside(rc, login.card));
    }
    const RedeemLayout redeem = RedeemLayoutFor(client);
    for (const RECT& rc : {redeem.input, redeem.button, redeem.error, redeem.closeMark}) Check(Inside(rc, redeem.card));
    const CouponLayout coupon = CouponLayoutFor(client);
    for (const RECT& rc : {coupon.cancel, coupon.confirm, coupon.closeMark, coupon.offerLine}) {
        Check(Inside(rc, coupon.card));
    }
    Check(coupon.cancel.right <= coupon.confirm.left);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes in{data, size};
    ClientArea client;
    client.width = in.Next(8000);
    client.height = in.Next(8000);
    // 96 to 384 DPI, the same across and down as on every real screen (the QR
    // square's side is a horizontal length used vertically too).
    client.scale.fx = 1.0f + static_cast<float>(in.Next(300)) / 100.0f;
    client.scale.fy = client.scale.fx;
    const LayoutScale& s = client.scale;
    const int versions = in.Next(60);

    const HomeLayout home = HomeLayoutFor(client);
    Check(Inside(home.selector, home.panel) && Inside(home.install, home.panel));
    Check(Inside(home.selectorArrow, home.selector));
    CheckDropList(DropListBelow(home.selector, versions, s), home.selector, versions);

    const TitleBarLayout bar = TitleBarLayoutFor(client);
    const RECT menu = UserMenuRect(bar.menuBtn, s);
    for (int item = 0; item < 2; ++item) {
        const UserMenuRow row = UserMenuRowAt(menu, item, s);
        Check(UserMenuItem(menu, row.row.top, s) == item && UserMenuItem(menu, row.row.bottom - 1, s) == item);
        Check(Inside(row.row, menu));
    }

    const PurchaseLayout purchase = PurchaseLayoutFor(client, versions, in.Next(1) == 1);
    Check(Inside(purchase.selector, purchase.panel) && Inside(purchase.selectorArrow, purchase.selector));
    Check(Inside(purchase.qrSquare, purchase.qrContainer));
    CheckDropList(purchase.versions, purchase.selector, versions);

    const OrdersLayout orders = OrdersLayoutFor(client);
    for (int row = 0; row < 6; ++row) {
        const OrderRowLayout r = OrderRowAt(orders, row, s);
        Check(Inside(r.button, r.status) && r.orderNo.right <= r.status.left);
        Check(r.tint.bottom <= orders.footer.top);
    }

    const DetailShows shows = static_cast<DetailShows>(in.Next(3));
    const OrderDetailLayout detail = OrderDetailLayoutFor(client, shows);
    const bool link = shows == DetailShows::Order || shows == DetailShows::VipDownload;
    Check(IsEmptyRect(detail.copyBtn) != link);
    if (link) Check(Inside(detail.copyBtn, detail.card) && Inside(detail.linkBox, detail.card));
    Check(Inside(detail.closeMark, detail.card));

    const SupportLayout support = SupportLayoutFor(client, in.Next(5000), in.Next(5000));
    Check(Width(support.image) <= s.X(250) && Height(support.image) <= s.Y(250));
    Check(Inside(support.image, support.frame) && Inside(support.frame, support.panel));

    CheckCards(client);
    return 0;
}
