// A member's download link and the contact image against the test backend:
// the exact download query, a reply without a link, the image taken from
// another host, and a worker that outlives its window.
#include <gtest/gtest.h>

#include <string>

#include "integration/backend_control.h"
#include "integration/flow_window.h"
#include "util/text.h"

namespace {

const char kPng1x1[] = "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGM4IacBAALAAQ/aQIG5AAAAAElFTkSuQmCC";

std::string Data(const std::string& data) { return R"({"code":0,"msg":"ok","data":)" + data + "}"; }

}  // namespace

TEST(MemberDownload, TheNameIsPercentEncodedAndAMissingLinkCopiesAsEmpty) {
    REQUIRE_BACKEND();
    FlowWindow w(L"USER-DL-MEMBER", false);
    w->m_strLevel = L"vip";
    w->m_aVersions = {GameInfo{L"奥凡 经典版"}};
    w->StartPurchase();
    ASSERT_TRUE(w->m_bShowOrderDetail);
    EXPECT_TRUE(w->m_bVipDownload);
    EXPECT_EQ(w->m_nPage, Page::PAGE_HOME) << "a member never sees the purchase page";
    EXPECT_EQ(w->m_vipOrder.download_url, L"https://dl.orvane.example/installers/"
                                          L"%E5%A5%A5%E5%87%A1%20%E7%BB%8F%E5%85%B8%E7%89%88.exe");
    EXPECT_EQ(w->m_vipOrder.game_name, L"奥凡 经典版");
    EXPECT_TRUE(w->m_vipOrder.order_no.empty());
    EXPECT_EQ(w->m_vipOrder.time_text.size(), 19u) << "the local time of the press";
    const auto requests = backend::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/api/v1/games/download?name=%E5%A5%A5%E5%87%A1%20%E7%BB%8F%E5%85%B8%E7%89%88");

    ASSERT_TRUE(backend::Script("games/download", "[" + backend::BodyReply(Data(R"({"name":"x"})")) + "]"));
    w->m_bShowOrderDetail = false;
    w->StartPurchase();
    ASSERT_TRUE(w->m_bShowOrderDetail);
    EXPECT_TRUE(w->m_vipOrder.download_url.empty());
    const RECT b = w->CopyButton();
    ASSERT_FALSE(IsRectEmpty(&b));
    w.Click({(b.left + b.right) / 2, (b.top + b.bottom) / 2});
    EXPECT_EQ(testing_support::ClipboardText(), L"") << "an empty link is copied as an empty text";
}

TEST(SupportImage, AnAddressOnAnotherHostIsFetchedThere) {
    REQUIRE_BACKEND();
    // The backend answers as "localhost" too: another host name for the client.
    std::wstring other = backend::ApiBase();
    other.replace(other.find(L"127.0.0.1"), 9, L"localhost");
    other = other.substr(0, other.find(L"/api/v1")) + L"/static/elsewhere.png";
    ASSERT_TRUE(backend::Script("support/qq", "[" + backend::BodyReply(Data(R"({"qq_image_url":")" +
                                                                          WideToUtf8(other) + "\"}")) + "]"));
    ASSERT_TRUE(backend::Script("/static/elsewhere.png", std::string(R"([{"body_b64":")") + kPng1x1 + "\"}]"));
    FlowWindow w(L"USER-SUPPORT-OTHER", false);
    w->StartSupportWorker();
    ASSERT_TRUE(w.PumpUntil([&] { return !w->m_supportWorker.Running(); }, 10000));
    BITMAP bm = {};
    ASSERT_EQ(GetObjectW(w->m_hbmpSupport, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 1);
    const auto requests = backend::Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/static/elsewhere.png");
}

TEST(WorkerLifetime, AWorkerThatOutlivesItsWindowTouchesNothingAndLeaksNothing) {
    REQUIRE_BACKEND();
    // The QR code arrives 2.5 s late, long after the window has gone (its
    // destructor waits 1 s for the worker).
    ASSERT_TRUE(backend::Script("pay_qr", std::string(R"([{"delay_ms":2500,"body_b64":")") + kPng1x1 + "\"}]"));
    const int gdiBefore = testing_support::CountGdiObjects();
    {
        FlowWindow w(L"USER-LATE-WORKER", false);
        w->m_aVersions = {GameInfo{L"v"}};
        w->StartPurchase();
        ASSERT_TRUE(w.PumpUntil([&] { return backend::CountRequests("/api/v1/pay_qr") == 1; }, 5000));
    }
    // The worker now decodes its picture and delivers into a closed queue.
    Sleep(3000);
    testing_support::PumpMessages();
    EXPECT_EQ(testing_support::CountGdiObjects(), gdiBefore) << "the late QR code was freed";
}
