// The start-up login against the test backend: retries and their waits, the
// exact request, error statuses, refused connections and the full start-up
// sequence against the backend's real behaviour.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "config/autologin.h"
#include "identity/device_id.h"
#include "integration/backend_control.h"
#include "support/test_support.h"
#include "util/json.h"
#include "util/text.h"

namespace {

using Clock = std::chrono::steady_clock;

// A window object as the entry point builds it, with a device identity.
class LoginWindow {
public:
    LoginWindow() : m_wnd(testing_support::NewMainWnd()) {
        if (!m_wnd->m_pDeviceID) m_wnd->m_pDeviceID = new DeviceID();
    }
    ~LoginWindow() {
        if (m_wnd->m_hWnd) {
            testing_support::DestroyMainWnd(m_wnd);
        } else {
            testing_support::DeleteMainWnd(m_wnd);
        }
    }
    CMainWnd* operator->() const { return m_wnd; }
    CMainWnd* get() const { return m_wnd; }

private:
    CMainWnd* m_wnd;
};

// Log lines written since the log held `from` bytes.
std::vector<std::string> LogLinesSince(size_t from, const std::string& prefix) {
    const std::string log = backend::ReadClientLog();
    std::vector<std::string> lines;
    size_t pos = from;
    while (pos < log.size()) {
        size_t end = log.find('\n', pos);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(pos, end - pos);
        const size_t msg = line.find("] ");
        if (msg != std::string::npos && line.compare(msg + 2, prefix.size(), prefix) == 0) lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

// Milliseconds of the day of a "[YYYY-MM-DD hh:mm:ss.mmm] " line.
long long LineMs(const std::string& line) {
    const int h = std::stoi(line.substr(12, 2)), m = std::stoi(line.substr(15, 2)), s = std::stoi(line.substr(18, 2));
    return ((h * 60LL + m) * 60 + s) * 1000 + std::stoi(line.substr(21, 3));
}

std::string LoginReply(const std::string& data) { return R"({"code":0,"msg":"ok","data":)" + data + "}"; }

void ExpectNotLoggedIn(const LoginWindow& wnd) {
    EXPECT_EQ(wnd->m_nUid, 0u);
    EXPECT_EQ(wnd->m_nMachineId, 0u);
    EXPECT_TRUE(wnd->m_strToken.empty());
    EXPECT_TRUE(wnd->m_strMachineCode.empty());
    EXPECT_TRUE(wnd->m_strChannelCode.empty());
    EXPECT_TRUE(wnd->m_strLevel.empty());
    EXPECT_TRUE(wnd->m_strQhclickid.empty());
}

}  // namespace

TEST(BackendLogin, SendsTheExactBodyAndHeaders) {
    REQUIRE_BACKEND();
    backend::WriteClientConfig(backend::ApiBase() + L"/");
    LoginWindow wnd;
    wnd->AutoLogin();
    EXPECT_EQ(wnd->m_strApiBase, backend::ApiBase() + L"/");

    const auto received = backend::Requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, "POST");
    EXPECT_EQ(received[0].target, "/api/v1/login");
    EXPECT_EQ(received[0].userAgent, "OrvaneDownloader/1.0");
    EXPECT_EQ(received[0].contentType, "application/json");
    const std::string machine = WideToUtf8(DeviceID().GenerateUserCode());
    ASSERT_FALSE(machine.empty());
    EXPECT_EQ(received[0].bodyText, R"({"exe_name":"orvane_integration_tests.exe","channel_code":"integration",)"
                                    R"("qhclickid":"tests","machine_code":")" + machine + R"("})");
}

TEST(BackendLogin, Status500WithBodyIsParsedWithoutRetry) {
    REQUIRE_BACKEND();
    backend::WriteClientConfig(backend::ApiBase());
    ASSERT_TRUE(backend::Script(
        "login", "[" + backend::BodyReply(R"({"code":500,"msg":"degraded","data":{"uid":77,"machine_id":5,)"
                                          R"("level":"\u9ec4\u91d1","token":"tk500","machine_code":"MC-500",)"
                                          R"("channel_code":"ch","qhclickid":"q"}})", 500) + "]"));
    const size_t logBefore = backend::ReadClientLog().size();
    LoginWindow wnd;
    const auto start = Clock::now();
    wnd->AutoLogin();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();

    EXPECT_EQ(backend::Requests().size(), 1u);
    EXPECT_LT(ms, 500);
    EXPECT_EQ(wnd->m_nUid, 77u);
    EXPECT_EQ(wnd->m_nMachineId, 5u);
    EXPECT_EQ(wnd->m_strLevel, L"黄金");
    EXPECT_EQ(wnd->m_strToken, L"tk500");
    EXPECT_EQ(wnd->m_strMachineCode, L"MC-500");
    EXPECT_EQ(wnd->m_strChannelCode, L"ch");
    EXPECT_EQ(wnd->m_strQhclickid, L"q");
    const auto status = LogLinesSince(logBefore, "AutoLogin status=");
    ASSERT_EQ(status.size(), 1u);
    EXPECT_NE(status[0].find("AutoLogin status=500 resp_len="), std::string::npos);
    EXPECT_EQ(LogLinesSince(logBefore, "Login success uid=77 machine_id=5").size(), 1u);
    EXPECT_NE(backend::ReadClientConfig().find("\"token\": \"tk500\""), std::string::npos);
}

TEST(BackendLogin, RejectedReplyLeavesTheFieldsEmpty) {
    REQUIRE_BACKEND();
    backend::WriteClientConfig(backend::ApiBase());
    ASSERT_TRUE(backend::Script("login", "[" + backend::BodyReply(LoginReply(R"({"uid":0,"token":"t","machine_code":"m"})")) + "]"));
    const size_t logBefore = backend::ReadClientLog().size();
    LoginWindow wnd;
    wnd->AutoLogin();
    ExpectNotLoggedIn(wnd);
    EXPECT_EQ(LogLinesSince(logBefore, "AutoLogin resp sample: {\"code\":0").size(), 1u);
    EXPECT_TRUE(LogLinesSince(logBefore, "Login success").empty());
}

TEST(BackendLogin, ThreeEmptyBodiesRetryWithGrowingWaits) {
    REQUIRE_BACKEND();
    backend::WriteClientConfig(backend::ApiBase());
    const std::string empty = backend::BodyReply("");
    ASSERT_TRUE(backend::Script("login", "[" + empty + "," + empty + "," + empty + "]"));
    const size_t logBefore = backend::ReadClientLog().size();
    LoginWindow wnd;
    const auto start = Clock::now();
    wnd->AutoLogin();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();

    EXPECT_GE(ms, 3500);
    EXPECT_LT(ms, 6000);
    EXPECT_EQ(backend::Requests().size(), 3u);
    const auto status = LogLinesSince(logBefore, "AutoLogin status=");
    ASSERT_EQ(status.size(), 3u);
    for (const auto& line : status) EXPECT_NE(line.find("AutoLogin status=200 resp_len=0"), std::string::npos);
    const long long gap1 = LineMs(status[1]) - LineMs(status[0]);
    const long long gap2 = LineMs(status[2]) - LineMs(status[1]);
    EXPECT_GE(gap1, 500);
    EXPECT_LT(gap1, 900);
    EXPECT_GE(gap2, 1000);
    EXPECT_LT(gap2, 1400);
    EXPECT_TRUE(LogLinesSince(logBefore, "AutoLogin resp sample").empty());
    ExpectNotLoggedIn(wnd);
    RecordProperty("login_retry_total_ms", static_cast<int>(ms));
}

TEST(BackendLogin, RefusedConnectionSetsOnlyTheBase) {
    REQUIRE_BACKEND();
    const std::wstring closed = L"http://127.0.0.1:1/api/v1";
    backend::WriteClientConfig(closed);
    const size_t logBefore = backend::ReadClientLog().size();
    LoginWindow wnd;
    const auto start = Clock::now();
    wnd->AutoLogin();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(wnd->m_strApiBase, closed);
    ExpectNotLoggedIn(wnd);
    EXPECT_GE(ms, 3500);
    EXPECT_EQ(LogLinesSince(logBefore, "AutoLogin begin api=http://127.0.0.1:1/api/v1 exe=").size(), 1u);
    EXPECT_TRUE(LogLinesSince(logBefore, "AutoLogin status=").empty());
    EXPECT_EQ(backend::ReadClientConfig().find("token"), std::string::npos);
}

TEST(BackendLogin, UnusableBaseReturnsAtOnce) {
    REQUIRE_BACKEND();
    backend::WriteClientConfig(L"not a url");
    LoginWindow wnd;
    const auto start = Clock::now();
    wnd->AutoLogin();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(wnd->m_strApiBase, L"not a url");
    ExpectNotLoggedIn(wnd);
    EXPECT_LT(ms, 400);
}

TEST(BackendStartup, LoginGamesAndProductsFromTheRealBackend) {
    REQUIRE_BACKEND();
    backend::WriteClientConfig(backend::ApiBase());
    const size_t logBefore = backend::ReadClientLog().size();
    LoginWindow wnd;
    wnd->InitOfferDefaults();
    wnd->InitCouponDefaults();
    wnd->CreateAndLayoutWindow();
    wnd->AutoLogin();
    wnd->FetchGames();
    wnd->FetchProducts();

    EXPECT_NE(wnd->m_nUid, 0u);
    EXPECT_NE(wnd->m_nMachineId, 0u);
    EXPECT_FALSE(wnd->m_strToken.empty());
    EXPECT_EQ(wnd->m_strMachineCode, DeviceID().GenerateUserCode());
    EXPECT_EQ(wnd->m_strChannelCode, L"integration");
    EXPECT_EQ(wnd->m_strQhclickid, L"tests");
    EXPECT_EQ(wnd->m_strLevel, L"normal") << "a fresh machine is no member";
    const std::string config = backend::ReadClientConfig();
    EXPECT_NE(config.find("\"token\": \"" + WideToUtf8(wnd->m_strToken) + "\""), std::string::npos) << config;
    EXPECT_NE(config.find("\"uid\": " + std::to_string(wnd->m_nUid) + ","), std::string::npos) << config;

    std::vector<std::wstring> names;
    for (const GameInfo& g : wnd->m_aVersions) names.push_back(g.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"奥凡 经典版", L"奥凡 重制版", L"奥凡 联机版", L"奥凡 怀旧服",
                                                L"奥凡 高清典藏版"}));
    EXPECT_EQ(wnd->m_nSelectedVersion, 0);
    EXPECT_EQ(LogLinesSince(logBefore, "Games parsed count=5").size(), 1u);
    EXPECT_EQ(LogLinesSince(logBefore, "FetchGames status=200 resp_len=").size(), 1u);

    EXPECT_EQ(wnd->m_offer.currency, L"¥");
    EXPECT_DOUBLE_EQ(wnd->m_offer.original_price, 99.0);
    EXPECT_DOUBLE_EQ(wnd->m_offer.current_price, 39.0);
    EXPECT_DOUBLE_EQ(wnd->m_dPromoPrice, 29.9);
    EXPECT_EQ(wnd->m_coupon.coupon_text, L"【9.10元优惠券】");
    EXPECT_EQ(wnd->m_offer.countdown_minutes, 5);
    EXPECT_EQ(wnd->FormatPrice(), L"39.00");
}

TEST(BackendStartup, FailedCatalogueCallsKeepThePreviousValues) {
    REQUIRE_BACKEND();
    ASSERT_TRUE(backend::Script("games", R"([{"drop":true},{"status":502,"body":"<html>bad gateway</html>"}])"));
    ASSERT_TRUE(backend::Script("products", R"([{"status":200,"body":"{\"data\":[{\"current_price\":1,"}])"));
    LoginWindow wnd;
    wnd->InitOfferDefaults();
    wnd->InitCouponDefaults();
    wnd->m_strApiBase = backend::ApiBase();
    wnd->m_aVersions = {GameInfo{L"kept"}};
    wnd->m_nSelectedVersion = 0;
    const size_t logBefore = backend::ReadClientLog().size();
    wnd->FetchGames();  // dropped: nothing logged
    EXPECT_TRUE(LogLinesSince(logBefore, "FetchGames").empty());
    wnd->FetchGames();  // no data object
    ASSERT_EQ(wnd->m_aVersions.size(), 1u);
    EXPECT_EQ(wnd->m_aVersions[0].name, L"kept");
    EXPECT_EQ(LogLinesSince(logBefore, "FetchGames status=502 resp_len=24").size(), 1u);
    EXPECT_TRUE(LogLinesSince(logBefore, "Games parsed").empty());
    wnd->FetchProducts();  // truncated array
    EXPECT_DOUBLE_EQ(wnd->m_offer.current_price, 39.0);
    EXPECT_EQ(wnd->m_coupon.coupon_text, L"【20.00元优惠券】");
}
