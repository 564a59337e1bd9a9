// A hostile or broken backend: every scripted fault on every endpoint the
// program reads must end in that endpoint's fallback, within a bounded time,
// without a crash. The program's clock runs fast, so that trickling replies
// meet the exchange deadline, and the login's retry waits and the poller's
// pause pass, in a fraction of their real time.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "integration/backend_control.h"
#include "integration/flow_window.h"
#include "store/http.h"
#include "util/clock.h"
#include "util/text.h"

namespace {

// The 60 s deadline passes in 1.5 s.
constexpr uint32_t kClockSpeed = 40;
// Nothing may take longer than the deadline, the login's retry waits and
// some slack for a loaded machine.
constexpr ULONGLONG kMaxRunMs = (kExchangeDeadlineMs + 3500) / kClockSpeed + 7500;

// What reaches the client: nothing usable (the exchange failed or the body
// was empty), bytes that are no data for it, or a decodable image.
enum class Arrives { Nothing, Garbage, Image };

struct Fault {
    std::string name;
    std::string reply;  // one reply script entry
    Arrives arrives;
    int imageW = 0;
    int imageH = 0;
};

const char kPng1x1[] = "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGM4IacBAALAAQ/aQIG5AAAAAElFTkSuQmCC";
const char kGif2x3[] = "R0lGODdhAgADAIEAAMgeKAAAAAAAAAAAACwAAAAAAgADAAAIBgABCBwYEAA7";
const char kJpeg3x2[] =
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAFA3PEY8MlBGQUZaVVBfeMiCeG5uePWvuZHI////////////////////////////////////////////"
    "////////2wBDAVVaWnhpeOuCguv/////////////////////////////////////////////////////////////////////////wAARCAACAAMDA"
    "SIAAhEBAxEB/8QAHwAAAQUBAQEBAQEAAAAAAAAAAAECAwQFBgcICQoL/8QAtRAAAgEDAwIEAwUFBAQAAAF9AQIDAAQRBRIhMUEGE1FhByJxFDKBka"
    "EII0KxwRVS0fAkM2JyggkKFhcYGRolJicoKSo0NTY3ODk6Q0RFRkdISUpTVFVWV1hZWmNkZWZnaGlqc3R1dnd4eXqDhIWGh4iJipKTlJWWl5iZmqK"
    "jpKWmp6ipqrKztLW2t7i5usLDxMXGx8jJytLT1NXW19jZ2uHi4+Tl5ufo6erx8vP09fb3+Pn6/8QAHwEAAwEBAQEBAQEBAQAAAAAAAAECAwQFBgcI"
    "CQoL/8QAtREAAgECBAQDBAcFBAQAAQJ3AAECAxEEBSExBhJBUQdhcRMiMoEIFEKRobHBCSMzUvAVYnLRChYkNOEl8RcYGRomJygpKjU2Nzg5OkNER"
    "UZHSElKU1RVVldYWVpjZGVmZ2hpanN0dXZ3eHl6goOEhYaHiImKkpOUlZaXmJmaoqOkpaanqKmqsrO0tba3uLm6wsPExcbHyMnK0tPU1dbX2Nna4u"
    "Pk5ebn6Onq8vP09fb3+Pn6/9oADAMBAAIRAxEAPwCKiiipOg//2Q==";

std::string B64Reply(const char* b64) { return std::string(R"({"body_b64":")") + b64 + "\"}"; }

// A PNG that declares 30 000 × 30 000 pixels: a decoder would want 2.7 GB.
std::string PngBomb() {
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x75\x30\0\0\x75\x30\x08\x02\0\0\0\xe9\x45\x6f\xed", 33);
    std::string idat("\x78\xda", 2);
    idat += std::string(1500, '\0');
    return png + std::string("\0\0\x05\xde", 4) + "IDAT" + idat + std::string(4, '\0');
}

std::vector<Fault> Faults() {
    std::string nested;
    for (int i = 0; i < 50000; ++i) nested += "[{";
    std::string nul("{\"code\":0,\0\"data\":{\"st\0atus\":\"\0\"},\"games\":[\"\0\"]}", 44);
    return {
        {"empty body", backend::BodyReply(""), Arrives::Nothing},
        {"truncated JSON", backend::BodyReply(R"({"code":0,"msg":"ok","data":{"status":"succ)"), Arrives::Garbage},
        {"100000 brackets", backend::BodyReply(R"({"code":0,"data":)" + nested), Arrives::Garbage},
        {"1 MB string", backend::BodyReply(R"({"code":0,"msg":")" + std::string(1000000, 'x') + R"(","data":null})"),
         Arrives::Garbage},
        {"invalid UTF-8 and lone surrogates",
         backend::BytesReply("{\"code\":0,\"data\":{\"status\":\"\xff\xfe\\ud800\",\"qq_image_url\":\"\xc3\\udc00\","
                             "\"download_url\":\"\xed\xa0\x80\\udfff\"}}"),
         Arrives::Garbage},
        {"NUL bytes", backend::BytesReply(nul), Arrives::Garbage},
        {"204", backend::BodyReply("", 204), Arrives::Nothing},
        {"304", backend::BodyReply("", 304), Arrives::Nothing},
        {"500 with HTML",
         backend::BodyReply("<html><body><h1>500 Internal Server Error</h1></body></html>", 500,
                            R"("headers":{"Content-Type":"text/html"})"),
         Arrives::Garbage},
        {"no length, closed early",
         backend::BodyReply(R"({"code":0,"msg":"ok","data":{"games":["a","b"],"status":"success"}})", 200,
                            R"("omit_headers":["Content-Length"],"close_after":20)"),
         Arrives::Garbage},
        {"connection dropped", R"({"drop":true})", Arrives::Nothing},
        {"endless", R"({"endless":true,"filler":"[{\"a\":"})", Arrives::Nothing},
        {"trickle", backend::BodyReply(R"({"code":0,"msg":"ok","data":null})", 200,
                                       R"("chunk_sizes":[1,1,1,1,1,1,1,1],"chunk_delay_ms":600)"),
         Arrives::Nothing},
        {"redirect loop", R"({"status":302,"body":"<a href=\"?\">moved</a>","headers":{"Location":"?loop=1"}})",
         Arrives::Garbage},
        {"redirect elsewhere",
         R"({"status":302,"body":"moved","headers":{"Location":"http://127.0.0.2:9/api/v1/x"}})", Arrives::Garbage},
        {"PNG bomb", backend::BytesReply(PngBomb()), Arrives::Garbage},
        {"1x1 PNG", B64Reply(kPng1x1), Arrives::Image, 1, 1},
        {"JPEG", B64Reply(kJpeg3x2), Arrives::Image, 3, 2},
        {"GIF", B64Reply(kGif2x3), Arrives::Image, 2, 3},
    };
}

bool BitmapIs(HBITMAP bmp, int w, int h) {
    BITMAP bm = {};
    return bmp && GetObjectW(bmp, sizeof(bm), &bm) == sizeof(bm) && bm.bmWidth == w && bm.bmHeight == h;
}

bool PriceUnchanged(CMainWnd* w) {
    return w->m_offer.current_price == 39.0 && w->m_offer.original_price == 99.0 && w->m_offer.currency == L"¥" &&
           w->m_offer.countdown_minutes == 5;
}

class HostileBackend : public ::testing::Test {
protected:
    void SetUp() override { SetClockSpeedForTesting(kClockSpeed); }
    void TearDown() override { SetClockSpeedForTesting(1); }

    // Scripts the fault on endpoint, runs the operation and checks the outcome.
    // Each case is a machine of its own: the backend limits how fast one
    // machine may make orders.
    void ForEveryFault(const std::string& endpoint, const std::function<void(FlowWindow&, const Fault&)>& run) {
        int n = 0;
        for (const Fault& f : Faults()) {
            SCOPED_TRACE(endpoint + ": " + f.name);
            ASSERT_TRUE(backend::Reset());
            const std::wstring machine = L"USER-HOSTILE-" + Utf8ToWide(endpoint) + L"-" + std::to_wstring(n++);
            FlowWindow w(machine, false);  // built-in offer and coupon
            ASSERT_TRUE(backend::Script(endpoint, "[" + f.reply + "]"));
            const ULONGLONG start = GetTickCount64();
            run(w, f);
            EXPECT_LT(GetTickCount64() - start, kMaxRunMs) << "took too long";
            EXPECT_EQ(w->m_nTimerThreadViolations, 0L);
        }
    }
};

}  // namespace

TEST_F(HostileBackend, StartUpLogin) {
    REQUIRE_BACKEND();
    backend::WriteClientConfig(backend::ApiBase());
    ForEveryFault("login", [](FlowWindow& w, const Fault& f) {
        w->AutoLogin();
        // A reply that arrived is taken and found wanting; nothing usable
        // makes the login try again, and the real backend then answers.
        const bool retried = f.arrives == Arrives::Nothing;
        EXPECT_EQ(backend::CountRequests("/api/v1/login"), retried ? 2 : 1);
        EXPECT_EQ(w->m_nUid != 0, retried);
        if (!retried) {
            EXPECT_TRUE(w->m_strToken.empty());
        }
    });
}

TEST_F(HostileBackend, Catalogue) {
    REQUIRE_BACKEND();
    ForEveryFault("games", [](FlowWindow& w, const Fault&) {
        w->m_aVersions = {GameInfo{L"keep"}};
        w->FetchGames();
        const bool kept = w->m_aVersions.size() == 1 && w->m_aVersions[0].name == L"keep";
        EXPECT_TRUE(kept || w->m_aVersions.empty()) << "unchanged, or emptied by a data object without games";
    });
    ForEveryFault("products", [](FlowWindow& w, const Fault&) {
        w->FetchProducts();
        EXPECT_TRUE(PriceUnchanged(w.operator->()));
        EXPECT_EQ(w->m_coupon.coupon_text, L"【20.00元优惠券】");
    });
}

TEST_F(HostileBackend, PaymentIntentAndQr) {
    REQUIRE_BACKEND();
    ForEveryFault("pay_intent", [](FlowWindow& w, const Fault&) {
        w->m_aVersions = {GameInfo{L"v"}};
        w->m_strPayOrderNo = L"PREV-1";
        w->StartPurchase();
        ASSERT_TRUE(w.PumpUntil([&] { return w->m_uSpinnerTimer == 0; }, kMaxRunMs));
        EXPECT_EQ(w->m_strPayOrderNo, L"PREV-1") << "no new order: the old one is paid for";
        EXPECT_TRUE(PriceUnchanged(w.operator->()));
        EXPECT_NEAR(w->m_nCountdownSeconds, 300, 5);
        EXPECT_TRUE(w->m_payPollWorker.Running());
        w->StopPayPolling();
    });
    ForEveryFault("pay_qr", [](FlowWindow& w, const Fault& f) {
        w->m_aVersions = {GameInfo{L"v"}};
        w->StartPurchase();
        ASSERT_TRUE(w.PumpUntil([&] { return w->m_payPollWorker.Running(); }, kMaxRunMs));
        EXPECT_FALSE(w->m_strPayOrderNo.empty());
        if (f.arrives == Arrives::Image) {
            EXPECT_TRUE(BitmapIs(w->m_hbmpPayQR, f.imageW, f.imageH));
        } else {
            EXPECT_EQ(w->m_hbmpPayQR, nullptr) << "no QR, but polling goes on";
        }
        w->StopPayPolling();
    });
}

TEST_F(HostileBackend, StatusPoller) {
    REQUIRE_BACKEND();
    ForEveryFault("pay_status", [](FlowWindow& w, const Fault&) {
        w->m_aVersions = {GameInfo{L"v"}};
        w->StartPurchase();
        ASSERT_TRUE(w.PumpUntil([&] { return backend::CountRequests("/api/v1/pay_status") >= 2; }, kMaxRunMs))
            << "the poller goes on after a bad answer";
        EXPECT_EQ(w->m_nPayState, PayState::PAY_STATE_NONE);
        EXPECT_TRUE(w->m_strLevel.empty());
        w->StopPayPolling();
    });
}

TEST_F(HostileBackend, OrdersList) {
    REQUIRE_BACKEND();
    ForEveryFault("orders/latest", [](FlowWindow& w, const Fault&) {
        OrderInfo kept;
        kept.order_no = L"KEEP";
        w->m_aOrders = {kept};
        w->m_nPage = Page::PAGE_ORDERS;
        w->StartOrdersWorker();
        ASSERT_TRUE(w.PumpUntil([&] { return !w->m_ordersWorker.Running(); }, kMaxRunMs));
        const bool unchanged = w->m_aOrders.size() == 1 && w->m_aOrders[0].order_no == L"KEEP";
        EXPECT_TRUE(unchanged || w->m_aOrders.empty()) << "kept, or emptied by a reply without a data array";
    });
}

TEST_F(HostileBackend, MemberDownloadLink) {
    REQUIRE_BACKEND();
    ForEveryFault("games/download", [](FlowWindow& w, const Fault& f) {
        w->m_aVersions = {GameInfo{L"奥凡 经典版"}};
        w->m_strLevel = L"vip";
        w->StartPurchase();
        EXPECT_EQ(w->m_nPage, Page::PAGE_HOME);
        if (!w->m_bShowOrderDetail) return;
        EXPECT_TRUE(w->m_bVipDownload);
        if (f.name == "invalid UTF-8 and lone surrogates") {
            // Shown as it came, the bad bytes replaced.
            EXPECT_NE(w->m_vipOrder.download_url.find(L'\xFFFD'), std::wstring::npos);
        } else {
            EXPECT_TRUE(w->m_vipOrder.download_url.empty()) << "a data object without a link shows an empty one";
        }
    });
}

TEST_F(HostileBackend, ContactImage) {
    REQUIRE_BACKEND();
    const auto runWorker = [](FlowWindow& w) {
        w->StartSupportWorker();
        return w.PumpUntil([&] { return !w->m_supportWorker.Running(); }, kMaxRunMs);
    };
    ForEveryFault("support/qq", [&](FlowWindow& w, const Fault&) {
        HBITMAP builtIn = w->m_hbmpSupport;
        ASSERT_TRUE(runWorker(w));
        EXPECT_EQ(w->m_hbmpSupport, builtIn) << "no address, no change";
    });
    ForEveryFault("support/qq.png", [&](FlowWindow& w, const Fault& f) {
        HBITMAP builtIn = w->m_hbmpSupport;
        ASSERT_TRUE(runWorker(w));
        switch (f.arrives) {
            case Arrives::Nothing: EXPECT_EQ(w->m_hbmpSupport, builtIn); break;
            case Arrives::Garbage: EXPECT_EQ(w->m_hbmpSupport, nullptr) << "an undecodable picture leaves none"; break;
            case Arrives::Image: EXPECT_TRUE(BitmapIs(w->m_hbmpSupport, f.imageW, f.imageH)); break;
        }
    });
}
