// Click routing of the real window at 96 DPI: which target a click reaches,
// in which order the popups take it, and what each target changes.
#include "input_window.h"
#include "mainwnd/timer_ids.h"

using input_testing::ClipboardText;
using input_testing::StartQuietWorker;
using input_testing::InputWindowTest;
using input_testing::SetClipboardText;

namespace {

// Points at 96 DPI on a 1200 × 720 client.
constexpr POINT kCloseBtn = {1180, 25};     // {1160,0,1200,50}
constexpr POINT kMinBtn = {1140, 25};       // {1120,0,1160,50}
constexpr POINT kMenuBtn = {1100, 25};      // {1080,0,1120,50}
constexpr POINT kOrdersBtn = {940, 25};     // {900,12,980,38}
constexpr POINT kSupportBtn = {1030, 25};   // {990,12,1070,38}
constexpr POINT kHomeBtn = {50, 75};        // {20,60,80,90}
constexpr POINT kEmpty = {100, 600};        // nothing of any page

using InputOrderDetail = InputWindowTest;

TEST_F(InputOrderDetail, TakesEveryClickFirst) {
    wnd->m_bShowOrderDetail = true;
    wnd->m_bVipDownload = true;
    Click(kCloseBtn.x, kCloseBtn.y);  // outside the card {220,135,980,585}
    EXPECT_FALSE(wnd->m_bShowOrderDetail);
    EXPECT_FALSE(wnd->m_bVipDownload);
    EXPECT_FALSE(wnd->m_bShowCouponPopup) << "the close button must not act behind the dialog";
    EXPECT_FALSE(TakeQuit());

    wnd->m_bShowOrderDetail = true;
    wnd->m_bShowUserMenu = false;
    Click(600, 300);  // inside the card, not on a button
    EXPECT_TRUE(wnd->m_bShowOrderDetail);
    Click(939, 160);  // just left of the close mark {940,145,960,175}
    EXPECT_TRUE(wnd->m_bShowOrderDetail);
    Click(940, 145);
    EXPECT_FALSE(wnd->m_bShowOrderDetail);
}

// The copy button: {820,497,930,537} for an order, {820,377,930,417} for a
// member's download, whose rows start one row lower and are fewer.
TEST_F(InputOrderDetail, CopyButtonCopiesTheShownDownloadLink) {
    AddOrders(3);
    wnd->m_bShowOrderDetail = true;

    SetClipboardText(L"marker");
    wnd->m_nSelectedOrder = 3;  // out of range: the dialog offers no link
    Click(875, 517);
    EXPECT_EQ(ClipboardText(), L"marker");
    EXPECT_FALSE(wnd->m_bShowToast);
    EXPECT_TRUE(wnd->m_bShowOrderDetail);

    wnd->m_nSelectedOrder = 1;
    Click(929, 536);
    EXPECT_EQ(ClipboardText(), L"https://dl.example/1");
    EXPECT_TRUE(wnd->m_bShowToast);
    EXPECT_NE(wnd->m_uToastTimer, 0u);
    EXPECT_TRUE(wnd->m_bShowOrderDetail);

    wnd->m_bVipDownload = true;
    wnd->m_vipOrder.download_url = L"https://vip.example/全部";
    wnd->m_nSelectedOrder = -1;
    Click(820, 377);
    EXPECT_EQ(ClipboardText(), L"https://vip.example/全部");
}

using InputPurchaseSelector = InputWindowTest;

TEST_F(InputPurchaseSelector, TogglesAndPicksARow) {
    AddVersions(3);
    wnd->m_nPage = Page::PAGE_PURCHASE;
    Click(260, 210);  // selector {260,210,500,250}
    EXPECT_TRUE(wnd->m_bDropListOpen);
    Click(459, 249);
    EXPECT_FALSE(wnd->m_bDropListOpen);
    Click(300, 230);
    ASSERT_TRUE(wnd->m_bDropListOpen);
    Click(300, 252 + 2 * 32);  // list {260,252,500,348}: first pixel of row 2
    EXPECT_EQ(wnd->m_nSelectedVersion, 2);
    EXPECT_FALSE(wnd->m_bDropListOpen);
    Click(300, 230);
    Click(300, 252 + 32 - 1);  // last pixel of row 0
    EXPECT_EQ(wnd->m_nSelectedVersion, 0);
}

TEST_F(InputPurchaseSelector, ClickOutsideTheListClosesItAndGoesOn) {
    AddVersions(2);
    wnd->m_nPage = Page::PAGE_PURCHASE;
    Click(300, 230);
    ASSERT_TRUE(wnd->m_bDropListOpen);
    Click(300, 252 + 2 * 32);  // just below the two rows
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_EQ(wnd->m_nSelectedVersion, 0);

    Click(300, 230);
    Click(kCloseBtn.x, kCloseBtn.y);
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_TRUE(wnd->m_bShowCouponPopup) << "the click must go on to the close button";
}

// What the user sees is what the user clicks: the list's rows right up to the
// drawn right edge, and the arrow, which closes an open list.
TEST_F(InputPurchaseSelector, TheDrawnSelectorListAndArrowAreTheClickableOnes) {
    AddVersions(3);
    wnd->m_nPage = Page::PAGE_PURCHASE;
    UpdateWindow(hwnd);
    Click(480, 230);  // the arrow {465,210,495,250}
    ASSERT_TRUE(wnd->m_bDropListOpen);
    Click(480, 230);
    EXPECT_FALSE(wnd->m_bDropListOpen) << "the arrow closes an open list";
    for (const int x : {460, 499}) {
        Click(300, 230);
        ASSERT_TRUE(wnd->m_bDropListOpen);
        Click(x, 252 + 32 + 5);  // row 1 at its right edge
        EXPECT_EQ(wnd->m_nSelectedVersion, 1) << x;
        EXPECT_FALSE(wnd->m_bDropListOpen) << x;
        EXPECT_TRUE(wnd->m_resumeWorker.Running()) << "picking a version resumes the payment";
        wnd->m_nSelectedVersion = 0;
    }
}

// Under a result card the page's own step is off: the selector still toggles
// as a window target, and a row picked there resumes nothing.
TEST_F(InputPurchaseSelector, UnderAResultAPickedRowResumesNothing) {
    AddVersions(2);
    wnd->m_nPage = Page::PAGE_PURCHASE;
    wnd->m_nPayState = PayState::PAY_STATE_SUCCESS;
    Click(300, 230);
    ASSERT_TRUE(wnd->m_bDropListOpen);
    Click(300, 252 + 32);
    EXPECT_EQ(wnd->m_nSelectedVersion, 1);
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_FALSE(wnd->m_resumeWorker.Running());
}

using InputOrdersTable = InputWindowTest;

// Footer buttons: "上一页" {220,552,300,586}, "下一页" {900,552,980,586}.
TEST_F(InputOrdersTable, ThirteenOrdersPageAsSixSixOne) {
    AddOrders(13);
    wnd->m_nPage = Page::PAGE_ORDERS;
    Click(220, 552);
    EXPECT_EQ(wnd->m_nOrderPage, 0) << "no page before the first";
    Click(979, 585);
    EXPECT_EQ(wnd->m_nOrderPage, 1);
    Click(900, 552);
    EXPECT_EQ(wnd->m_nOrderPage, 2);
    Click(940, 570);
    EXPECT_EQ(wnd->m_nOrderPage, 2) << "no page after the last";

    // The last page has one row: order 12 in row 0, nothing in row 1.
    SetClipboardText(L"marker");
    Click(300, 270 + 45 + 20);
    EXPECT_EQ(ClipboardText(), L"marker");
    EXPECT_FALSE(wnd->m_bShowToast);
    Click(300, 290);
    EXPECT_EQ(ClipboardText(), L"NO-12");
    EXPECT_TRUE(wnd->m_bShowToast);

    Click(299, 585);
    EXPECT_EQ(wnd->m_nOrderPage, 1);
    Click(220, 552);
    Click(220, 552);
    EXPECT_EQ(wnd->m_nOrderPage, 0);
}

TEST_F(InputOrdersTable, OrderNumberCellsCopyTheirRowsOrder) {
    AddOrders(8);
    wnd->m_nPage = Page::PAGE_ORDERS;
    // Row r: {220, 270 + 45r, 590, 310 + 45r}.
    Click(220, 270 + 5 * 45);
    EXPECT_EQ(ClipboardText(), L"NO-5");
    Click(589, 270 + 2 * 45 + 39);
    EXPECT_EQ(ClipboardText(), L"NO-2");
    SetClipboardText(L"marker");
    Click(590, 270);  // right edge excluded
    Click(300, 270 + 40);  // the gap between rows 0 and 1
    EXPECT_EQ(ClipboardText(), L"marker");
    wnd->m_nOrderPage = 1;
    Click(300, 270 + 45 + 1);
    EXPECT_EQ(ClipboardText(), L"NO-7");
}

TEST_F(InputOrdersTable, StatusCellsByTheirText) {
    AddOrders(9);
    wnd->m_nPage = Page::PAGE_ORDERS;
    wnd->m_aOrders[8].status = OrderStatus::Completed;
    wnd->m_aOrders[0].status = OrderStatus::Refunded;
    wnd->m_aOrders[1].status = OrderStatus::Failed;
    wnd->m_aOrders[2].status = OrderStatus::Pending;

    // Status cell of row r: {890, 270 + 45r, 980, 310 + 45r}.
    for (int r = 0; r < 3; ++r) {
        Click(930, 290 + 45 * r);
        EXPECT_FALSE(wnd->m_bShowOrderDetail) << "row " << r;
        EXPECT_EQ(wnd->m_nPage, Page::PAGE_ORDERS) << "row " << r;
        EXPECT_EQ(wnd->m_nSelectedOrder, -1) << "row " << r;
    }
    wnd->m_strLevel = L"vip";
    Click(930, 290 + 90);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_ORDERS);

    wnd->m_nOrderPage = 1;
    Click(979, 270 + 2 * 45);  // page 1, row 2: order 8
    EXPECT_EQ(wnd->m_nSelectedOrder, 8);
    EXPECT_TRUE(wnd->m_bShowOrderDetail);
}

TEST_F(InputOrdersTable, RowActionDoesNotEndTheRouting) {
    AddOrders(2);
    wnd->m_nPage = Page::PAGE_ORDERS;
    Click(kMenuBtn.x, kMenuBtn.y);
    ASSERT_TRUE(wnd->m_bShowUserMenu);
    Click(300, 290);
    EXPECT_EQ(ClipboardText(), L"NO-0");
    EXPECT_FALSE(wnd->m_bShowUserMenu) << "the open menu must still see the click";
}

using InputUserMenu = InputWindowTest;

TEST_F(InputUserMenu, OpensUnderTheMenuButtonAndIsModal) {
    Click(kMenuBtn.x, kMenuBtn.y);
    ASSERT_TRUE(wnd->m_bShowUserMenu);
    EXPECT_EQ(wnd->m_nHoverMenuItem, -1);
    const RECT& m = wnd->m_rcUserMenu;
    EXPECT_EQ(m.left, 1020);
    EXPECT_EQ(m.top, 55);
    EXPECT_EQ(m.right, 1170);
    EXPECT_EQ(m.bottom, 135);

    Click(kCloseBtn.x, kCloseBtn.y);
    EXPECT_FALSE(wnd->m_bShowUserMenu);
    EXPECT_FALSE(wnd->m_bShowCouponPopup) << "the click must only close the menu";
    EXPECT_FALSE(TakeQuit());
}

TEST_F(InputUserMenu, ItemsOpenTheRedeemAndLoginPages) {
    wnd->m_strRedeemCode = L"OLD";
    wnd->m_bRedeemSubmitted = true;
    wnd->m_nFocusField = FocusField::Password;
    Click(kMenuBtn.x, kMenuBtn.y);
    Click(1100, 94);  // item 0: 55..94
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_REDEEM);
    EXPECT_TRUE(wnd->m_strRedeemCode.empty());
    EXPECT_FALSE(wnd->m_bRedeemSubmitted);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::None);
    EXPECT_FALSE(wnd->m_bShowUserMenu);

    wnd->m_strAccount = L"a";
    wnd->m_strPassword = L"p";
    wnd->m_bLoginSubmitted = true;
    Click(kMenuBtn.x, kMenuBtn.y);
    Click(1100, 95);  // item 1: 95..134
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_LOGIN);
    EXPECT_TRUE(wnd->m_strAccount.empty());
    EXPECT_TRUE(wnd->m_strPassword.empty());
    EXPECT_FALSE(wnd->m_bLoginSubmitted);
    EXPECT_FALSE(wnd->m_bShowUserMenu);
}

TEST_F(InputUserMenu, OutsideOrBeyondTheItemsOnlyCloses) {
    Click(kMenuBtn.x, kMenuBtn.y);
    Click(1100, 135);  // first row below the menu
    EXPECT_FALSE(wnd->m_bShowUserMenu);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);

    Click(kMenuBtn.x, kMenuBtn.y);
    wnd->m_rcUserMenu.bottom += 40;  // a third row that has no item
    Click(1100, 150);
    EXPECT_FALSE(wnd->m_bShowUserMenu);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);

    Click(kMenuBtn.x, kMenuBtn.y);
    Click(kMenuBtn.x, kMenuBtn.y);  // the button itself is outside the menu
    EXPECT_FALSE(wnd->m_bShowUserMenu);
}

TEST_F(InputUserMenu, HoverFollowsTheMouseInStepsOf40) {
    Move(1100, 60);
    EXPECT_EQ(wnd->m_nHoverMenuItem, -1) << "no hover while the menu is closed";
    Click(kMenuBtn.x, kMenuBtn.y);
    const struct {
        int x, y, item;
    } steps[] = {{1100, 55, 0}, {1100, 94, 0}, {1020, 95, 1}, {1169, 134, 1},
                 {1100, 135, -1}, {1100, 70, 0}, {1019, 70, -1}, {1170, 100, -1}};
    for (const auto& s : steps) {
        Move(s.x, s.y);
        EXPECT_EQ(wnd->m_nHoverMenuItem, s.item) << s.x << "," << s.y;
    }
}

using InputCouponPopup = InputWindowTest;

// Card {350,200,850,520}; close mark {805,200,835,230}; "取消" {440,440,560,480};
// "确定" {640,440,760,480}.
TEST_F(InputCouponPopup, NonMemberGetsThePopupWhichIsModal) {
    Click(kCloseBtn.x, kCloseBtn.y);
    ASSERT_TRUE(wnd->m_bShowCouponPopup);
    EXPECT_FALSE(TakeQuit());

    for (POINT p : {kCloseBtn, kMenuBtn, kOrdersBtn, POINT{600, 300}, POINT{639, 460}, POINT{804, 215}}) {
        Click(p.x, p.y);
        EXPECT_FALSE(TakeQuit()) << p.x << "," << p.y;
    }
    EXPECT_TRUE(wnd->m_bShowCouponPopup);
    EXPECT_FALSE(wnd->m_bShowUserMenu);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);

    WPARAM code = 99;
    Click(805, 200);
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0u);
    Click(559, 479);
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(InputCouponPopup, ConfirmStartsTheDiscountedPurchaseAndCloseShowsItAgain) {
    AddVersions(2);
    wnd->m_strPayOrderNo = L"OLD-1";
    wnd->m_nCountdownSeconds = 17;
    Click(kCloseBtn.x, kCloseBtn.y);
    ASSERT_TRUE(wnd->m_bShowCouponPopup);
    Click(700, 460);
    EXPECT_FALSE(wnd->m_bShowCouponPopup);
    EXPECT_FALSE(TakeQuit());
    EXPECT_TRUE(wnd->m_bCouponAccepted);
    EXPECT_DOUBLE_EQ(wnd->m_dCouponPrice, 19.0) << "39.00 less the built-in 20.00 coupon";
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_PURCHASE);
    EXPECT_TRUE(wnd->m_bCountdownActive);
    EXPECT_EQ(wnd->m_nCountdownSeconds, 300);
    EXPECT_TRUE(wnd->m_strPayOrderNo.empty());
    EXPECT_NE(wnd->m_uCountdownTimer, 0u);
    EXPECT_NE(wnd->m_uSpinnerTimer, 0u);
    EXPECT_TRUE(wnd->m_payIntentWorker.Running());

    // Without a backend the intent fails: no order, so the spinner stops and
    // no poller starts; the countdown goes on.
    ASSERT_TRUE(PumpUntil([&] { return wnd->m_uSpinnerTimer == 0; }, 5000));
    EXPECT_FALSE(wnd->m_payPollWorker.Running());
    EXPECT_NE(wnd->m_uCountdownTimer, 0u);

    Click(kCloseBtn.x, kCloseBtn.y);
    EXPECT_TRUE(wnd->m_bShowCouponPopup) << "accepting once does not stop the offer";
    EXPECT_EQ(wnd->m_nTimerThreadViolations, 0L);
}

TEST_F(InputCouponPopup, MemberQuitsAtOnce) {
    wnd->m_strLevel = L"vip";
    Click(kCloseBtn.x, kCloseBtn.y);
    WPARAM code = 99;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(wnd->m_bShowCouponPopup);
}

using InputHomeButton = InputWindowTest;

TEST_F(InputHomeButton, ResetsThePurchasePage) {
    const RECT home = wnd->m_rcVersionCombo;
    EXPECT_EQ(home.left, 440);
    EXPECT_EQ(home.top, 330);
    EXPECT_EQ(home.right, 760);
    EXPECT_EQ(home.bottom, 375);

    wnd->m_nPage = Page::PAGE_PURCHASE;
    wnd->m_nPayState = PayState::PAY_STATE_FAILED;  // keeps the purchase selector out of the way
    wnd->m_bCountdownActive = true;
    wnd->m_bShowCouponPopup = false;
    wnd->m_bRedeemSubmitted = true;
    wnd->m_bLoginSubmitted = true;
    wnd->m_bDropListOpen = true;
    wnd->m_nFocusField = FocusField::First;
    wnd->m_bVipDownload = true;
    ASSERT_TRUE(wnd->StartWindowTimer(wnd->m_uCountdownTimer, TIMER_COUNTDOWN, 100000));
    ASSERT_TRUE(wnd->StartWindowTimer(wnd->m_uSpinnerTimer, TIMER_SPINNER, 100000));

    Click(20, 60);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);
    EXPECT_FALSE(wnd->m_bCountdownActive);
    EXPECT_FALSE(wnd->m_bRedeemSubmitted);
    EXPECT_FALSE(wnd->m_bLoginSubmitted);
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::None);
    EXPECT_FALSE(wnd->m_bVipDownload);
    EXPECT_EQ(wnd->m_uCountdownTimer, 0u);
    EXPECT_EQ(wnd->m_uSpinnerTimer, 0u);
    EXPECT_EQ(wnd->m_rcVersionCombo.left, 440);
    EXPECT_EQ(wnd->m_rcVersionCombo.top, 330);
    EXPECT_EQ(wnd->m_rcVersionCombo.right, 760);
    EXPECT_EQ(wnd->m_rcVersionCombo.bottom, 375);
}

TEST_F(InputHomeButton, OnlyOnThePurchaseOrdersAndSupportPages) {
    for (Page page : {Page::PAGE_ORDERS, Page::PAGE_SUPPORT}) {
        wnd->m_nPage = page;
        Click(79, 89);
        EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME) << page;
    }
    wnd->m_nPage = Page::PAGE_SUPPORT;
    Click(80, 75);  // right edge excluded
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_SUPPORT);

    // On the redeem page the same point is outside the card: focus dropped only.
    wnd->m_nPage = Page::PAGE_REDEEM;
    wnd->m_nFocusField = FocusField::First;
    Click(kHomeBtn.x, kHomeBtn.y);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_REDEEM);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::None);
}

using InputRedeemLogin = InputWindowTest;

// Home's selector {440,330,760,375}, in effect again once a card reached
// through the purchase page is closed.
void ExpectHomeSelector(CMainWnd* wnd) {
    const RECT rc = wnd->VersionSelector();
    EXPECT_EQ(rc.left, 440);
    EXPECT_EQ(rc.top, 330);
    EXPECT_EQ(rc.right, 760);
    EXPECT_EQ(rc.bottom, 375);
}

// Redeem card {350,200,850,520}: close {810,215,830,235}, input {430,340,770,385},
// button {510,430,690,475}.
TEST_F(InputRedeemLogin, RedeemPopupFieldsAndClose) {
    wnd->m_nPage = Page::PAGE_PURCHASE;  // reached through the purchase page
    UpdateWindow(hwnd);
    wnd->m_nPage = Page::PAGE_REDEEM;
    Click(430, 340);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::First);
    Click(600, 450);
    EXPECT_TRUE(wnd->m_bRedeemSubmitted);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::First);
    Click(600, 300);  // inside the card, on nothing
    EXPECT_EQ(wnd->m_nFocusField, FocusField::None);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_REDEEM);

    wnd->m_strRedeemCode = L"CODE";
    wnd->m_nFocusField = FocusField::First;
    Click(829, 234);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);
    ExpectHomeSelector(wnd);
    EXPECT_FALSE(wnd->m_bRedeemSubmitted);
    EXPECT_TRUE(wnd->m_strRedeemCode.empty());
    EXPECT_EQ(wnd->m_nFocusField, FocusField::None);
}

// Login card {350,170,850,550}: close {810,185,830,205}, account {430,300,770,345},
// password {430,360,770,405}, button {510,450,690,495}.
TEST_F(InputRedeemLogin, LoginPopupFieldsAndClose) {
    wnd->m_nPage = Page::PAGE_PURCHASE;  // reached through the purchase page
    UpdateWindow(hwnd);
    wnd->m_nPage = Page::PAGE_LOGIN;
    Click(769, 344);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::First);
    Click(430, 360);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::Password);
    Click(600, 350);  // between the fields
    EXPECT_EQ(wnd->m_nFocusField, FocusField::None);
    Click(510, 450);
    EXPECT_TRUE(wnd->m_bLoginSubmitted);

    wnd->m_strAccount = L"acc";
    wnd->m_strPassword = L"pw";
    Click(810, 185);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);
    ExpectHomeSelector(wnd);
    EXPECT_FALSE(wnd->m_bLoginSubmitted);
    EXPECT_TRUE(wnd->m_strAccount.empty());
    EXPECT_TRUE(wnd->m_strPassword.empty());
}

TEST_F(InputRedeemLogin, ClickOutsideTheFieldsGoesOn) {
    wnd->m_nPage = Page::PAGE_LOGIN;
    wnd->m_nFocusField = FocusField::Password;
    Click(kCloseBtn.x, kCloseBtn.y);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::None);
    EXPECT_TRUE(wnd->m_bShowCouponPopup);
}

using InputVersionList = InputWindowTest;

// Home selector {440,330,760,375}; the list starts at 377, rows of 32.
TEST_F(InputVersionList, OpensAndPicksARowOnTheHomePage) {
    AddVersions(2);
    Click(600, 350);
    ASSERT_TRUE(wnd->m_bDropListOpen);
    Click(600, 377 + 32);
    EXPECT_EQ(wnd->m_nSelectedVersion, 1);
    EXPECT_FALSE(wnd->m_bDropListOpen);

    Click(440, 330);
    ASSERT_TRUE(wnd->m_bDropListOpen);
    Click(kCloseBtn.x, kCloseBtn.y);  // outside the list: only closes it
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_FALSE(wnd->m_bShowCouponPopup);
    EXPECT_EQ(wnd->m_nSelectedVersion, 1);
}

TEST_F(InputVersionList, EmptyListOpensAndClosesAgain) {
    Click(600, 350);
    ASSERT_TRUE(wnd->m_bDropListOpen);
    Click(600, 377);
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_EQ(wnd->m_nSelectedVersion, 0);
}

using InputWindowTargets = InputWindowTest;

TEST_F(InputWindowTargets, OrdersAndSupportButtonsStartTheirWorkers) {
    struct Case {
        POINT button;
        WorkerSlot CMainWnd::*worker;
        Page page;
    };
    for (const Case& c : {Case{kOrdersBtn, &CMainWnd::m_ordersWorker, Page::PAGE_ORDERS},
                          Case{kSupportBtn, &CMainWnd::m_supportWorker, Page::PAGE_SUPPORT}}) {
        WorkerSlot& slot = wnd->*c.worker;
        const WorkerTicket old = StartQuietWorker(slot);
        Click(c.button.x, c.button.y);
        EXPECT_EQ(wnd->m_nPage, c.page);
        // The old job is retired without waiting; a new one runs.
        EXPECT_FALSE(slot.IsCurrent(old));
        ASSERT_TRUE(slot.Running());
        // The worker reports (a failed fetch without a backend) and its thread is let go.
        EXPECT_TRUE(PumpUntil([&] { return !slot.Running(); }, 5000)) << c.page;
    }
    Click(899, 25);  // between title-bar buttons: the drag area
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_SUPPORT);
    Release(899, 25);
}

TEST_F(InputWindowTargets, InstallButtonStartsAPurchaseOnlyWithAValidVersion) {
    Click(600, 460);  // install button {510,440,690,488} with no versions loaded
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);
    EXPECT_FALSE(wnd->m_payIntentWorker.Running());

    AddVersions(1);
    wnd->m_offer.countdown_minutes = 10;
    Click(600, 460);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_PURCHASE);
    EXPECT_EQ(wnd->m_nCountdownSeconds, 600);
    EXPECT_TRUE(wnd->m_payIntentWorker.Running());
    EXPECT_FALSE(wnd->m_bCouponAccepted);
}

TEST_F(InputWindowTargets, MinimiseButton) {
    Click(kMinBtn.x, kMinBtn.y);
    EXPECT_TRUE(IsIconic(hwnd));
    ShowWindow(hwnd, SW_RESTORE);
}

TEST_F(InputWindowTargets, DraggingTheTitleBarMovesTheWindowByTheMouseMovement) {
    RECT before = {};
    GetWindowRect(hwnd, &before);
    Click(600, 25);
    ASSERT_TRUE(wnd->m_bDragging);
    EXPECT_EQ(wnd->m_ptDragStart.x, 600);
    EXPECT_EQ(wnd->m_ptDragStart.y, 25);
    EXPECT_EQ(GetCapture(), hwnd);

    // The window follows, so the grabbed point comes back under the cursor.
    Move(650, 45);
    RECT after = {};
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.left - before.left, 50);
    EXPECT_EQ(after.top - before.top, 20);
    EXPECT_EQ(after.right - after.left, 1200);
    Move(590, 15);
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 10);

    Release(590, 15);
    EXPECT_FALSE(wnd->m_bDragging);
    EXPECT_NE(GetCapture(), hwnd);
    Move(700, 100);
    RECT still = {};
    GetWindowRect(hwnd, &still);
    EXPECT_EQ(still.left, after.left);
    EXPECT_EQ(still.top, after.top);
}

TEST_F(InputWindowTargets, ClickOnNothingChangesNothing) {
    AddVersions(2);
    Click(kEmpty.x, kEmpty.y);
    Click(600, 490);  // just below the install button {510,440,690,488}
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_FALSE(wnd->m_bDragging);
    EXPECT_FALSE(wnd->m_bShowUserMenu);
    EXPECT_FALSE(wnd->m_bShowCouponPopup);
    EXPECT_FALSE(TakeQuit());
}

}  // namespace
