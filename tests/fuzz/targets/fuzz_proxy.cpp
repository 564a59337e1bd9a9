// libFuzzer target for the proxy rules. Input: proxy list, bypass list and
// host on three lines. A loopback host always goes direct, and a proxy chosen
// is in its normal form "host:port" with a port from 1 to 65535.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "store/proxy_rules.h"
#include "util/utf.h"

namespace {

// The text from pos up to the next line break; empty past the end.
std::string NextLine(const std::string& text, size_t& pos) {
    if (pos >= text.size()) return std::string();
    const size_t end = std::min(text.find('\n', pos), text.size());
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    return line;
}

void CheckNormalForm(const std::wstring& proxy, bool https) {
    if (proxy.empty()) return;
    Check(ProxyForScheme(proxy, https) == proxy);
    const size_t colon = proxy.rfind(L':');
    Check(colon != std::wstring::npos && colon > 0);
    const std::wstring port = proxy.substr(colon + 1);
    Check(!port.empty() && port.size() <= 5 && port[0] != L'0');
    Check(std::stoul(port) <= 65535);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t pos = 0;
    ProxySettings settings;
    settings.proxyList = Utf8ToWide(NextLine(input, pos));
    settings.bypassList = Utf8ToWide(NextLine(input, pos));
    // A URL's host has at most 255 characters by the time it is routed.
    const std::wstring host = Utf8ToWide(NextLine(input, pos)).substr(0, 255);
    const bool https = size > 0 && (data[0] & 1);
    const unsigned port = https ? 443 : 80;

    const ProxyRoute route = ChooseProxyRoute(settings, host, https, port);
    if (IsLoopbackHost(host)) Check(route.kind == ProxyRouteKind::Direct);
    Check((route.kind == ProxyRouteKind::Named) == !route.proxy.empty());
    CheckNormalForm(route.proxy, https);
    CheckNormalForm(ProxyForScheme(settings.proxyList, https), https);
    BypassListMatches(settings.bypassList, host, https, port);
    return 0;
}
