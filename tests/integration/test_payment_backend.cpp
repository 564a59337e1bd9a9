// The payment flow in a real window against the test backend: the intent's
// exact body, the QR code, polling until paid, refused or lapsed, the result
// timer, resuming payable orders, and the one-poller rule. Every flow also
// checks that no timer was touched from a worker thread.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/backend_control.h"
#include "integration/flow_window.h"
#include "mainwnd/timer_ids.h"
#include "store/http.h"
#include "util/text.h"

namespace {

// Click points at 96 DPI.
constexpr POINT kHomeBtn = {50, 75};
constexpr POINT kInstallBtn = {600, 460};

std::string Data(const std::string& data) { return R"({"code":0,"msg":"ok","data":)" + data + "}"; }

std::string Narrow(const std::wstring& w) { return WideToUtf8(w); }

std::vector<backend::Received> RequestsTo(const std::string& prefix) {
    std::vector<backend::Received> out;
    for (const backend::Received& r : backend::Requests()) {
        if (r.target.compare(0, prefix.size(), prefix) == 0) out.push_back(r);
    }
    return out;
}

// Creates a real pending order for machine at the backend; its number.
std::wstring CreateOrder(const std::wstring& machine, bool discount) {
    std::string reply;
    const std::string body = R"({"machine_code":")" + Narrow(machine) + R"(","game_name":"x","channel_code":"c",)" +
                             R"("apply_discount":)" + (discount ? "true" : "false") + "}";
    HttpRequest(BuildApiUrl(backend::ApiBase(), L"pay_intent"), L"POST", body, reply);
    const size_t at = reply.find("\"pay_order_no\":\"");
    if (at == std::string::npos) return std::wstring();
    const size_t start = at + 16;
    return Utf8ToWide(reply.substr(start, reply.find('"', start) - start));
}

}  // namespace

TEST(PaymentFlow, PurchaseShowsTheQrPollsAndLandsOnThePaidOrder) {
    REQUIRE_BACKEND();
    FlowWindow w(L"USER-FLOW-PAID");
    ASSERT_FALSE(w->m_aVersions.empty());
    w->m_nSelectedVersion = 1;
    w.Click(kInstallBtn);
    EXPECT_EQ(w->m_nPage, Page::PAGE_PURCHASE);
    EXPECT_NE(w->m_uSpinnerTimer, 0u) << "the loading animation runs while the QR is fetched";
    EXPECT_NE(w->m_uCountdownTimer, 0u);
    ASSERT_TRUE(w.WaitForQr());
    EXPECT_EQ(w->m_uSpinnerTimer, 0u);

    const auto intents = RequestsTo("/api/v1/pay_intent");
    ASSERT_EQ(intents.size(), 1u);
    EXPECT_EQ(intents[0].method, "POST");
    EXPECT_EQ(intents[0].contentType, "application/json");
    EXPECT_EQ(intents[0].bodyText, R"({"machine_code":"USER-FLOW-PAID","game_name":")" +
                                       Narrow(w->m_aVersions[1].name) +
                                       R"(","channel_code":"chan-7","apply_discount":false})");
    const std::wstring orderNo = w->m_strPayOrderNo;
    ASSERT_FALSE(orderNo.empty());
    EXPECT_NEAR(w->m_nCountdownSeconds, 300, 3) << "the backend's 300 s, ticking";
    const auto qr = RequestsTo("/api/v1/pay_qr");
    ASSERT_EQ(qr.size(), 1u);
    EXPECT_EQ(qr[0].target, "/api/v1/pay_qr?order_no=" + Narrow(orderNo));

    // About one status request a second while the order waits.
    w.Pump(2500);
    const int polls = backend::CountRequests("/api/v1/pay_status?order_no=" + Narrow(orderNo));
    EXPECT_GE(polls, 2);
    EXPECT_LE(polls, 4);
    EXPECT_EQ(w->m_nPayState, PayState::PAY_STATE_NONE);

    ASSERT_TRUE(backend::SetOrderStatus(orderNo, "success"));
    ASSERT_TRUE(w.PumpUntil([&] { return w->m_nPayState == PayState::PAY_STATE_SUCCESS; }, 5000));
    const ULONGLONG paidAt = GetTickCount64();
    EXPECT_EQ(w->m_strLevel, L"vip");
    EXPECT_EQ(w->m_uCountdownTimer, 0u);
    EXPECT_NE(w->m_uPayResultTimer, 0u);
    ASSERT_FALSE(w->m_aOrders.empty()) << "the orders were refreshed with the payment";
    EXPECT_EQ(w->m_aOrders[0].order_no, orderNo);
    EXPECT_EQ(w->m_aOrders[0].status, OrderStatus::Completed);

    ASSERT_TRUE(w.PumpUntil([&] { return w->m_nPage == Page::PAGE_ORDERS; }, 5000));
    EXPECT_GE(GetTickCount64() - paidAt, 1000u) << "the success card stays for 1.2 s";
    EXPECT_TRUE(w->m_bShowOrderDetail);
    EXPECT_EQ(w->m_nSelectedOrder, 0);
    EXPECT_EQ(w->m_nPayState, PayState::PAY_STATE_NONE);
    EXPECT_EQ(w->m_uPayResultTimer, 0u);
    EXPECT_FALSE(w->m_payPollWorker.Running()) << "a paid order ends the poller";
    const int after = backend::CountRequests("/api/v1/pay_status");
    w.Pump(1500);
    EXPECT_EQ(backend::CountRequests("/api/v1/pay_status"), after);
    EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
}

TEST(PaymentFlow, CouponPurchaseAsksForTheDiscountAndARefusalFailsAfterTwoSeconds) {
    REQUIRE_BACKEND();
    FlowWindow w(L"USER-FLOW-COUPON");
    EXPECT_DOUBLE_EQ(w->m_dPromoPrice, 29.9);
    w->m_strPayOrderNo = L"OLD";
    w->StartCouponPurchase();
    EXPECT_DOUBLE_EQ(w->m_dCouponPrice, 29.9);
    EXPECT_EQ(w->FormatPrice(), L"29.90");
    ASSERT_TRUE(w.WaitForQr());
    const auto intents = RequestsTo("/api/v1/pay_intent");
    ASSERT_EQ(intents.size(), 1u);
    EXPECT_NE(intents[0].bodyText.find(R"("apply_discount":true})"), std::string::npos) << intents[0].bodyText;
    EXPECT_NE(w->m_strPayOrderNo, L"OLD");

    ASSERT_TRUE(backend::SetOrderStatus(w->m_strPayOrderNo, "failed"));
    ASSERT_TRUE(w.PumpUntil([&] { return w->m_nPayState == PayState::PAY_STATE_FAILED; }, 5000));
    const ULONGLONG failedAt = GetTickCount64();
    EXPECT_TRUE(w->m_strLevel.empty());
    ASSERT_TRUE(w.PumpUntil([&] { return w->m_nPage == Page::PAGE_ORDERS; }, 6000));
    EXPECT_GE(GetTickCount64() - failedAt, 1800u);
    EXPECT_TRUE(w->m_bShowOrderDetail);
    EXPECT_EQ(w->m_aOrders.at(w->m_nSelectedOrder).status, OrderStatus::Failed);
    EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
}

TEST(PaymentFlow, IntentCountdownUndecodableQrAndErrorsKeepPollingUntilHome) {
    REQUIRE_BACKEND();
    FlowWindow w(L"USER-FLOW-SCRIPTED");
    struct Case {
        int offerMinutes;
        const char* countdown;
        int seconds;
    };
    for (const Case& c : {Case{10, "0", 600}, Case{0, "0", 300}, Case{10, "99999999999", 86400}}) {
        ASSERT_TRUE(backend::Reset());
        ASSERT_TRUE(backend::Script("pay_intent", "[" + backend::BodyReply(Data(
            std::string(R"({"pay_order_no":"S-1","current_price":39,"countdown_seconds":)") + c.countdown + "}")) + "]"));
        ASSERT_TRUE(backend::Script("pay_qr", "[" + backend::BodyReply("not a picture") + "]"));
        // Status replies without a data object: "error", and polling goes on.
        ASSERT_TRUE(backend::Script("pay_status", "[" + backend::BodyReply(R"({"code":0,"status":"success"})") + "," +
                                                      backend::BodyReply("") + "]"));
        w->StopPayPolling();
        w->m_offer.countdown_minutes = c.offerMinutes;
        w->m_nSelectedVersion = 0;
        w->StartPurchase();
        ASSERT_TRUE(w.PumpUntil([&] { return w->m_payPollWorker.Running(); }, 10000)) << c.countdown;
        EXPECT_NEAR(w->m_nCountdownSeconds, c.seconds, 3) << c.countdown;
        EXPECT_EQ(w->m_strPayOrderNo, L"S-1");
        EXPECT_EQ(w->m_hbmpPayQR, nullptr) << "a reply that is no image leaves no QR";
        EXPECT_EQ(w->m_uSpinnerTimer, 0u);
    }
    w.Pump(3200);
    const int polls = backend::CountRequests("/api/v1/pay_status?order_no=S-1");
    EXPECT_GE(polls, 3);
    EXPECT_LE(polls, 5);
    EXPECT_EQ(w->m_nPayState, PayState::PAY_STATE_NONE);

    const ULONGLONG before = GetTickCount64();
    w.Click(kHomeBtn);
    EXPECT_LT(GetTickCount64() - before, 2000u);
    EXPECT_EQ(w->m_nPage, Page::PAGE_HOME);
    EXPECT_FALSE(w->m_payPollWorker.Running());
    EXPECT_EQ(w->m_strPayOrderNo, L"S-1") << "home keeps the order in progress";
    const int stopped = backend::CountRequests("/api/v1/pay_status");
    w.Pump(1500);
    EXPECT_EQ(backend::CountRequests("/api/v1/pay_status"), stopped);
    EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
}

TEST(PaymentFlow, PayedAndSuccessAreAlikeAndOtherCaseStaysPending) {
    REQUIRE_BACKEND();
    for (const char* word : {"payed", "success"}) {
        ASSERT_TRUE(backend::Reset());
        FlowWindow w(L"USER-FLOW-WORDS");
        ASSERT_TRUE(backend::Script("pay_intent", "[" + backend::BodyReply(Data(R"({"pay_order_no":"W-1"})")) + "]"));
        ASSERT_TRUE(backend::Script("pay_status", "[" + backend::BodyReply(Data(R"({"status":"Success"})")) + "," +
                                                      backend::BodyReply(Data(R"({"status":"PAYED"})")) + "," +
                                                      backend::BodyReply(Data(std::string(R"({"status":")") + word +
                                                                              "\"}")) + "]"));
        w->StartPurchase();
        ASSERT_TRUE(w.PumpUntil([&] { return w->m_nPayState != PayState::PAY_STATE_NONE; }, 8000)) << word;
        EXPECT_EQ(w->m_nPayState, PayState::PAY_STATE_SUCCESS) << word;
        EXPECT_EQ(backend::CountRequests("/api/v1/pay_status?order_no=W-1"), 3) << word;
        EXPECT_EQ(w->m_strLevel, L"vip");
    }
}

TEST(PaymentFlow, ResumeTakesThePendingOrderAtThePriceToPay) {
    REQUIRE_BACKEND();
    const std::wstring machine = L"USER-FLOW-RESUME";
    const std::wstring other = CreateOrder(machine, false);
    const std::wstring match = CreateOrder(machine, false);
    ASSERT_FALSE(other.empty());
    ASSERT_FALSE(match.empty());
    FlowWindow w(machine);
    w->m_aOrders.clear();
    OrderInfo letters;
    letters.order_no = other;
    letters.amount_text = L"CNY39.00";
    letters.status = OrderStatus::Pending;
    OrderInfo yen = letters;
    yen.order_no = match;
    yen.amount_text = L"¥39.00";
    w->m_aOrders = {letters, yen};
    w->m_nPage = Page::PAGE_PURCHASE;
    ASSERT_TRUE(backend::Reset());

    w->StartResumeWorker();
    ASSERT_TRUE(w.PumpUntil([&] { return w->m_payPollWorker.Running(); }, 8000));
    EXPECT_EQ(w->m_strPayOrderNo, match);
    EXPECT_NE(w->m_hbmpPayQR, nullptr);
    EXPECT_FALSE(w->m_resumeWorker.Running());
    EXPECT_EQ(backend::CountRequests("/api/v1/pay_status?order_no=" + Narrow(other)), 0)
        << "a letter currency never matches the price";
    EXPECT_EQ(backend::CountRequests("/api/v1/pay_intent"), 0) << "a resume never creates an order";
    EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
}

// An order paid meanwhile, in either of the backend's words for paid: the
// next status reply names it so.
constexpr const char* kPaidWords[] = {"success", "payed"};

bool ScriptPaidStatus(const char* word) {
    return backend::Script("pay_status",
                           "[" + backend::BodyReply(Data(std::string(R"({"status":")") + word + "\"}")) + "]");
}

TEST(PaymentFlow, ResumeOfAnOrderPaidMeanwhileShowsSuccessWithoutALevelChange) {
    REQUIRE_BACKEND();
    for (const char* word : kPaidWords) {
        SCOPED_TRACE(word);
        const std::wstring machine = L"USER-FLOW-PAIDMEANWHILE";
        const std::wstring orderNo = CreateOrder(machine, false);
        ASSERT_TRUE(backend::SetOrderStatus(orderNo, "success"));
        FlowWindow w(machine);
        ASSERT_TRUE(ScriptPaidStatus(word));
        w->m_aOrders.clear();
        w->m_strPayOrderNo = orderNo;
        w->m_nPage = Page::PAGE_PURCHASE;
        w->StartResumeWorker();
        ASSERT_TRUE(w.PumpUntil([&] { return w->m_nPayState == PayState::PAY_STATE_SUCCESS; }, 8000));
        EXPECT_TRUE(w->m_strLevel.empty());
        EXPECT_EQ(w->m_uPayResultTimer, 0u) << "the card stays until the user leaves";
        EXPECT_FALSE(w->m_payPollWorker.Running());
    }
}

TEST(PaymentFlow, PendingOrderOnTheOrdersPageResumesOrOpensWhenPaid) {
    REQUIRE_BACKEND();
    for (const char* word : kPaidWords) {
        SCOPED_TRACE(word);
        const std::wstring machine = std::wstring(L"USER-FLOW-ORDERSPAGE-") + (word[0] == 's' ? L"S" : L"P");
        const std::wstring orderNo = CreateOrder(machine, false);
        FlowWindow w(machine);
        w->FetchOrders();
        ASSERT_EQ(w->m_aOrders.size(), 1u);
        ASSERT_EQ(w->m_aOrders[0].status, OrderStatus::Pending);
        w->m_nPage = Page::PAGE_ORDERS;
        w.Click({930, 290});  // status cell of row 0
        EXPECT_EQ(w->m_nPage, Page::PAGE_PURCHASE);
        EXPECT_EQ(w->m_strPayOrderNo, orderNo);
        ASSERT_TRUE(w.PumpUntil([&] { return w->m_payPollWorker.Running(); }, 8000));
        EXPECT_NE(w->m_hbmpPayQR, nullptr);

        // Paid in the meantime: the cell opens the order instead.
        w->StopPayPolling();
        ASSERT_TRUE(backend::SetOrderStatus(orderNo, "success"));
        ASSERT_TRUE(ScriptPaidStatus(word));
        w->m_nPage = Page::PAGE_ORDERS;
        w.Click({930, 290});
        EXPECT_EQ(w->m_nPage, Page::PAGE_ORDERS);
        EXPECT_TRUE(w->m_bShowOrderDetail);
        EXPECT_EQ(w->m_nSelectedOrder, 0);
    }
}

TEST(PaymentFlow, RapidHomeAndInstallPressesLeaveOnePoller) {
    REQUIRE_BACKEND();
    FlowWindow w(L"USER-FLOW-RAPID");
    for (int i = 0; i < 4; ++i) {
        w.Click(kInstallBtn);
        w.Pump(150 + 100 * i);
        w.Click(kHomeBtn);
    }
    w.Click(kInstallBtn);
    ASSERT_TRUE(w.WaitForQr());
    w.Pump(500);
    const int before = backend::CountRequests("/api/v1/pay_status");
    w.Pump(4000);
    const int polls = backend::CountRequests("/api/v1/pay_status") - before;
    EXPECT_GE(polls, 3);
    EXPECT_LE(polls, 5) << "more than one poller is asking";
    EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
}

TEST(PaymentFlow, ResultTimerFallsBackToTheFirstOrder) {
    REQUIRE_BACKEND();
    const std::wstring machine = L"USER-FLOW-FALLBACK";
    CreateOrder(machine, false);
    CreateOrder(machine, true);
    FlowWindow w(machine);
    w->m_strPayOrderNo = L"NOT-LISTED";
    w->m_nPayState = PayState::PAY_STATE_FAILED;
    w->StartWindowTimer(w->m_uPayResultTimer, TIMER_PAY_RESULT, 10);
    ASSERT_TRUE(w.PumpUntil([&] { return w->m_nPage == Page::PAGE_ORDERS; }, 3000));
    EXPECT_EQ(w->m_aOrders.size(), 2u) << "the timer fetches the orders itself";
    EXPECT_EQ(w->m_nSelectedOrder, 0);
    EXPECT_TRUE(w->m_bShowOrderDetail);
}
