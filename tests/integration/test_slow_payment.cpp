// The payment flow against a slow backend: one reply held back while the
// user moves on. Each flow checks that a late result acts only on what it is
// about: the QR and the polled order stay the order in progress, a status
// moves only its own order, nothing after home or close moves the page or
// starts a poller, an older orders list never replaces a newer one, and a
// stop neither waits nor lets two status exchanges run at once.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "integration/backend_control.h"
#include "integration/flow_window.h"
#include "store/http.h"
#include "util/text.h"

namespace {

// Click points at 96 DPI.
constexpr POINT kHomeBtn = {50, 75};
constexpr POINT kInstallBtn = {600, 460};
constexpr POINT kCloseBtn = {1180, 25};
constexpr POINT kCouponConfirm = {700, 460};
constexpr POINT kPurchaseSelector = {300, 230};
constexpr POINT kPurchaseListRow1 = {300, 300};

// A 1 x 1 PNG: a QR that arrives late is told from the backend's real ones by its size.
const char kLatePng[] = "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGM4IacBAALAAQ/aQIG5AAAAAElFTkSuQmCC";

std::string Narrow(const std::wstring& w) { return WideToUtf8(w); }

std::string Data(const std::string& data) { return R"({"code":0,"msg":"ok","data":)" + data + "}"; }

std::string Held(int ms) { return "\"delay_ms\":" + std::to_string(ms); }

// A status reply for orderNo, held back for ms.
std::string HeldStatus(const std::wstring& orderNo, const char* status, int ms) {
    return backend::BodyReply(
        Data(std::string(R"({"status":")") + status + R"(","order_no":")" + Narrow(orderNo) + "\"}"), 200, Held(ms));
}

std::string HeldOrders(const std::string& orderNo, const char* status, int ms) {
    return backend::BodyReply(Data(R"([{"order_no":")" + orderNo + R"(","status":")" + status +
                                   R"(","game_name":"old","pay_amount":39}])"),
                              200, Held(ms));
}

// Creates a real pending order for machine; its number.
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

std::vector<backend::Received> RequestsTo(const std::string& prefix) {
    std::vector<backend::Received> out;
    for (const backend::Received& r : backend::Requests()) {
        if (r.target.compare(0, prefix.size(), prefix) == 0) out.push_back(r);
    }
    return out;
}

std::string StatusTarget(const std::wstring& orderNo) { return "/api/v1/pay_status?order_no=" + Narrow(orderNo); }

int QrWidth(HBITMAP bmp) {
    BITMAP bm = {};
    return bmp && GetObjectW(bmp, sizeof(bm), &bm) ? bm.bmWidth : 0;
}

// Waits, pumping, until the backend has received a request starting with prefix.
bool Arrived(FlowWindow& w, const std::string& prefix, int count = 1) {
    return w.PumpUntil([&] { return backend::CountRequests(prefix) >= count; }, 8000);
}

}  // namespace

// The QR on screen, the order in progress and the order polled are one order,
// whichever of two workers answers last.
TEST(SlowPayment, TheQrShownTheOrderInProgressAndThePolledOrderAreOne) {
    REQUIRE_BACKEND();
    struct Case {
        const char* name;
        // Starts a payment whose QR reply is held back, then moves on; returns
        // the order that must end up in progress (a the pending order).
        std::function<std::wstring(FlowWindow&, const std::wstring& a)> run;
    };
    const Case cases[] = {
        {"another version while the intent's QR loads",
         [](FlowWindow& w, const std::wstring& a) {
             w.Click(kInstallBtn);
             EXPECT_TRUE(Arrived(w, "/api/v1/pay_qr"));
             w.Click(kPurchaseSelector);
             w.Click(kPurchaseListRow1);
             return a;
         }},
        {"a pending order resumed while the intent's QR loads",
         [](FlowWindow& w, const std::wstring& a) {
             w.Click(kInstallBtn);
             EXPECT_TRUE(Arrived(w, "/api/v1/pay_qr"));
             w->ResumeOrPayOrder(0);
             return a;
         }},
        {"the coupon taken while a resume's QR loads",
         [](FlowWindow& w, const std::wstring&) {
             w->m_nPage = Page::PAGE_PURCHASE;
             w->StartResumeWorker();
             EXPECT_TRUE(Arrived(w, "/api/v1/pay_qr"));
             w->StartCouponPurchase();
             EXPECT_TRUE(w.PumpUntil([&] { return backend::CountRequests("/api/v1/pay_intent") == 1; }, 8000));
             return std::wstring();  // the coupon's own order
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring machine = L"USER-SLOW-QR-" + std::to_wstring(n++);
        const std::wstring a = CreateOrder(machine, false);
        ASSERT_FALSE(a.empty());
        FlowWindow w(machine);
        ASSERT_GE(w->m_aVersions.size(), 2u);
        w->FetchOrders();
        ASSERT_EQ(w->m_aOrders.size(), 1u);
        ASSERT_TRUE(backend::Reset());
        ASSERT_TRUE(backend::Script("pay_qr", std::string("[{") + Held(1500) + R"(,"body_b64":")" + kLatePng + "\"}]"));

        std::wstring expected = c.run(w, a);
        w.Pump(3000);  // the held QR has landed by now
        if (expected.empty()) {
            const auto intents = RequestsTo("/api/v1/pay_intent");
            ASSERT_EQ(intents.size(), 1u);
            EXPECT_NE(intents[0].bodyText.find(R"("apply_discount":true)"), std::string::npos);
            expected = w->m_strPayOrderNo;
            EXPECT_NE(expected, a) << "a late resume replaced the coupon's order";
        }
        EXPECT_EQ(w->m_strPayOrderNo, expected);
        EXPECT_GT(QrWidth(w->m_hbmpPayQR), 1) << "the late QR of another order is shown";
        EXPECT_EQ(w->m_strPolledOrderNo, expected);
        const auto polls = RequestsTo("/api/v1/pay_status?order_no=");
        ASSERT_FALSE(polls.empty());
        EXPECT_EQ(polls.back().target, StatusTarget(expected));

        // The user pays what is shown, and the page says so.
        ASSERT_TRUE(backend::SetOrderStatus(expected, "success"));
        EXPECT_TRUE(w.PumpUntil([&] { return w->m_nPayState == PayState::PAY_STATE_SUCCESS; }, 5000));
        EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
    }
}

// A status answer moves only the order it was asked about.
TEST(SlowPayment, AHeldStatusOfTheOldOrderLeavesTheNewOnePending) {
    REQUIRE_BACKEND();
    for (const char* status : {"expired", "success"}) {
        SCOPED_TRACE(status);
        const std::wstring machine = L"USER-SLOW-STATUS-" + Utf8ToWide(status);
        const std::wstring old = CreateOrder(machine, false);
        const std::wstring now = CreateOrder(machine, false);
        FlowWindow w(machine);
        ASSERT_TRUE(backend::Reset());
        ASSERT_TRUE(backend::Script("pay_status", "[" + HeldStatus(old, status, 1500) + "]"));
        w->m_nPage = Page::PAGE_PURCHASE;
        w->m_strPayOrderNo = old;
        w->StartPayPolling();
        ASSERT_TRUE(Arrived(w, StatusTarget(old)));
        w->SetPayOrderNo(now);

        w.Pump(3500);
        EXPECT_EQ(w->m_nPayState, PayState::PAY_STATE_NONE);
        EXPECT_EQ(w->m_uPayResultTimer, 0u);
        EXPECT_EQ(w->m_nPage, Page::PAGE_PURCHASE);
        EXPECT_FALSE(w->m_bShowOrderDetail);
        EXPECT_EQ(w->m_strPayOrderNo, now);
        EXPECT_GE(backend::CountRequests(StatusTarget(now)), 1) << "the new order is polled";
        EXPECT_TRUE(w->m_payPollWorker.Running());
        EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
    }
}

// Home or close while a "success" is on its way: the user stays where they
// went. A payment that does land still makes them a member, and then the
// coupon popup no longer offers a purchase.
TEST(SlowPayment, NothingLandingAfterHomeOrCloseMovesTheUser) {
    REQUIRE_BACKEND();
    struct Case {
        const char* name;
        POINT leave;
        int heldMs;  // 0: the answer is in before the click, applied after it
    };
    for (const Case& c : {Case{"home, answer in flight", kHomeBtn, 1500},
                          Case{"close, answer in flight", kCloseBtn, 1500},
                          Case{"close, answer waiting to be applied", kCloseBtn, 0}}) {
        SCOPED_TRACE(c.name);
        const std::wstring machine = L"USER-SLOW-LEAVE-" + std::to_wstring(c.leave.x) + L"-" + std::to_wstring(c.heldMs);
        const std::wstring order = CreateOrder(machine, false);
        FlowWindow w(machine);
        ASSERT_TRUE(backend::Reset());
        ASSERT_TRUE(backend::Script("pay_status", "[" + HeldStatus(order, "success", c.heldMs) + "]"));
        ASSERT_TRUE(backend::SetOrderStatus(order, "success"));
        w->m_nPage = Page::PAGE_PURCHASE;
        w->m_strPayOrderNo = order;
        w->StartPayPolling();
        if (c.heldMs > 0) {
            ASSERT_TRUE(Arrived(w, StatusTarget(order)));
        } else {
            // Not pumped: the poller's answer waits in the queue for the click.
            const ULONGLONG end = GetTickCount64() + 8000;
            while (backend::CountRequests("/api/v1/orders/latest") == 0 && GetTickCount64() < end) Sleep(20);
            Sleep(300);
        }
        w.Click(c.leave);
        const Page page = w->m_nPage;
        w.Pump(3000);
        EXPECT_EQ(w->m_nPage, page);
        EXPECT_EQ(w->m_uPayResultTimer, 0u);
        EXPECT_FALSE(w->m_bShowOrderDetail);
        EXPECT_FALSE(w->m_payPollWorker.Running());
        if (c.heldMs == 0) {
            EXPECT_EQ(w->m_strLevel, L"vip") << "a payment that was answered counts";
        }
        if (w->m_strLevel == L"vip") {
            EXPECT_FALSE(w->m_bShowCouponPopup) << "a member is offered no coupon";
            w.Click(kCouponConfirm);
            w.Pump(300);
            EXPECT_EQ(backend::CountRequests("/api/v1/pay_intent"), 0) << "a coupon purchase for a member";
        }
        EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
    }
}

// An orders list asked for earlier never replaces one asked for later.
TEST(SlowPayment, ALateOlderOrdersListLeavesTheNewerSelectionAndDialog) {
    REQUIRE_BACKEND();
    struct Case {
        const char* name;
        std::function<void(FlowWindow&)> startHeldFetch;
    };
    const Case cases[] = {
        {"orders worker", [](FlowWindow& w) { w->StartOrdersWorker(); }},
        {"resume worker",
         [](FlowWindow& w) {
             w->m_aOrders.clear();
             w->m_strPayOrderNo.clear();
             w->StartResumeWorker();
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring machine = L"USER-SLOW-LIST-" + std::to_wstring(n++);
        for (int i = 0; i < 7; ++i) ASSERT_FALSE(CreateOrder(machine, false).empty());
        FlowWindow w(machine);
        ASSERT_TRUE(backend::Reset());
        ASSERT_TRUE(backend::Script("orders/latest", "[" + HeldOrders("OLD-1", "success", 1500) + "]"));
        w->m_nPage = Page::PAGE_ORDERS;
        c.startHeldFetch(w);
        ASSERT_TRUE(Arrived(w, "/api/v1/orders/latest"));
        w->FetchOrders();
        ASSERT_EQ(w->m_aOrders.size(), 7u);
        w->m_nOrderPage = 1;
        w->m_nSelectedOrder = 6;
        w->m_bShowOrderDetail = true;
        const std::wstring selected = w->m_aOrders[6].order_no;

        w.Pump(2500);
        ASSERT_EQ(w->m_aOrders.size(), 7u);
        EXPECT_EQ(w->m_aOrders[6].order_no, selected);
        EXPECT_EQ(w->m_nOrderPage, 1);
        EXPECT_EQ(w->m_nSelectedOrder, 6);
        EXPECT_TRUE(w->m_bShowOrderDetail);
        EXPECT_FALSE(w->m_ordersWorker.Running()) << "the loading line ends all the same";
    }
}

// An intent or a resume that answers after the user went home starts nothing.
TEST(SlowPayment, ALateIntentOrResumeAfterHomeStartsNoPoller) {
    REQUIRE_BACKEND();
    struct Case {
        const char* name;
        std::function<void(FlowWindow&)> start;
    };
    const Case cases[] = {
        {"intent",
         [](FlowWindow& w) {
             ASSERT_TRUE(backend::Script(
                 "pay_intent", "[" + backend::BodyReply(Data(R"({"pay_order_no":"LATE-1"})"), 200, Held(1500)) + "]"));
             w.Click(kInstallBtn);
             ASSERT_TRUE(Arrived(w, "/api/v1/pay_intent"));
         }},
        {"resume",
         [](FlowWindow& w) {
             ASSERT_TRUE(backend::Script("pay_qr", std::string("[{") + Held(1500) + R"(,"body_b64":")" + kLatePng +
                                                       "\"}]"));
             w->m_nPage = Page::PAGE_PURCHASE;
             w->StartResumeWorker();
             ASSERT_TRUE(Arrived(w, "/api/v1/pay_qr"));
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring machine = L"USER-SLOW-LATE-" + std::to_wstring(n++);
        ASSERT_FALSE(CreateOrder(machine, false).empty());
        FlowWindow w(machine);
        w->FetchOrders();
        ASSERT_TRUE(backend::Reset());
        c.start(w);
        w.Click(kHomeBtn);
        w.Pump(3000);
        EXPECT_EQ(w->m_nPage, Page::PAGE_HOME);
        EXPECT_FALSE(w->m_payPollWorker.Running());
        EXPECT_EQ(backend::CountRequests("/api/v1/pay_status"), c.name == std::string("resume") ? 1 : 0);
        for (UINT_PTR timer : {w->m_uSpinnerTimer, w->m_uCountdownTimer, w->m_uPayResultTimer}) {
            EXPECT_EQ(timer, 0u);
        }
        EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
    }
}

// Stopping returns at once, and a restarted poller never asks while the
// stopped one's exchange still runs at the backend.
TEST(SlowPayment, AStopDoesNotWaitAndTwoStatusExchangesNeverOverlap) {
    REQUIRE_BACKEND();
    const std::wstring machine = L"USER-SLOW-STOP";
    const std::wstring order = CreateOrder(machine, false);
    FlowWindow w(machine);
    ASSERT_TRUE(backend::Reset());
    ASSERT_TRUE(backend::Script("pay_status", "[" + HeldStatus(order, "pending", 5000) + "]"));
    w->m_nPage = Page::PAGE_PURCHASE;
    w->m_strPayOrderNo = order;
    w->StartPayPolling();
    ASSERT_TRUE(Arrived(w, StatusTarget(order)));
    Sleep(300);

    ULONGLONG before = GetTickCount64();
    w->StopPayPolling();
    EXPECT_LT(GetTickCount64() - before, 50u);
    w->StartPayPolling();
    ASSERT_TRUE(Arrived(w, StatusTarget(order), 2));
    const auto polls = RequestsTo("/api/v1/pay_status");
    ASSERT_GE(polls.size(), 2u);
    for (size_t i = 1; i < polls.size(); ++i) {
        // An exchange the backend has not seen end yet overlaps every later one.
        const bool ended = polls[i - 1].endedMs >= 0;
        EXPECT_TRUE(ended && polls[i].receivedMs >= polls[i - 1].endedMs)
            << "status exchange " << i << " began at " << polls[i].receivedMs << " ms, exchange " << i - 1
            << (ended ? " ended at " + std::to_string(polls[i - 1].endedMs) + " ms" : std::string(" still runs"));
    }

    // Nor does the window's end wait for a held exchange.
    ASSERT_TRUE(backend::Script("pay_status", "[" + HeldStatus(order, "pending", 5000) + "]"));
    FlowWindow* doomed = new FlowWindow(machine);
    (*doomed)->m_strPayOrderNo = order;
    (*doomed)->StartPayPolling();
    (*doomed)->StartOrdersWorker();
    Sleep(300);
    before = GetTickCount64();
    delete doomed;
    EXPECT_LT(GetTickCount64() - before, 200u);
}
