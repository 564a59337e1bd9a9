// The proxy choice on plain text: which hosts count as the loopback, how a
// proxy list and a bypass list are read, and the route that follows.
#include <gtest/gtest.h>

#include "store/proxy_rules.h"

TEST(ProxyRules, LoopbackHosts) {
    struct Case {
        const wchar_t* host;
        bool loopback;
    };
    const Case cases[] = {
        {L"localhost", true},         {L"LocalHost", true},        {L"localhost.", true},
        {L"127.0.0.1", true},         {L"127.255.3.4", true},      {L"127.000.0.001", true},
        {L"::1", true},               {L"[::1]", true},            {L"0:0:0:0:0:0:0:1", true},
        {L"[0000::0001]", true},      {L"::0:1", true},            {L"store.test", false},
        {L"localhost.example", false}, {L"mylocalhost", false},     {L"128.0.0.1", false},
        {L"127.0.0", false},          {L"127.0.0.1.5", false},     {L"127.0.0.256", false},
        {L"0127.0.0.1", false},       {L"127..0.1", false},        {L".127.0.0.1", false},
        {L"127.0.0.1.", false},       {L"::", false},              {L"1::", false},
        {L"::2", false},              {L"1::1", false},            {L"0:0:0:0:0:0:1", false},
        {L"::1::", false},            {L":::1", false},            {L"[::1", false},
        {L"0:0:0:0:0:0:0:0:1", false}, {L"::00001", false},        {L"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsLoopbackHost(c.host), c.loopback) << c.host;
}

TEST(ProxyRules, ProxyListEntryForTheScheme) {
    struct Case {
        const wchar_t* list;
        bool https;
        const wchar_t* proxy;
    };
    const Case cases[] = {
        {L"proxy.corp:8080", false, L"proxy.corp:8080"},
        {L"proxy.corp:8080", true, L"proxy.corp:8080"},
        {L"proxy.corp", false, L"proxy.corp:80"},
        {L"http://proxy.corp:3128/", true, L"proxy.corp:3128"},
        {L"HTTP://Proxy.Corp:3128", false, L"Proxy.Corp:3128"},
        {L"[fe80::1]:8080", false, L"[fe80::1]:8080"},
        {L"http=a:1;https=b:2", false, L"a:1"},
        {L"http=a:1;https=b:2", true, L"b:2"},
        {L"HTTPS=b:2 ftp=c:3", true, L"b:2"},
        {L"http=a:1", true, L""},
        {L"ftp=c:3;socks=d:4", false, L""},
        {L"all:9;https=b:2", true, L"b:2"},
        {L"https=b:2;all:9", false, L"all:9"},
        {L"https=bad/host:2;https=b:2", true, L"b:2"},
        {L"socks://d:1080", false, L""},
        {L"https://tls.proxy:443", true, L""},
        {L"a:0", false, L""},
        {L"a:65536", false, L""},
        {L"a:65535", false, L"a:65535"},
        {L"a:80x", false, L""},
        {L"a:", false, L""},
        {L":8080", false, L""},
        {L"[fe80::1", false, L""},
        {L"[fe80::1]x", false, L""},
        {L"a:1:2", false, L""},
        {L"  ;; ", false, L""},
        {L"bad/host:1;good:2", false, L"good:2"},
    };
    for (const Case& c : cases) EXPECT_EQ(ProxyForScheme(c.list, c.https), c.proxy) << c.list << " https=" << c.https;
}

TEST(ProxyRules, BypassList) {
    struct Case {
        const wchar_t* list;
        const wchar_t* host;
        bool https;
        unsigned port;
        bool bypassed;
    };
    const Case cases[] = {
        {L"<local>", L"intranet", false, 80, true},
        {L"<local>", L"store.test", false, 80, false},
        {L"<LOCAL>", L"intranet", false, 80, true},
        {L"<local>", L"[fe80::1]", false, 80, false},
        {L"*.test", L"store.test", false, 80, true},
        {L"*.test", L"test", false, 80, false},
        {L"*.TEST", L"Store.Test", false, 80, true},
        {L"store.test", L"store.test", false, 80, true},
        {L"store.test", L"api.store.test", false, 80, false},
        {L"10.*", L"10.1.2.3", false, 80, true},
        {L"10.*", L"110.1.2.3", false, 80, false},
        {L"*", L"anything", true, 443, true},
        {L"s*e.t*t", L"store.test", false, 80, true},
        {L"*a*b", L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaac", false, 80, false},
        {L"other; *.example.com ,store.test", L"store.test", false, 80, true},
        {L"store.test:8001", L"store.test", false, 8001, true},
        {L"store.test:8001", L"store.test", false, 80, false},
        {L"store.test:x", L"store.test", false, 80, false},
        {L"https://store.test", L"store.test", true, 443, true},
        {L"https://store.test", L"store.test", false, 80, false},
        {L"http://*.test:80", L"store.test", false, 80, true},
        {L"ftp://store.test", L"store.test", false, 80, false},
        {L"[fe80::1]", L"[fe80::1]", false, 80, true},
        {L"", L"store.test", false, 80, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BypassListMatches(c.list, c.host, c.https, c.port), c.bypassed) << c.list << " / " << c.host;
    }
}

TEST(ProxyRules, RouteOfAnExchange) {
    const ProxySettings none;
    const ProxySettings manual{L"", L"127.0.0.1:3128", L"<local>;*.example.com"};
    const ProxySettings httpOnly{L"", L"http=127.0.0.1:3128", L""};
    const ProxySettings script{L"http://wpad/proxy.pac", L"127.0.0.1:3128", L""};
    const ProxySettings unusable{L"", L"not/a/proxy", L""};
    struct Case {
        const ProxySettings* settings;
        const wchar_t* host;
        bool https;
        ProxyRouteKind kind;
        const wchar_t* proxy;
    };
    const Case cases[] = {
        {&manual, L"store.test", false, ProxyRouteKind::Named, L"127.0.0.1:3128"},
        {&manual, L"store.test", true, ProxyRouteKind::Named, L"127.0.0.1:3128"},
        {&manual, L"127.0.0.1", false, ProxyRouteKind::Direct, L""},
        {&manual, L"localhost", true, ProxyRouteKind::Direct, L""},
        {&manual, L"[::1]", false, ProxyRouteKind::Direct, L""},
        {&manual, L"intranet", false, ProxyRouteKind::Direct, L""},
        {&manual, L"shop.example.com", false, ProxyRouteKind::Direct, L""},
        {&httpOnly, L"store.test", false, ProxyRouteKind::Named, L"127.0.0.1:3128"},
        {&httpOnly, L"store.test", true, ProxyRouteKind::Direct, L""},
        {&unusable, L"store.test", false, ProxyRouteKind::Direct, L""},
        {&script, L"store.test", false, ProxyRouteKind::Script, L""},
        {&script, L"127.0.0.2", true, ProxyRouteKind::Direct, L""},
        {&script, L"localhost", false, ProxyRouteKind::Direct, L""},
        {&none, L"store.test", false, ProxyRouteKind::Automatic, L""},
        {&none, L"127.0.0.1", false, ProxyRouteKind::Direct, L""},
    };
    for (const Case& c : cases) {
        const ProxyRoute route = ChooseProxyRoute(*c.settings, c.host, c.https, c.https ? 443 : 80);
        EXPECT_EQ(route.kind, c.kind) << c.host;
        EXPECT_EQ(route.proxy, c.proxy) << c.host;
    }
}
