// Endpoint URLs from the base address and the URL limits of the request
// layer (no network: opening a request does not connect yet).
#include <gtest/gtest.h>

#include <string>

#include "store/http.h"

namespace {

bool Opens(const std::wstring& url, TargetLimit limit, const wchar_t* verb = L"GET") {
    HttpExchange ex;
    return OpenHttpExchange(url, verb, limit, ex);
}

}  // namespace

TEST(HttpUrl, BuildApiUrlAddsOneSlash) {
    EXPECT_EQ(BuildApiUrl(L"http://h/api", L"games"), L"http://h/api/games");
    EXPECT_EQ(BuildApiUrl(L"http://h/api/", L"games"), L"http://h/api/games");
    EXPECT_EQ(BuildApiUrl(L"http://h:8001/api/v1", L"orders/latest?limit=100&machine_code=M"),
              L"http://h:8001/api/v1/orders/latest?limit=100&machine_code=M");
    EXPECT_EQ(BuildApiUrl(L"", L"games"), L"games");
}

TEST(HttpUrl, RelativeOrMalformedUrlsDoNotOpen) {
    EXPECT_FALSE(Opens(L"games", TargetLimit::Short));
    EXPECT_FALSE(Opens(L"", TargetLimit::Short));
    EXPECT_FALSE(Opens(L"ftp://h/x", TargetLimit::Short));
    EXPECT_TRUE(Opens(L"http://127.0.0.1:8001/api/v1/games", TargetLimit::Short));
    EXPECT_TRUE(Opens(L"https://example.invalid/api/v1/login", TargetLimit::Short, L"POST"));
}

TEST(HttpUrl, HostNameUpTo255Characters) {
    const std::wstring label(63, L'a');
    std::wstring host = label + L"." + label + L"." + label + L"." + label;  // 255
    ASSERT_EQ(host.size(), 255u);
    EXPECT_TRUE(Opens(L"http://" + host + L"/x", TargetLimit::Short));
    EXPECT_FALSE(Opens(L"http://" + host + L"a/x", TargetLimit::Short));
}

TEST(HttpUrl, TargetLimitsPerEndpointKind) {
    const std::wstring base = L"http://127.0.0.1:8001";
    auto target = [](size_t pathLen, size_t queryLen) {
        std::wstring t = L"/" + std::wstring(pathLen - 1, L'p');
        if (queryLen) t += L"?" + std::wstring(queryLen - 1, L'q');
        return t;
    };
    // Path and query together up to 1023.
    EXPECT_TRUE(Opens(base + target(1000, 23), TargetLimit::Short));
    EXPECT_FALSE(Opens(base + target(1000, 24), TargetLimit::Short));
    EXPECT_FALSE(Opens(base + target(1024, 0), TargetLimit::Short));
    // Together up to 2047.
    EXPECT_TRUE(Opens(base + target(1500, 547), TargetLimit::Long));
    EXPECT_FALSE(Opens(base + target(1500, 548), TargetLimit::Long));
    // Path up to 2047 and query up to 1023 each.
    EXPECT_TRUE(Opens(base + target(2047, 1023), TargetLimit::LongPath));
    EXPECT_FALSE(Opens(base + target(2048, 10), TargetLimit::LongPath));
    EXPECT_FALSE(Opens(base + target(10, 1024), TargetLimit::LongPath));
}
