// The user's proxy settings, as Internet Options writes them, against the
// forward proxy that run.sh starts: only it can resolve store.test (to the
// test backend), so a store there is reached through the proxy or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "config/config.h"
#include "integration/backend_control.h"
#include "integration/flow_window.h"
#include "store/http.h"
#include "store/system_proxy.h"
#include "util/handles.h"
#include "util/text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr POINT kInstallBtn = {600, 460};

// Writes ProxyEnable, ProxyServer, ProxyOverride and AutoConfigURL for the
// current user and makes the next exchange read them.
void UseInternetSettings(DWORD enable, const std::wstring& server, const std::wstring& bypass,
                         const std::wstring& script = L"") {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.get(), L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof(enable));
    for (const auto& value : {std::make_pair(L"ProxyServer", &server), std::make_pair(L"ProxyOverride", &bypass),
                              std::make_pair(L"AutoConfigURL", &script)}) {
        RegSetValueExW(key.get(), value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second->c_str()),
                       static_cast<DWORD>((value.second->size() + 1) * sizeof(wchar_t)));
    }
    ForgetProxySettingsForTesting();
}

std::wstring ProxyAddress() { return backend::TestEnv("ORVANE_TEST_PROXY"); }

// The request lines the proxy has received so far.
std::vector<std::string> ProxyLog() {
    std::string bytes;
    ReadFileBytes(backend::TestEnv("ORVANE_TEST_PROXY_LOG"), bytes);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

size_t CountLines(const std::vector<std::string>& lines, size_t from, const std::string& start) {
    return static_cast<size_t>(std::count_if(lines.begin() + static_cast<long>(from), lines.end(),
                                             [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
}

// The test backend's base address with its host replaced.
std::wstring BaseOn(const std::wstring& host) {
    std::wstring base = backend::ApiBase();
    return base.replace(base.find(L"127.0.0.1"), 9, host);
}

class SystemProxy : public ::testing::Test {
protected:
    void SetUp() override {
        if (ProxyAddress().empty()) GTEST_SKIP() << "ORVANE_TEST_PROXY unset";
        ASSERT_TRUE(backend::Reset());
    }
    void TearDown() override { UseInternetSettings(0, L"", L""); }
};

}  // namespace

TEST_F(SystemProxy, AStoreOnlyTheProxyResolvesLogsInAndSellsThroughIt) {
    UseInternetSettings(1, ProxyAddress(), L"<local>");
    const std::wstring base = BaseOn(L"store.test");
    backend::WriteClientConfig(base);
    const size_t seen = ProxyLog().size();

    FlowWindow w(L"USER-PROXY", false);
    w->AutoLogin();
    EXPECT_NE(w->m_nUid, 0u) << "logged in";
    w->FetchGames();
    w->FetchProducts();
    ASSERT_FALSE(w->m_aVersions.empty()) << "the catalogue came";
    w.Click(kInstallBtn);
    ASSERT_TRUE(w.WaitForQr()) << "the payment QR came";

    const std::string origin = "http://" + WideToUtf8(base.substr(7, base.find(L"/api/v1") - 7));
    const std::vector<std::string> lines = ProxyLog();
    std::vector<std::string> passed(lines.begin() + static_cast<long>(seen), lines.end());
    for (const std::string& want : {"POST " + origin + "/api/v1/login HTTP/1.1",
                                    "GET " + origin + "/api/v1/games HTTP/1.1",
                                    "GET " + origin + "/api/v1/products HTTP/1.1",
                                    "POST " + origin + "/api/v1/pay_intent HTTP/1.1"}) {
        EXPECT_NE(std::find(passed.begin(), passed.end(), want), passed.end()) << want;
    }
    const std::string qr = "GET " + origin + "/api/v1/pay_qr?order_no=";
    EXPECT_TRUE(std::any_of(passed.begin(), passed.end(), [&](const std::string& l) { return l.rfind(qr, 0) == 0; }));
}

TEST_F(SystemProxy, LoopbackAndBypassedHostsGoDirect) {
    struct Case {
        const wchar_t* bypass;
        const wchar_t* host;
        bool reached;
    };
    const Case cases[] = {
        {L"", L"127.0.0.1", true},
        {L"", L"localhost", true},
        {L"<local>", L"localhost", true},
        // Only the proxy knows store.test: sent direct, it cannot be reached.
        {L"*.test", L"store.test", false},
        {L"other.example;STORE.TEST", L"store.test", false},
    };
    for (const Case& c : cases) {
        UseInternetSettings(1, ProxyAddress(), c.bypass);
        const size_t seen = ProxyLog().size();
        std::string reply;
        EXPECT_EQ(HttpRequest(BuildApiUrl(BaseOn(c.host), L"games"), L"GET", "", reply), c.reached) << c.host;
        EXPECT_EQ(ProxyLog().size(), seen) << c.host << " went through the proxy";
    }
}

TEST_F(SystemProxy, ADeadProxyFailsTheLoginLikeADeadBackend) {
    UseInternetSettings(1, L"127.0.0.1:1", L"");
    backend::WriteClientConfig(BaseOn(L"store.test"));
    const size_t logBefore = backend::ReadClientLog().size();
    FlowWindow w(L"USER-DEAD-PROXY", false);
    const auto start = Clock::now();
    w->AutoLogin();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(w->m_nUid, 0u);
    EXPECT_TRUE(w->m_strToken.empty());
    EXPECT_GE(ms, 3500) << "three attempts with their waits";
    EXPECT_LT(ms, 20000) << "no hang";
    EXPECT_EQ(backend::ReadClientLog().find("AutoLogin status=", logBefore), std::string::npos);
    EXPECT_EQ(backend::CountRequests("/api/v1/login"), 0);
}

TEST_F(SystemProxy, AProxyScriptChoosesAndOneThatFailsLeavesTheOtherSettings) {
    const std::wstring liveScript = L"http://" + ProxyAddress() + L"/proxy.pac";
    const std::wstring deadScript = L"http://127.0.0.1:1/proxy.pac";
    struct Case {
        const std::wstring* script;
        DWORD manual;
        const wchar_t* host;
        bool reached;
    };
    const Case cases[] = {
        {&liveScript, 0, L"store.test", true},
        // The script sends it direct, where nobody knows it.
        {&liveScript, 0, L"other.test", false},
        {&deadScript, 1, L"store.test", true},
        {&deadScript, 0, L"store.test", false},
    };
    for (const Case& c : cases) {
        UseInternetSettings(c.manual, ProxyAddress(), L"", *c.script);
        const size_t seen = ProxyLog().size();
        const auto start = Clock::now();
        for (int i = 0; i < 2; ++i) {
            std::string reply;
            EXPECT_EQ(HttpRequest(BuildApiUrl(BaseOn(c.host), L"games"), L"GET", "", reply), c.reached) << c.host;
        }
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(20)) << c.host;
        EXPECT_EQ(CountLines(ProxyLog(), seen, "GET http://"), c.reached ? 2u : 0u) << c.host;
    }
}
