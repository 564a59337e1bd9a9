// The request layer against the test backend: URLs and targets, empty,
// chunked, huge and dropped replies, refused connections, and image bytes.
#include <gtest/gtest.h>

#include <string>

#include "draw/gdiplus.h"
#include "integration/backend_control.h"
#include "store/http.h"
#include "store/image_bytes.h"
#include "util/json.h"
#include "util/text.h"

namespace {

std::string Get(const std::wstring& url, bool& ok, DWORD* status = nullptr) {
    std::string reply = "untouched";
    ok = HttpRequest(url, L"GET", std::string(), reply, status);
    return reply;
}

}  // namespace

TEST(BackendHttp, BaseWithOrWithoutSlashAndQueryKeptInTarget) {
    REQUIRE_BACKEND();
    const std::wstring path = L"orders/latest?limit=100&machine_code=USER-0000ABCD-1234";
    for (const std::wstring& base : {backend::ApiBase(), backend::ApiBase() + L"/"}) {
        bool ok = false;
        DWORD status = 0;
        const std::string reply = Get(BuildApiUrl(base, path), ok, &status);
        EXPECT_TRUE(ok);
        EXPECT_EQ(status, 200u);
        EXPECT_NE(reply.find("\"data\":[]"), std::string::npos) << reply;
    }
    const auto received = backend::Requests();
    ASSERT_EQ(received.size(), 2u);
    for (const auto& r : received) {
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.target, "/api/v1/orders/latest?limit=100&machine_code=USER-0000ABCD-1234");
        EXPECT_EQ(r.userAgent, "OrvaneDownloader/1.0");
        EXPECT_EQ(r.contentType, "");
        EXPECT_EQ(r.bodyText, "");
    }
}

TEST(BackendHttp, ErrorStatusStillDeliversItsBody) {
    REQUIRE_BACKEND();
    bool ok = false;
    DWORD status = 0;
    const std::string reply = Get(BuildApiUrl(backend::ApiBase(), L"no/such/endpoint"), ok, &status);
    EXPECT_TRUE(ok);
    EXPECT_EQ(status, 404u);
    EXPECT_NE(reply.find("\"code\":404"), std::string::npos) << reply;
}

TEST(BackendHttp, ZeroByteReplyIsOkAndEmpty) {
    REQUIRE_BACKEND();
    ASSERT_TRUE(backend::Script("games", "[" + backend::BodyReply("") + "]"));
    bool ok = false;
    const std::string reply = Get(BuildApiUrl(backend::ApiBase(), L"games"), ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(reply, "");
}

TEST(BackendHttp, ChunkedReplyArrivesByteForByte) {
    REQUIRE_BACKEND();
    // "全" is three bytes; the first chunk ends after its first byte.
    const std::string body = "{\"data\":{\"games\":[\"\xE5\x85\xA8\xE7\x89\x88\"]}}";
    const size_t cut = body.find('\xE5') + 1;
    ASSERT_TRUE(backend::Script(
        "games", "[" + backend::BodyReply(body, 200, "\"chunk_sizes\":[" + std::to_string(cut) +
                                                         ",3,1],\"chunk_delay_ms\":80") + "]"));
    bool ok = false;
    const std::string reply = Get(BuildApiUrl(backend::ApiBase(), L"games"), ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(reply, body);
}

TEST(BackendHttp, LargeReplyArrivesWhole) {
    REQUIRE_BACKEND();
    // The control endpoint takes at most 1 MiB per script, so the reply stays below that.
    std::string body;
    body.reserve(1000000);
    for (size_t i = 0; body.size() < 1000000; ++i) body += "0123456789abcdefghijklmnopqrstuvwxyz"[i % 36];
    ASSERT_TRUE(backend::Script("products", "[" + backend::BodyReply(body) + "]"));
    bool ok = false;
    const std::string reply = Get(BuildApiUrl(backend::ApiBase(), L"products"), ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(reply.size(), body.size());
    EXPECT_TRUE(reply == body);
}

TEST(BackendHttp, DroppedConnectionFailsWithoutReply) {
    REQUIRE_BACKEND();
    ASSERT_TRUE(backend::Script("games", R"([{"drop":true}])"));
    bool ok = true;
    const std::string reply = Get(BuildApiUrl(backend::ApiBase(), L"games"), ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(reply, "untouched");
}

TEST(BackendHttp, RefusedConnectionFailsCleanly) {
    bool ok = true;
    const std::string reply = Get(L"http://127.0.0.1:1/api/v1/games", ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(reply, "untouched");
    std::string post = "untouched";
    EXPECT_FALSE(HttpRequest(L"http://127.0.0.1:1/api/v1/login", L"POST", "{}", post));
    EXPECT_EQ(post, "untouched");
}

TEST(BackendHttp, PostSendsJsonHeaderAndBody) {
    REQUIRE_BACKEND();
    const std::string body = R"({"machine_code":"M-1","game_name":"x"})";
    std::string reply;
    ASSERT_TRUE(HttpRequest(BuildApiUrl(backend::ApiBase(), L"pay_intent"), L"POST", body, reply));
    const auto received = backend::Requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, "POST");
    EXPECT_EQ(received[0].target, "/api/v1/pay_intent");
    EXPECT_EQ(received[0].contentType, "application/json");
    EXPECT_EQ(received[0].bodyText, body);
}

TEST(BackendImage, QrPngBecomesABitmapAndGarbageDoesNot) {
    REQUIRE_BACKEND();
    GdiplusSession gdiplus;
    const std::wstring api = backend::ApiBase();
    std::string games;
    ASSERT_TRUE(HttpRequest(BuildApiUrl(api, L"games"), L"GET", "", games));
    std::string name;
    const size_t open = games.find('"', games.find('['));
    ASSERT_TRUE(JsonDecodeString(games, open, name));

    std::string intent;
    ASSERT_TRUE(HttpRequest(BuildApiUrl(api, L"pay_intent"), L"POST",
                            R"({"machine_code":"USER-QRTEST","game_name":")" + name +
                                R"(","channel_code":"c","apply_discount":false})",
                            intent));
    std::string orderNo;
    ASSERT_TRUE(JsonGetString(intent, "pay_order_no", orderNo)) << intent;

    std::string png;
    ASSERT_TRUE(HttpRequest(BuildApiUrl(api, L"pay_qr?order_no=" + UrlEncode(Utf8ToWide(orderNo))), L"GET", "", png,
                            nullptr, TargetLimit::LongPath));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    HBITMAP bmp = LoadImageBytes(png);
    ASSERT_NE(bmp, nullptr);
    BITMAP info = {};
    ASSERT_EQ(GetObjectW(bmp, sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_GT(info.bmWidth, 20);
    EXPECT_EQ(info.bmWidth, info.bmHeight);
    EXPECT_EQ(info.bmBitsPixel, 32);
    DeleteObject(bmp);

    EXPECT_EQ(LoadImageBytes(""), nullptr);
    EXPECT_EQ(LoadImageBytes("not an image at all"), nullptr);
    EXPECT_EQ(LoadImageBytes(png.substr(0, png.size() / 3)), nullptr);
}
