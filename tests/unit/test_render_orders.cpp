// Pixels of the orders page and the order-detail dialog, at the 96-DPI
// positions and scaled at the runner's DPI: table, status colours, pager,
// notices, the dialog's modes and its copy button; and the text rules behind
// the table.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "draw/toolkit.h"
#include "layout/orders_layout.h"
#include "store/pay_rules.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

const Rgb kRowTint = {43, 43, 43};  // 20/(255,255,255) over the panel
const Rgb kFooter = {32, 32, 32};   // 120/(40,40,40) over the panel
const Rgb kPager = {200, 200, 200};
const Rgb kGrey = {150, 150, 150};
const Rgb kGoldText = {255, 215, 0};
const Rgb kGoldButton = {226, 180, 77};
const Rgb kLinkBox = {60, 60, 60};
const Rgb kCardBorder = {100, 100, 100};

// Orders table in client pixels.
struct Table {
    RECT panel;
    int hy;
    int cols[4];
    int right;
    int ly, rowStep, rowH;
    RECT button;  // of the first row
    RECT footer, info;
};

// Order-detail dialog in client pixels.
struct Dialog {
    RECT card;
    POINT cross;
    int rows[5];
    int lh, labelX, valueX, valueRight, linkLabel;
    RECT box, copy, toast;
};

RECT Offset(RECT rc, int dy) {
    OffsetRect(&rc, 0, dy);
    return rc;
}
bool Empty(const RECT& rc) { return IsRectEmpty(&rc) != FALSE; }
bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

class RenderOrders : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        wnd->TakeLatePictures();
        wnd->m_nPage = Page::PAGE_ORDERS;
    }

    void AddOrder(OrderStatus status, const std::wstring& name = L"热血 2.0.0.18") {
        const std::wstring n = std::to_wstring(wnd->m_aOrders.size());
        wnd->m_aOrders.push_back({L"OD2024061512345" + n, L"20240615220014" + n, name, L"¥39.00", status,
                                  L"https://download.example.com/installers/orvane/legend-1.76-retro-edition-"
                                  L"full-client-setup-2.0.0.18.exe?channel=orvane&sign=0123456789abcdef",
                                  L"2024-06-15 12:34:56"});
    }
    // The pixels of colour found around want (searched dx and dy further)
    // cover want, each edge within tol: a 1-pixel outline takes a fill's top
    // and left row.
    void ExpectFigure(const RECT& want, Rgb colour, int tol, const char* what, int dx = 4, int dy = 4) const {
        RECT around = want;
        InflateRect(&around, dx, dy);
        const RECT got = Span(around, colour, 0);
        EXPECT_TRUE(std::abs(got.left - want.left) <= tol && std::abs(got.top - want.top) <= tol &&
                    std::abs(got.right - want.right) <= tol && std::abs(got.bottom - want.bottom) <= tol)
            << what << ": {" << got.left << "," << got.top << "," << got.right << "," << got.bottom << "}, want {"
            << want.left << "," << want.top << "," << want.right << "," << want.bottom << "}";
    }
    // Text of colour in band, searched with a margin around it: present,
    // wholly inside the band, and starting near `left`.
    void ExpectText(RECT band, Rgb colour, int left, const char* what) const {
        const RECT box = Span({band.left - SX(10), band.top - SY(8), band.right, band.bottom + SY(8)}, colour, 30);
        ASSERT_FALSE(Empty(box)) << what;
        EXPECT_GE(box.top, band.top) << what;
        EXPECT_LE(box.bottom, band.bottom) << what;
        EXPECT_GE(box.left, left) << what;
        EXPECT_LE(box.left, left + SX(6)) << what;
    }

    Table ScaledTable() const {
        const OrdersLayout t = OrdersLayoutFor(Client());
        const OrderRowLayout first = OrderRowAt(t, 0, Scale());
        const int rowStep = OrderRowAt(t, 1, Scale()).tint.top - first.tint.top;
        return {t.panel,         t.headers[0].top, {t.tx, t.c2, t.c3, t.c4}, t.tx + t.tw, t.ly, rowStep, Height(first.tint),
                first.button, t.footer,         t.info};
    }
    Dialog ScaledDialog() const {
        const OrderDetailLayout d = OrderDetailLayoutFor(Client(), DetailShows::Order);
        Dialog dialog = {d.card, d.cross, {}, Height(d.labels[0]), d.labels[0].left, d.values[0].left,
                         d.values[0].right, d.linkLabel.top, d.linkBox, d.copyBtn, d.toast};
        for (int row = 0; row < kDetailRows; ++row) dialog.rows[row] = d.labels[row].top;
        return dialog;
    }

    void ExpectTable(const Table& t) {
        for (OrderStatus s : {OrderStatus::Pending, OrderStatus::Completed, OrderStatus::Expired, OrderStatus::Failed,
                              OrderStatus::Refunded, OrderStatus::Completed, OrderStatus::Pending}) {
            AddOrder(s);
        }
        const Rgb fills[] = {kRed, kGreen, kGrey, kGrey, kGrey, kGreen};
        canvas->Paint(wnd);
        const RECT& p = t.panel;

        // The panel's fill meets its outline on every side.
        const int py = p.top + SY(20), px = p.left + SX(20);
        ExpectFigure({p.left, py, p.right, py + 1}, kPanel, 1, "panel across", 5, 0);
        ExpectFigure({px, p.top, px + 1, p.bottom}, kPanel, 1, "panel down", 0, 5);
        EXPECT_GE(canvas->At(p.left, (p.top + p.bottom) / 2).r, 45) << "outline";

        // Headers left-aligned in their columns, the line under them.
        const int ends[] = {t.cols[1], t.cols[2], t.cols[3], t.right};
        for (int i = 0; i < 4; ++i) ExpectText({t.cols[i], t.hy, ends[i], t.hy + SY(30)}, kPager, t.cols[i], "header");
        const int lineY = t.hy + SY(35);
        ExpectFigure({t.cols[0], lineY, t.right, lineY + 1}, {60, 60, 60}, 1, "header line");

        // Six rows, every other one tinted, each with its status button.
        const int blank = t.cols[1] - SX(20);
        for (int i = 0; i < 6; ++i) {
            const int ry = t.ly + i * t.rowStep;
            if (i % 2 == 0)
                ExpectFigure({blank, ry, blank + 1, ry + t.rowH}, kRowTint, 0, "tinted row", 0, 4);
            else
                EXPECT_EQ(canvas->At(blank, ry + t.rowH / 2), kPanel) << "row " << i;
            const RECT button = Offset(t.button, i * t.rowStep);
            ExpectFigure(button, fills[i], 0, "status button");
            EXPECT_GE(canvas->MaxIn(button), 250) << "white label, row " << i;
        }
        ExpectText({t.cols[0], t.ly, t.cols[1], t.ly + t.rowH}, {180, 180, 180}, t.cols[0], "order number");
        ExpectText({t.cols[2], t.ly, t.cols[3], t.ly + t.rowH}, kGoldText, t.cols[2], "amount");

        // Footer: 上一页 at its left, the page centred in rcInfo, 下一页 at its right.
        const RECT& f = t.footer;
        ExpectFigure(f, kFooter, 0, "footer");
        ExpectText(f, kPager, f.left, "上一页");
        const RECT info = Span({f.left + SX(200), f.top, f.right - SX(200), f.bottom}, kPager, 30);
        EXPECT_GE(info.left, t.info.left);
        EXPECT_LE(info.right, t.info.right);
        EXPECT_NEAR((info.left + info.right) / 2, (t.info.left + t.info.right) / 2, SX(3));
        const RECT next = Span({f.right - SX(100), f.top, f.right + SX(10), f.bottom}, kPager, 30);
        EXPECT_GE(next.right, f.right - SX(4));
        EXPECT_LE(next.right, f.right);
    }

    void ExpectDialog(const Dialog& d) {
        AddOrder(OrderStatus::Completed);
        wnd->m_nSelectedOrder = 0;
        RenderCanvas under(wnd->m_hWnd);
        under.Paint(wnd);
        wnd->m_bShowOrderDetail = true;
        canvas->Paint(wnd);

        // Dimmed around the card; the card, its outline, close mark and title.
        for (POINT pt : {POINT{SX(600), SY(25)}, POINT{d.card.left - SX(20), d.card.bottom + SY(20)}}) {
            const Rgb was = under.At(pt.x, pt.y);
            const Rgb dim = {was.r * 55 / 255, was.g * 55 / 255, was.b * 55 / 255};
            EXPECT_TRUE(canvas->At(pt.x, pt.y).Near(dim, 1)) << canvas->At(pt.x, pt.y) << " from " << was;
        }
        const int midY = (d.card.top + d.card.bottom) / 2;
        EXPECT_TRUE(canvas->At(d.card.left + SX(20), d.card.top + SY(90)).Near({35, 35, 35}, 2));
        EXPECT_TRUE(canvas->At(d.card.left, midY).Near(kCardBorder, 8));
        EXPECT_TRUE(canvas->At(d.card.right, midY).Near(kCardBorder, 8));
        EXPECT_GE(canvas->At(d.cross.x, d.cross.y).Max(), 150);
        EXPECT_GE(canvas->At(d.cross.x - SX(6), d.cross.y - SY(6)).Max(), 120);
        EXPECT_GE(canvas->At(d.cross.x + SX(6), d.cross.y - SY(6)).Max(), 120);
        EXPECT_LE(canvas->At(d.cross.x, d.cross.y - SY(6)).Max(), 60) << "between the strokes";
        EXPECT_GE(canvas->MaxIn({d.card.left, d.card.top + SY(30), d.card.right, d.card.top + SY(70)}), 250);

        // Five rows: grey labels, light values, gold amount; then the link.
        for (int k = 0; k < 5; ++k) {
            const int y = d.rows[k];
            ExpectText({d.labelX, y, d.valueX, y + d.lh}, kGrey, d.labelX, "label");
            ExpectText({d.valueX, y, d.valueRight, y + d.lh}, k == 3 ? kGoldText : kLight, d.valueX, "value");
        }
        ExpectText({d.labelX, d.linkLabel, d.valueX, d.linkLabel + d.lh}, kGrey, d.labelX, "link label");
        ExpectFigure(d.box, kLinkBox, 1, "link box");
        EXPECT_TRUE(canvas->At(d.box.left, (d.box.top + d.box.bottom) / 2).Near(kCardBorder, 8));
        const RECT link = Span({d.card.left, d.box.top, d.card.right, d.box.bottom}, {100, 180, 255}, 60);
        EXPECT_GE(link.left, d.box.left + SX(10));
        EXPECT_LE(link.right, d.box.right - SX(10));
        EXPECT_GE(link.right, d.box.right - SX(50)) << "a long link fills the box up to its ellipsis";

        // Copy button, kept for the click test, and its toast.
        ExpectFigure(d.copy, kGoldButton, 1, "copy button");
        EXPECT_FALSE(Empty(Span(d.copy, {0, 0, 0}, 40))) << "black label";
        EXPECT_TRUE(Same(wnd->CopyButton(), d.copy));
        const RECT toastArea = {d.toast.left - SX(10), d.toast.top - SY(10), d.toast.right + SX(10),
                                d.toast.bottom + SY(10)};
        EXPECT_TRUE(Empty(Span(toastArea, kGreen, 30))) << "no toast";
        wnd->m_bShowToast = true;
        canvas->Paint(wnd);
        const RECT toast = Span(toastArea, kGreen, 30);
        ASSERT_FALSE(Empty(toast));
        EXPECT_GE(toast.left, d.toast.left);
        EXPECT_GE(toast.top, d.toast.top);
        EXPECT_LE(toast.right, d.toast.right);
        EXPECT_LE(toast.bottom, d.toast.bottom);
    }

};

using RenderOrderDetail = RenderOrders;

TEST(OrdersText, NamesAreCutAfterTwelveUnits) {
    const std::wstring twelve = L"传奇1.76复古版怀旧经";
    ASSERT_EQ(twelve.size(), 12u);
    EXPECT_EQ(ShortGameName(twelve), twelve);
    EXPECT_EQ(ShortGameName(twelve + L"典"), twelve + L"...");
    EXPECT_EQ(ShortGameName(L""), L"");
}

TEST(OrdersText, PagesAndDisplayedStatus) {
    EXPECT_EQ(OrderPageInfo(2, 6, 13), L"第3/3页");
    EXPECT_EQ(OrderPageInfo(0, 6, 6), L"第1/1页");
    EXPECT_EQ(OrderPageInfo(0, 6, 0), L"第1/1页");
    EXPECT_EQ(OrderPageInfo(5, 6, 13), L"第6/3页") << "the pager reports the index it is given";
    const int firsts[][4] = {{0, 6, 13, 0}, {1, 6, 13, 6}, {2, 6, 13, 12}, {3, 6, 13, 0}, {-1, 6, 13, 0}, {0, 6, 0, 0}};
    for (const auto& f : firsts) EXPECT_EQ(FirstOrderOfPage(f[0], f[1], f[2]), f[3]) << "page " << f[0];
    EXPECT_EQ(DisplayedOrderStatus(OrderStatus::Pending, L"vip"), OrderStatus::Expired);
    EXPECT_EQ(DisplayedOrderStatus(OrderStatus::Pending, L"normal"), OrderStatus::Pending);
    EXPECT_EQ(DisplayedOrderStatus(OrderStatus::Completed, L"vip"), OrderStatus::Completed);
    const std::pair<OrderStatus, const wchar_t*> labels[] = {
        {OrderStatus::Pending, L"待支付"}, {OrderStatus::Completed, L"已完成"}, {OrderStatus::Failed, L"支付失败"},
        {OrderStatus::Expired, L"已失效"}, {OrderStatus::Refunded, L"已退款"}};
    for (const auto& l : labels) EXPECT_STREQ(OrderStatusLabel(l.first), l.second);
}

// At the layout's positions, whose 96-DPI numbers the layout table pins.
TEST_F(RenderOrders, TableAtTheLayoutsPositions) { ExpectTable(ScaledTable()); }

TEST_F(RenderOrders, MembersPendingOrderHasAGreyButton) {
    AddOrder(OrderStatus::Pending);
    canvas->Paint(wnd);
    ExpectFigure(ScaledTable().button, kRed, 0, "to pay");
    wnd->m_strLevel = L"vip";
    canvas->Paint(wnd);
    ExpectFigure(ScaledTable().button, kGrey, 0, "lapsed");
}

TEST_F(RenderOrders, NoticesReplaceTheRowsAndThePager) {
    const Table t = ScaledTable();
    const RECT notice = {t.cols[0], t.ly + SY(45), t.right, t.ly + SY(90)};
    const RECT tip = {t.cols[0], t.ly + SY(90), t.right, t.ly + SY(120)};
    for (bool loading : {false, true}) {
        SCOPED_TRACE(loading ? "loading" : "empty");
        if (loading) {
            AddOrder(OrderStatus::Completed);
            testing_support::StartQuietWorker(wnd->m_ordersWorker);
        }
        canvas->Paint(wnd);
        wnd->m_ordersWorker.Retire();
        const RECT line = Span(notice, kGrey, 20);
        ASSERT_FALSE(Empty(line));
        EXPECT_NEAR((line.left + line.right) / 2, (t.cols[0] + t.right) / 2, SX(4));
        EXPECT_EQ(Empty(Span(tip, {120, 120, 120}, 20)), loading) << "the tip only for an empty list";
        EXPECT_EQ(canvas->At(t.cols[1] - SX(20), t.ly + 1), kPanel) << "no row";
        EXPECT_EQ(canvas->At(t.footer.left + SX(150), t.footer.top + 1), kPanel) << "no pager";
        const RECT home = {SX(20), SY(60), SX(80), SY(90)};
        ExpectFigure(home, {80, 80, 80}, 1, "home button");
        EXPECT_GE(canvas->MaxIn(home), 195) << "首页";
    }
}

TEST_F(RenderOrders, LongNameStaysInItsColumn) {
    const Table t = ScaledTable();
    AddOrder(OrderStatus::Completed, L"传奇1.76复古版怀旧经典合击版本加长的名字");
    canvas->Paint(wnd);
    const RECT name = Span({t.cols[1] - SX(10), t.ly, t.cols[2] + SX(30), t.ly + t.rowH}, {180, 180, 180}, 40);
    ASSERT_FALSE(Empty(name));
    EXPECT_GE(name.left, t.cols[1]);
    EXPECT_LE(name.right, t.cols[2] - SX(10));
}

TEST_F(RenderOrders, LastOfThirteenOrdersShowsOneRowAndThePager) {
    const Table t = ScaledTable();
    for (int i = 0; i < 13; ++i) AddOrder(OrderStatus::Completed);
    wnd->m_nOrderPage = 2;
    canvas->Paint(wnd);
    ExpectFigure(t.button, kGreen, 0, "the one row");
    EXPECT_TRUE(Empty(Span({t.cols[0], t.ly + t.rowStep, t.right, t.footer.top - 2}, {255, 255, 255}, 60)))
        << "nothing below it";
    ExpectFigure(t.footer, kFooter, 0, "footer");
    EXPECT_FALSE(Empty(Span(t.info, kPager, 30))) << "page info";
}

TEST_F(RenderOrderDetail, NormalOrderAtTheLayoutsPositions) { ExpectDialog(ScaledDialog()); }

TEST_F(RenderOrderDetail, VipModeShowsOnlyTheProductAndTheLink) {
    const Dialog d = ScaledDialog();
    wnd->m_bShowOrderDetail = true;
    wnd->m_bVipDownload = true;
    wnd->m_vipOrder.game_name = L"传奇 1.76";
    wnd->m_vipOrder.download_url = L"https://download.example.com/legend.exe";
    canvas->Paint(wnd);
    EXPECT_LE(canvas->MaxIn({d.labelX, d.rows[0], d.valueRight, d.rows[1]}), 45) << "the first row's place is empty";
    ExpectText({d.labelX, d.rows[1], d.valueX, d.rows[1] + d.lh}, kGrey, d.labelX, "产品：");
    const int linkLabel = d.rows[1] + d.lh + SY(20);
    ExpectText({d.labelX, linkLabel, d.valueX, linkLabel + d.lh}, kGrey, d.labelX, "下载链接：");
    const int shift = linkLabel + d.lh - d.box.top;
    ExpectFigure(Offset(d.box, shift), kLinkBox, 1, "link box");
    EXPECT_TRUE(Same(wnd->CopyButton(), Offset(d.copy, shift)));
    EXPECT_TRUE(Empty(Span(d.card, kGoldText, 20))) << "no amount";
}

TEST_F(RenderOrderDetail, LapsedOrderShowsTheNoticeInsteadOfTheLink) {
    const Dialog d = ScaledDialog();
    const RECT title = {d.card.left, d.card.top + SY(30), d.card.right, d.card.top + SY(70)};
    AddOrder(OrderStatus::Completed);
    wnd->m_nSelectedOrder = 0;
    wnd->m_bShowOrderDetail = true;
    canvas->Paint(wnd);
    const RECT normalTitle = Span(title, {255, 255, 255}, 10);
    for (const OrderStatus status : {OrderStatus::Expired, OrderStatus::Failed}) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(status));
        wnd->m_aOrders[0].status = status;
        canvas->Paint(wnd);
        const RECT lapsedTitle = Span(title, {255, 255, 255}, 10);
        EXPECT_GT(lapsedTitle.right - lapsedTitle.left, normalTitle.right - normalTitle.left + SX(10))
            << "five characters instead of four";
        const int y = d.rows[4] + d.lh + SY(40);
        const RECT notice = Span({d.labelX, y, d.valueRight, y + d.lh}, kRed, 30);
        ASSERT_FALSE(Empty(notice));
        EXPECT_NEAR((notice.left + notice.right) / 2, (d.card.left + d.card.right) / 2, SX(4));
        EXPECT_TRUE(Empty(Span(d.box, kLinkBox, 0))) << "no link box";
        EXPECT_TRUE(Empty(Span(d.copy, kGoldButton, 10))) << "no copy button";
        EXPECT_TRUE(Empty(wnd->CopyButton()));
    }
}

TEST_F(RenderOrderDetail, IndexOutsideTheListShowsOnlyTheTitle) {
    const Dialog d = ScaledDialog();
    const RECT body = {d.card.left + SX(20), d.rows[0] - SY(10), d.card.right - SX(20), d.card.bottom - SY(10)};
    wnd->m_bShowOrderDetail = true;
    const int cases[][2] = {{0, 0}, {3, -1}, {3, 3}};  // orders, index
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << " orders, index " << c[1]);
        while (static_cast<int>(wnd->m_aOrders.size()) < c[0]) AddOrder(OrderStatus::Completed);
        wnd->m_nSelectedOrder = c[1];
        canvas->Paint(wnd);
        EXPECT_GE(canvas->MaxIn({d.card.left, d.card.top + SY(30), d.card.right, d.card.top + SY(70)}), 250);
        EXPECT_LE(canvas->MaxIn(body), 45);
        EXPECT_TRUE(Empty(wnd->CopyButton())) << "nothing to copy";
    }
}

TEST_F(RenderOrders, PaintsLeaveNoGdiObjectsBehind) {
    for (int i = 0; i < 7; ++i) AddOrder(i % 2 ? OrderStatus::Pending : OrderStatus::Completed);
    wnd->m_nSelectedOrder = 0;
    const auto paintRound = [&] {
        for (Page page : {Page::PAGE_ORDERS, Page::PAGE_SUPPORT}) {
            wnd->m_nPage = page;
            wnd->m_bShowOrderDetail = page == Page::PAGE_ORDERS;
            canvas->Paint(wnd);
        }
    };
    paintRound();
    const int before = testing_support::CountGdiObjects();
    for (int i = 0; i < 50; ++i) paintRound();
    EXPECT_EQ(testing_support::CountGdiObjects(), before);
}

}  // namespace

namespace {

bool SameCanvas(const RenderCanvas& a, const RenderCanvas& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

}  // namespace

TEST_F(RenderOrderDetail, AKeptFrameFollowsEveryChange) {
    for (OrderStatus status : {OrderStatus::Completed, OrderStatus::Pending, OrderStatus::Completed, OrderStatus::Failed,
                               OrderStatus::Completed, OrderStatus::Completed, OrderStatus::Completed}) {
        AddOrder(status);
    }
    wnd->m_nSelectedOrder = 0;
    wnd->m_bShowOrderDetail = true;
    RenderCanvas fresh(wnd->m_hWnd);
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"toast", [&] { wnd->m_bShowToast = true; }},
        {"no toast", [&] { wnd->m_bShowToast = false; }},
        {"other order", [&] { wnd->m_nSelectedOrder = 2; }},
        {"its link", [&] { wnd->m_aOrders[2].download_url = L"https://x.example/a"; }},
        {"lapsed", [&] { wnd->m_nSelectedOrder = 3; }},
        {"a row's status", [&] { wnd->m_aOrders[1].status = OrderStatus::Completed; }},
        {"a row's name", [&] { wnd->m_aOrders[4].game_name = L"新名字"; }},
        {"member", [&] { wnd->m_strLevel = L"vip"; wnd->m_aOrders[1].status = OrderStatus::Pending; }},
        {"next page", [&] { wnd->m_nOrderPage = 1; }},
        {"loading", [&] { testing_support::StartQuietWorker(wnd->m_ordersWorker); }},
        {"loaded", [&] { wnd->m_ordersWorker.Retire(); }},
        {"member download", [&] { wnd->m_bVipDownload = true; wnd->m_vipOrder.game_name = L"奥凡"; }},
        {"back", [&] { wnd->m_bVipDownload = false; wnd->m_nSelectedOrder = 0; }},
        {"dialog closed", [&] { wnd->m_bShowOrderDetail = false; }},
        {"a row's amount", [&] { wnd->m_aOrders[6].amount_text = L"¥1.00"; }},
        {"first page", [&] { wnd->m_nOrderPage = 0; }},
        {"support page", [&] { wnd->m_nPage = Page::PAGE_SUPPORT; }},
        {"another picture", [&] {
             DeleteObject(wnd->m_hbmpSupport);
             wnd->m_hbmpSupport = CreateCanvasBitmap(canvas->dc(), 300, 120);
         }},
        {"no picture", [&] {
             DeleteObject(wnd->m_hbmpSupport);
             wnd->m_hbmpSupport = nullptr;
         }},
        {"orders again", [&] { wnd->m_nPage = Page::PAGE_ORDERS; wnd->m_bShowOrderDetail = true; }},
    };
    canvas->Paint(wnd);
    for (const auto& change : changes) {
        change.second();
        canvas->Paint(wnd);
        wnd->m_keptFrame.bitmap.reset();
        fresh.Paint(wnd);
        EXPECT_TRUE(SameCanvas(*canvas, fresh)) << change.first;
    }
}
