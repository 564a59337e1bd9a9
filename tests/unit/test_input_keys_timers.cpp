// Typing, keys, timer ticks, the toast, the clipboard and the messages that
// workers post, all through the real window procedure.
#include <chrono>
#include <thread>

#include "input_window.h"
#include "mainwnd/timer_ids.h"
#include "mainwnd/window_messages.h"
#include "store/image_bytes.h"
#include "store/orders_reply.h"

using input_testing::ClipboardText;
using input_testing::StartQuietWorker;
using input_testing::InputWindowTest;
using input_testing::SetClipboardText;

namespace {

constexpr wchar_t kBackspace = 8;
constexpr wchar_t kTab = 9;
constexpr wchar_t kEnter = 13;

using InputTyping = InputWindowTest;

TEST_F(InputTyping, EveryFieldStopsAtTwentyCharacters) {
    struct Field {
        Page page;
        FocusField focus;
        std::wstring CMainWnd::*text;
    };
    for (const Field& f : {Field{Page::PAGE_REDEEM, FocusField::First, &CMainWnd::m_strRedeemCode},
                           Field{Page::PAGE_LOGIN, FocusField::First, &CMainWnd::m_strAccount},
                           Field{Page::PAGE_LOGIN, FocusField::Password, &CMainWnd::m_strPassword}}) {
        wnd->m_nPage = f.page;
        wnd->m_nFocusField = f.focus;
        for (int i = 0; i < 21; ++i) Char(static_cast<wchar_t>(L'a' + i));
        EXPECT_EQ(wnd->*f.text, L"abcdefghijklmnopqrst") << f.page << " " << f.focus;
        Char(kBackspace);
        Char(L'Z');
        EXPECT_EQ(wnd->*f.text, L"abcdefghijklmnopqrsZ");
    }
}

TEST_F(InputTyping, OnlyPrintableAsciiIsTaken) {
    wnd->m_nPage = Page::PAGE_REDEEM;
    wnd->m_nFocusField = FocusField::First;
    for (wchar_t ch : {L'奥', wchar_t(1), wchar_t(31), wchar_t(127), wchar_t(0xE9), kTab, wchar_t(10)}) Char(ch);
    EXPECT_TRUE(wnd->m_strRedeemCode.empty());
    EXPECT_FALSE(wnd->m_bRedeemSubmitted);
    Char(L' ');
    Char(L'~');
    EXPECT_EQ(wnd->m_strRedeemCode, L" ~");
}

TEST_F(InputTyping, BackspaceRemovesTheLastCharacter) {
    wnd->m_nPage = Page::PAGE_LOGIN;
    wnd->m_nFocusField = FocusField::First;
    Char(L'x');
    Char(L'y');
    Char(kBackspace);
    EXPECT_EQ(wnd->m_strAccount, L"x");
    Char(kBackspace);
    Char(kBackspace);
    EXPECT_TRUE(wnd->m_strAccount.empty());
    EXPECT_EQ(wnd->m_nFocusField, FocusField::First);
}

TEST_F(InputTyping, TabAndEnterMoveTheLoginFocusAndSubmit) {
    wnd->m_nPage = Page::PAGE_LOGIN;
    wnd->m_nFocusField = FocusField::First;
    Char(kEnter);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::Password);
    EXPECT_FALSE(wnd->m_bLoginSubmitted);
    Char(L'p');
    EXPECT_EQ(wnd->m_strPassword, L"p");
    Char(kTab);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::First);
    Char(kTab);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::Password);
    Char(kEnter);
    EXPECT_TRUE(wnd->m_bLoginSubmitted);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::Password);
    EXPECT_TRUE(wnd->m_strAccount.empty());
}

TEST_F(InputTyping, EnterSubmitsTheRedeemCode) {
    wnd->m_nPage = Page::PAGE_REDEEM;
    wnd->m_nFocusField = FocusField::First;
    Char(kEnter);
    EXPECT_TRUE(wnd->m_bRedeemSubmitted);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::First);
}

TEST_F(InputTyping, IgnoredWithoutFocusOrOnOtherPages) {
    wnd->m_nPage = Page::PAGE_REDEEM;
    wnd->m_nFocusField = FocusField::None;
    Char(L'a');
    Char(kEnter);
    EXPECT_TRUE(wnd->m_strRedeemCode.empty());
    EXPECT_FALSE(wnd->m_bRedeemSubmitted);

    wnd->m_nFocusField = FocusField::Password;  // the redeem page has no second field
    Char(L'a');
    EXPECT_TRUE(wnd->m_strRedeemCode.empty());

    wnd->m_nPage = Page::PAGE_HOME;
    wnd->m_nFocusField = FocusField::First;
    Char(L'a');
    Char(kEnter);
    EXPECT_TRUE(wnd->m_strAccount.empty());
    EXPECT_TRUE(wnd->m_strRedeemCode.empty());
    EXPECT_FALSE(wnd->m_bLoginSubmitted);
}

using InputKeys = InputWindowTest;

TEST_F(InputKeys, EscapeQuitsWithZeroAndOtherKeysDoNothing) {
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYDOWN, 'Q', 0), 0);
    EXPECT_FALSE(TakeQuit());
    EXPECT_EQ(SendMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    WPARAM code = 99;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0u);
}

using InputTimerGate = InputWindowTest;

TEST_F(InputTimerGate, StartsOnlyWhenIdleAndClearsOnStop) {
    UINT_PTR& id = wnd->m_uSpinnerTimer;
    ASSERT_TRUE(wnd->StartWindowTimer(id, TIMER_SPINNER, 100000));
    EXPECT_EQ(id, TIMER_SPINNER);
    id = 77;  // a running timer is never started again
    EXPECT_TRUE(wnd->StartWindowTimer(id, TIMER_SPINNER, 100000));
    EXPECT_EQ(id, 77u);
    id = TIMER_SPINNER;
    EXPECT_TRUE(wnd->StopWindowTimer(id));
    EXPECT_EQ(id, 0u);
    EXPECT_TRUE(wnd->StopWindowTimer(id));
    EXPECT_EQ(wnd->m_nTimerThreadViolations, 0L);
}

TEST_F(InputTimerGate, RefusesAndCountsCallsFromAnotherThread) {
    ASSERT_TRUE(wnd->StartWindowTimer(wnd->m_uCountdownTimer, TIMER_COUNTDOWN, 100000));
    bool started = true;
    bool stopped = true;
    std::thread worker([&] {
        started = wnd->StartWindowTimer(wnd->m_uSpinnerTimer, TIMER_SPINNER, 50);
        stopped = wnd->StopWindowTimer(wnd->m_uCountdownTimer);
    });
    worker.join();
    EXPECT_FALSE(started);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(wnd->m_uSpinnerTimer, 0u);
    EXPECT_EQ(wnd->m_uCountdownTimer, TIMER_COUNTDOWN);
    EXPECT_EQ(wnd->m_nTimerThreadViolations, 2L);

    // No spinner tick arrives: the refused timer really was not set.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < end) {
        testing_support::PumpMessages();
        Sleep(10);
    }
    EXPECT_EQ(wnd->m_nSpinnerAngle, 0);
}

using InputTimerTicks = InputWindowTest;

TEST_F(InputTimerTicks, CountdownStopsAtZero) {
    wnd->m_bCountdownActive = true;
    wnd->m_nCountdownSeconds = 2;
    ASSERT_TRUE(wnd->StartWindowTimer(wnd->m_uCountdownTimer, TIMER_COUNTDOWN, 100000));
    Tick(TIMER_COUNTDOWN);
    EXPECT_EQ(wnd->m_nCountdownSeconds, 1);
    EXPECT_TRUE(wnd->m_bCountdownActive);
    EXPECT_NE(wnd->m_uCountdownTimer, 0u);
    Tick(TIMER_COUNTDOWN);
    EXPECT_EQ(wnd->m_nCountdownSeconds, 0);
    EXPECT_FALSE(wnd->m_bCountdownActive);
    EXPECT_EQ(wnd->m_uCountdownTimer, 0u);
    Tick(TIMER_COUNTDOWN);
    EXPECT_EQ(wnd->m_nCountdownSeconds, 0) << "an inactive countdown does not move";
}

TEST_F(InputTimerTicks, SpinnerAdvancesEightDegreesModulo360) {
    Tick(TIMER_SPINNER);
    EXPECT_EQ(wnd->m_nSpinnerAngle, 8);
    wnd->m_nSpinnerAngle = 352;
    Tick(TIMER_SPINNER);
    EXPECT_EQ(wnd->m_nSpinnerAngle, 0);
    wnd->m_nSpinnerAngle = 355;
    Tick(TIMER_SPINNER);
    EXPECT_EQ(wnd->m_nSpinnerAngle, 3);
}

TEST_F(InputTimerTicks, PayResultOpensThePaidOrder) {
    AddOrders(4);
    wnd->m_strPayOrderNo = L"NO-2";
    wnd->m_nPage = Page::PAGE_PURCHASE;
    wnd->m_bCountdownActive = true;
    wnd->m_nPayState = PayState::PAY_STATE_SUCCESS;
    ASSERT_TRUE(wnd->StartWindowTimer(wnd->m_uPayResultTimer, TIMER_PAY_RESULT, 100000));
    Tick(TIMER_PAY_RESULT);
    EXPECT_EQ(wnd->m_uPayResultTimer, 0u);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_ORDERS);
    EXPECT_FALSE(wnd->m_bCountdownActive);
    EXPECT_EQ(wnd->m_nPayState, PayState::PAY_STATE_NONE);
    EXPECT_EQ(wnd->m_nSelectedOrder, 2);
    EXPECT_TRUE(wnd->m_bShowOrderDetail);

    wnd->m_bShowOrderDetail = false;
    wnd->m_strPayOrderNo = L"NO-9";
    Tick(TIMER_PAY_RESULT);
    EXPECT_EQ(wnd->m_nSelectedOrder, 0) << "an unlisted order falls back to the first";

    wnd->m_aOrders.clear();
    wnd->m_bShowOrderDetail = false;
    Tick(TIMER_PAY_RESULT);
    EXPECT_EQ(wnd->m_nSelectedOrder, -1);
    EXPECT_TRUE(wnd->m_bShowOrderDetail);
}

TEST_F(InputTimerTicks, UnknownTimerIsIgnored) {
    wnd->m_bCountdownActive = true;
    wnd->m_bShowToast = true;
    EXPECT_EQ(Tick(99), 0);
    EXPECT_EQ(wnd->m_nCountdownSeconds, 300);
    EXPECT_EQ(wnd->m_nSpinnerAngle, 0);
    EXPECT_TRUE(wnd->m_bShowToast);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);
}

using InputClipboard = InputWindowTest;

TEST_F(InputClipboard, CopiesTheExactUnicodeText) {
    const std::wstring text = L"订单-№42 é";
    ASSERT_TRUE(wnd->CopyToClipboard(text));
    EXPECT_EQ(ClipboardText(), text);
    EXPECT_EQ(GetClipboardOwner(), hwnd);
    ASSERT_TRUE(wnd->CopyToClipboard(L""));
    EXPECT_EQ(ClipboardText(), L"");
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "an empty link is still copied";
    EXPECT_FALSE(wnd->m_bShowToast) << "the copy itself shows no toast";
}

TEST_F(InputClipboard, BusyClipboardCopiesNothingAndShowsNoToast) {
    SetClipboardText(L"marker");
    AddOrders(1);
    wnd->m_nPage = Page::PAGE_ORDERS;
    // Another thread holds the clipboard open while the window tries to copy.
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool holding = false;
    std::thread holder([&] {
        holding = OpenClipboard(nullptr) != FALSE;
        SetEvent(opened);
        WaitForSingleObject(done, 5000);
        if (holding) CloseClipboard();
    });
    WaitForSingleObject(opened, 5000);
    EXPECT_TRUE(holding);
    const bool copied = wnd->CopyToClipboard(L"x");
    Click(300, 290);  // order-number cell of row 0
    SetEvent(done);
    holder.join();
    CloseHandle(opened);
    CloseHandle(done);
    EXPECT_FALSE(copied);
    EXPECT_FALSE(wnd->m_bShowToast);
    EXPECT_EQ(wnd->m_uToastTimer, 0u);
    EXPECT_EQ(ClipboardText(), L"marker");
}

TEST_F(InputClipboard, TwoCopiesKeepOneToastTimer) {
    AddOrders(2);
    wnd->m_nPage = Page::PAGE_ORDERS;
    using clock = std::chrono::steady_clock;
    const auto first = clock::now();
    Click(300, 290);  // order-number cell of row 0
    ASSERT_TRUE(wnd->m_bShowToast);
    const UINT_PTR id = wnd->m_uToastTimer;
    ASSERT_NE(id, 0u);

    auto pumpUntil = [&](auto done, clock::time_point deadline) {
        while (!done() && clock::now() < deadline) {
            testing_support::PumpMessages();
            Sleep(5);
        }
    };
    pumpUntil([] { return false; }, first + std::chrono::milliseconds(900));
    ASSERT_TRUE(wnd->m_bShowToast);
    Click(300, 335);  // row 1
    EXPECT_EQ(ClipboardText(), L"NO-1");
    EXPECT_EQ(wnd->m_uToastTimer, id) << "the running toast timer is not restarted";

    pumpUntil([&] { return !wnd->m_bShowToast; }, first + std::chrono::milliseconds(3000));
    const auto gone = std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - first).count();
    EXPECT_FALSE(wnd->m_bShowToast);
    EXPECT_EQ(wnd->m_uToastTimer, 0u);
    // 1500 ms after the first copy; a restarted timer would take 2400 ms.
    EXPECT_GE(gone, 1450);
    EXPECT_LT(gone, 2250);

    // It fired once: nothing shows again without a new copy.
    pumpUntil([] { return false; }, clock::now() + std::chrono::milliseconds(300));
    EXPECT_FALSE(wnd->m_bShowToast);
}

using InputWorkerMessages = InputWindowTest;

// A parsed orders reply of n records, asked for as request number sequence.
OrdersFetch Orders(int n, uint64_t sequence) {
    OrdersFetch fetch;
    fetch.outcome = OrdersFetch::Outcome::Parsed;
    fetch.sequence = sequence;
    for (int i = 0; i < n; ++i) {
        OrderInfo order;
        order.order_no = L"R-" + std::to_wstring(i);
        fetch.orders.push_back(order);
    }
    return fetch;
}

FetchedImage Picture(int w, int h) {
    FetchedImage image;
    image.replied = true;
    image.bitmap.reset(CreateBitmap(w, h, 1, 32, nullptr));
    return image;
}

TEST_F(InputWorkerMessages, EveryReportAppliesWhatArrivedInOrder) {
    // Results wait in the queue until a report message reaches the window.
    std::vector<int> applied;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(wnd->m_results->Deliver(OnWindowThread([&applied, i](CMainWnd&) { applied.push_back(i); }),
                                            i == 1 ? WM_ORDERS_LOADED : WM_PAYMENT_UPDATE));
    }
    EXPECT_TRUE(applied.empty());
    testing_support::PumpMessages();
    EXPECT_EQ(applied, (std::vector<int>{0, 1, 2}));
    // A report with nothing pending is harmless.
    for (UINT m : {WM_PAYMENT_UPDATE, WM_ORDERS_LOADED, WM_SUPPORT_LOADED, WM_PAY_QR_READY}) {
        EXPECT_EQ(SendMessageW(hwnd, m, 0, 0), 0);
    }
}

TEST_F(InputWorkerMessages, OnlyTheLatestWorkerOfAKindEndsItsLoadingStateAndNoListGoesBackInTime) {
    const WorkerTicket first = StartQuietWorker(wnd->m_ordersWorker);
    const WorkerTicket second = StartQuietWorker(wnd->m_ordersWorker);
    wnd->ApplyOrdersLoaded(first, Orders(2, 1));
    EXPECT_EQ(wnd->m_aOrders.size(), 2u) << "a retired worker's list is still the freshest so far";
    EXPECT_TRUE(wnd->m_ordersWorker.Running()) << "the loading line waits for the latest worker";
    wnd->m_nOrderPage = 3;
    wnd->ApplyOrdersLoaded(second, Orders(7, 3));
    EXPECT_EQ(wnd->m_aOrders.size(), 7u);
    EXPECT_EQ(wnd->m_nOrderPage, 0);
    EXPECT_FALSE(wnd->m_ordersWorker.Running());
    // A list asked for before the one shown, however late it lands, changes nothing.
    wnd->m_nOrderPage = 1;
    wnd->ApplyOrders(Orders(1, 2));
    EXPECT_EQ(wnd->m_aOrders.size(), 7u);
    EXPECT_EQ(wnd->m_nOrderPage, 1);

    const int gdi = testing_support::CountGdiObjects();
    const WorkerTicket stale = StartQuietWorker(wnd->m_supportWorker);
    const WorkerTicket latest = StartQuietWorker(wnd->m_supportWorker);
    HBITMAP builtIn = wnd->m_hbmpSupport;
    wnd->ApplySupportImage(stale, Picture(8, 8));  // stale: freed, nothing replaced
    EXPECT_EQ(wnd->m_hbmpSupport, builtIn);
    EXPECT_TRUE(wnd->m_supportWorker.Running());
    wnd->ApplySupportImage(latest, Picture(9, 9));
    BITMAP bm = {};
    ASSERT_EQ(GetObjectW(wnd->m_hbmpSupport, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 9);
    EXPECT_FALSE(wnd->m_supportWorker.Running());
    EXPECT_EQ(testing_support::CountGdiObjects(), gdi) << "one picture in, one out, the stale one freed";
    wnd->ApplySupportImage(latest, FetchedImage());  // no reply: the picture stays
    EXPECT_NE(wnd->m_hbmpSupport, nullptr);
}

TEST_F(InputWorkerMessages, QrReadyShowsTheQrStopsTheSpinnerAndStartsTheOnePoller) {
    const WorkerTicket stale = StartQuietWorker(wnd->m_resumeWorker);
    const WorkerTicket resume = StartQuietWorker(wnd->m_resumeWorker);
    ASSERT_TRUE(wnd->StartWindowTimer(wnd->m_uSpinnerTimer, TIMER_SPINNER, 100000));
    wnd->ApplyResumeQr(stale, L"STALE", Picture(4, 4));
    EXPECT_EQ(wnd->m_hbmpPayQR, nullptr);
    EXPECT_NE(wnd->m_uSpinnerTimer, 0u);
    EXPECT_FALSE(wnd->m_payPollWorker.Running());

    ASSERT_TRUE(wnd->m_results->Deliver(OnWindowThread([resume](CMainWnd& w) {
                                            w.ApplyResumeQr(resume, L"NO-1", Picture(4, 4));
                                        }),
                                        WM_PAY_QR_READY));
    testing_support::PumpMessages();
    EXPECT_NE(wnd->m_hbmpPayQR, nullptr);
    EXPECT_EQ(wnd->m_uSpinnerTimer, 0u);
    EXPECT_EQ(wnd->m_strPayOrderNo, L"NO-1");
    EXPECT_FALSE(wnd->m_resumeWorker.Running());
    ASSERT_TRUE(wnd->m_payPollWorker.Running());
    EXPECT_EQ(wnd->m_strPolledOrderNo, L"NO-1");
    const WorkerTicket firstPoller = wnd->m_payPollWorker.Ticket();
    wnd->SetPayOrderNo(L"NO-2");
    EXPECT_EQ(wnd->m_strPolledOrderNo, L"NO-2") << "a poller asks about the order in progress";
    EXPECT_FALSE(wnd->m_payPollWorker.IsCurrent(firstPoller)) << "the first poller's answers are stale now";

    // Stopping does not wait for the poller's thread.
    const ULONGLONG before = GetTickCount64();
    wnd->StopPayPolling();
    EXPECT_LT(GetTickCount64() - before, 50u);
    EXPECT_FALSE(wnd->m_payPollWorker.Running());
    EXPECT_EQ(wnd->m_strPayOrderNo, L"NO-2");
    EXPECT_EQ(wnd->m_nTimerThreadViolations, 0L);
}

TEST_F(InputWorkerMessages, PollStatusesMoveOnlyTheirOwnOrderFromTheCurrentPoller) {
    struct Case {
        const wchar_t* status;
        PayState state;
        bool member;
    };
    const Case cases[] = {
        {L"pending", PayState::PAY_STATE_NONE, false}, {L"error", PayState::PAY_STATE_NONE, false},
        {L"SUCCESS", PayState::PAY_STATE_NONE, false}, {L"Payed", PayState::PAY_STATE_NONE, false},
        {L"success", PayState::PAY_STATE_SUCCESS, true}, {L"payed", PayState::PAY_STATE_SUCCESS, true},
        {L"failed", PayState::PAY_STATE_FAILED, false}, {L"expired", PayState::PAY_STATE_FAILED, false},
    };
    uint64_t sequence = 0;
    for (const Case& c : cases) {
        const std::string name = testing::PrintToString(std::wstring(c.status));
        wnd->m_nPayState = PayState::PAY_STATE_NONE;
        wnd->m_strLevel.clear();
        wnd->m_aOrders.clear();
        wnd->StopWindowTimer(wnd->m_uPayResultTimer);
        ASSERT_TRUE(wnd->StartWindowTimer(wnd->m_uCountdownTimer, TIMER_COUNTDOWN, 100000));
        wnd->m_strPayOrderNo = L"NO-1";
        wnd->StartPayPolling();
        const WorkerTicket stale = wnd->m_payPollWorker.Ticket();
        wnd->StartPayPolling();
        const WorkerTicket current = wnd->m_payPollWorker.Ticket();
        // Neither a retired poller nor an answer about another order moves the
        // payment; a payment they report still makes the user a member.
        wnd->ApplyPollStatus(stale, L"NO-1", c.status, Orders(1, ++sequence));
        wnd->ApplyPollStatus(current, L"NO-0", c.status, Orders(1, ++sequence));
        EXPECT_EQ(wnd->m_nPayState, PayState::PAY_STATE_NONE) << name;
        EXPECT_EQ(wnd->m_uPayResultTimer, 0u) << name;
        EXPECT_NE(wnd->m_uCountdownTimer, 0u) << name;
        EXPECT_EQ(wnd->m_strLevel == L"vip", c.member) << name;
        EXPECT_TRUE(wnd->m_payPollWorker.Running()) << name;

        wnd->m_strLevel.clear();
        wnd->m_aOrders.clear();
        wnd->m_nOrdersSequence = 0;
        wnd->ApplyPollStatus(current, L"NO-1", c.status, Orders(1, ++sequence));
        EXPECT_EQ(wnd->m_nPayState, c.state) << name;
        EXPECT_EQ(wnd->m_strLevel == L"vip", c.member) << name;
        EXPECT_EQ(wnd->m_aOrders.size(), c.member ? 1u : 0u) << "the orders are refreshed on payment";
        EXPECT_EQ(wnd->m_uCountdownTimer == 0, c.member) << "the countdown stops on payment only";
        EXPECT_EQ(wnd->m_uPayResultTimer != 0, c.state != PayState::PAY_STATE_NONE) << name;
        EXPECT_EQ(wnd->m_payPollWorker.Running(), c.state == PayState::PAY_STATE_NONE) << "a final answer ends the poller";
    }
    wnd->StopPayPolling();
    EXPECT_EQ(wnd->m_nTimerThreadViolations, 0L);
}

}  // namespace
