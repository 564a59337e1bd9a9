// The window never freezes on a slow backend: while an exchange made for the
// window thread is held back, another thread's WM_NULL is always answered,
// an end request (WM_CLOSE, Escape, Alt+F4, the close mark) ends the wait at
// once and drops its late reply, and clicks and keys meanwhile are dropped.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>

#include "integration/backend_control.h"
#include "integration/flow_window.h"
#include "util/handles.h"

namespace {

constexpr POINT kOrdersBtn = {940, 25};
constexpr POINT kCloseMark = {1180, 25};
constexpr POINT kStatusCell0 = {930, 290};

std::string Held(const std::string& body, int ms) {
    return "[" + backend::BodyReply(body, 200, "\"delay_ms\":" + std::to_string(ms)) + "]";
}

int ThreadsOfThisProcess() {
    UniqueHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snap.get(), &entry); more; more = Thread32Next(snap.get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    return count;
}

bool TakeQuit() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// Asks the window from another thread, as the system and other programs do:
// WM_NULL with a 200 ms time-out every 50 ms. Optionally posts one message
// once postAfterMs have passed.
class Prober {
public:
    Prober(HWND wnd, MSG post = {}, DWORD postAfterMs = 0) : m_wnd(wnd), m_post(post), m_postAfter(postAfterMs) {
        m_thread.reset(CreateThread(nullptr, 0, Main, this, 0, nullptr));
    }
    ~Prober() { Stop(); }
    void Stop() {
        m_stop.store(true);
        if (m_thread) WaitForSingleObject(m_thread.get(), 5000);
        m_thread.reset();
    }
    int timeouts() const { return m_timeouts.load(); }
    DWORD longestMs() const { return m_longest.load(); }
    ULONGLONG postedAt() const { return m_postedAt.load(); }

private:
    static DWORD WINAPI Main(LPVOID self) {
        static_cast<Prober*>(self)->Loop();
        return 0;
    }
    void Loop() {
        const ULONGLONG start = GetTickCount64();
        while (!m_stop.load()) {
            if (m_post.message && !m_postedAt.load() && GetTickCount64() - start >= m_postAfter) {
                PostMessageW(m_wnd, m_post.message, m_post.wParam, m_post.lParam);
                m_postedAt.store(GetTickCount64());
            }
            DWORD_PTR result = 0;
            const ULONGLONG asked = GetTickCount64();
            if (!SendMessageTimeoutW(m_wnd, WM_NULL, 0, 0, SMTO_NORMAL, 200, &result)) {
                if (IsWindow(m_wnd)) ++m_timeouts;
            }
            const DWORD took = static_cast<DWORD>(GetTickCount64() - asked);
            if (took > m_longest.load()) m_longest.store(took);
            Sleep(50);
        }
    }

    HWND m_wnd;
    MSG m_post;
    DWORD m_postAfter;
    UniqueHandle m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_timeouts{0};
    std::atomic<DWORD> m_longest{0};
    std::atomic<ULONGLONG> m_postedAt{0};
};

MSG Message(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    MSG msg = {};
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

// A pending order on the orders page, so its status cell asks the backend.
void ShowPendingOrder(FlowWindow& w) {
    OrderInfo order;
    order.order_no = L"HELD-1";
    order.status = OrderStatus::Pending;
    w->m_aOrders = {order};
    w->m_nPage = Page::PAGE_ORDERS;
}

}  // namespace

TEST(WindowAnswers, EveryWindowThreadExchangeKeepsTheWindowAnswering) {
    REQUIRE_BACKEND();
    struct Case {
        const char* name;
        const char* endpoint;
        std::function<void(FlowWindow&)> run;
        void (*show)(FlowWindow&) = nullptr;  // the page the exchange starts from
    };
    const Case cases[] = {
        {"login", "login", [](FlowWindow& w) { w->AutoLogin(); }},
        {"games", "games", [](FlowWindow& w) { w->FetchGames(); }},
        {"orders", "orders/latest", [](FlowWindow& w) { w->FetchOrders(); }},
        {"pending order's status", "pay_status?order_no=HELD-1",
         [](FlowWindow& w) { w.Click(kStatusCell0); }, ShowPendingOrder},
        {"member's download link", "games/download",
         [](FlowWindow& w) {
             w->m_strLevel = L"vip";
             w->StartPurchase();
         }},
    };
    backend::WriteClientConfig(backend::ApiBase());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlowWindow w(L"USER-ANSWERS");
        ASSERT_TRUE(backend::Reset());
        const std::string endpoint = std::string(c.endpoint).substr(0, std::string(c.endpoint).find('?'));
        ASSERT_TRUE(backend::Script(endpoint, Held(R"({"code":0,"data":{}})", 3000)));
        // The page is on the screen before the exchange starts, as it is for
        // the user: its first paint is not what the probe asks about.
        if (c.show) c.show(w);
        InvalidateRect(w->m_hWnd, nullptr, FALSE);
        UpdateWindow(w->m_hWnd);
        Prober prober(w->m_hWnd);
        const ULONGLONG start = GetTickCount64();
        c.run(w);
        const ULONGLONG took = GetTickCount64() - start;
        prober.Stop();
        EXPECT_GE(took, 2500u) << "the exchange was waited for";
        EXPECT_EQ(prober.timeouts(), 0) << "longest answer " << prober.longestMs() << " ms";
        EXPECT_EQ(backend::CountRequests("/api/v1/" + std::string(c.endpoint)), 1);
        EXPECT_FALSE(TakeQuit());
    }
}

TEST(WindowAnswers, AnEndRequestDuringAWaitEndsItAtOnceAndDropsTheLateReply) {
    REQUIRE_BACKEND();
    struct Case {
        const char* name;
        MSG end;
    };
    const Case cases[] = {
        {"WM_CLOSE", Message(WM_CLOSE)},
        {"Escape", Message(WM_KEYDOWN, VK_ESCAPE)},
        {"Alt+F4", Message(WM_SYSKEYDOWN, VK_F4, 1 << 29)},
        {"close mark", Message(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kCloseMark.x, kCloseMark.y))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlowWindow w(L"USER-ANSWERS-END", false);
        ASSERT_TRUE(backend::Reset());
        ASSERT_TRUE(backend::Script("games", Held(R"({"code":0,"data":{"games":["late"]}})", 3000)));
        const int threads = ThreadsOfThisProcess();
        Prober prober(w->m_hWnd, c.end, 500);
        w->FetchGames();
        const ULONGLONG returned = GetTickCount64();
        prober.Stop();
        ASSERT_NE(prober.postedAt(), 0u);
        EXPECT_LT(returned - prober.postedAt(), 300u) << "the wait ended with the request";
        EXPECT_TRUE(w->m_bEnding);
        EXPECT_TRUE(TakeQuit()) << "the message loop is told to quit";
        EXPECT_TRUE(IsWindow(w->m_hWnd)) << "the window is not destroyed under the waiting flow";
        EXPECT_TRUE(w->m_aVersions.empty()) << "the late reply is not applied";
        // The exchange's thread ends with the held reply and takes it along.
        EXPECT_TRUE(w.PumpUntil([&] { return ThreadsOfThisProcess() <= threads; }, 6000));
        EXPECT_FALSE(TakeQuit());
    }
}

TEST(WindowAnswers, ClicksAndKeysDuringAWaitAreDropped) {
    REQUIRE_BACKEND();
    FlowWindow w(L"USER-ANSWERS-INPUT", false);
    ASSERT_TRUE(backend::Reset());
    ASSERT_TRUE(backend::Script("pay_status", Held(R"({"code":0,"data":{"status":"failed"}})", 2000)));
    ShowPendingOrder(w);
    HWND wnd = w->m_hWnd;
    // A second press on the same cell, the orders button and a key, all while
    // the first press waits for its answer.
    UniqueHandle poster(CreateThread(
        nullptr, 0,
        [](LPVOID param) -> DWORD {
            HWND target = static_cast<HWND>(param);
            Sleep(500);
            PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kStatusCell0.x, kStatusCell0.y));
            PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kOrdersBtn.x, kOrdersBtn.y));
            PostMessageW(target, WM_KEYDOWN, 'A', 0);
            PostMessageW(target, WM_CHAR, 'a', 0);
            return 0;
        },
        wnd, 0, nullptr));
    w.Click(kStatusCell0);
    WaitForSingleObject(poster.get(), 5000);
    w.Pump(1000);
    EXPECT_EQ(backend::CountRequests("/api/v1/pay_status"), 1) << "the second press started an exchange";
    EXPECT_EQ(w->m_nPage, Page::PAGE_ORDERS);
    EXPECT_FALSE(w->m_ordersWorker.Running()) << "the orders button acted after the wait";
    EXPECT_FALSE(TakeQuit());
}
