// The proxy choice for one exchange: loopback test, proxy list and bypass
// list, on plain text.
#include "store/proxy_rules.h"

#include <vector>

namespace {

constexpr unsigned kDefaultProxyPort = 80;

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

std::wstring Lowered(std::wstring text) {
    for (wchar_t& c : text) c = Lower(c);
    return text;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsHexDigit(wchar_t c) { return IsDigit(c) || (Lower(c) >= L'a' && Lower(c) <= L'f'); }

bool IsNameChar(wchar_t c) { return IsDigit(c) || (Lower(c) >= L'a' && Lower(c) <= L'z') || c == L'-' || c == L'.' || c == L'_'; }

bool AllOf(const std::wstring& text, bool (*pred)(wchar_t)) {
    for (wchar_t c : text) {
        if (!pred(c)) return false;
    }
    return true;
}

// The pieces of a list separated by any of the given characters, empty ones dropped.
std::vector<std::wstring> Split(const std::wstring& list, const wchar_t* separators) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = list.find_first_of(separators, start);
        const size_t stop = end == std::wstring::npos ? list.size() : end;
        if (stop > start) pieces.push_back(list.substr(start, stop - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return pieces;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return Lowered(text.substr(0, std::wstring(prefix).size())) == prefix;
}

// A decimal number of one to `maxDigits` digits no larger than `max`.
bool ReadNumber(const std::wstring& text, size_t maxDigits, unsigned max, unsigned& value) {
    if (text.empty() || text.size() > maxDigits || !AllOf(text, IsDigit)) return false;
    value = 0;
    for (wchar_t c : text) value = value * 10 + static_cast<unsigned>(c - L'0');
    return value <= max;
}

// The value of one to four hex digits.
unsigned HexValue(const std::wstring& digits) {
    unsigned value = 0;
    for (wchar_t c : digits) value = value * 16 + static_cast<unsigned>(IsDigit(c) ? c - L'0' : Lower(c) - L'a' + 10);
    return value;
}

bool IsIpv4Loopback(const std::wstring& host) {
    const std::vector<std::wstring> parts = Split(host, L".");
    if (parts.size() != 4 || host.front() == L'.' || host.back() == L'.' ||
        host.find(L"..") != std::wstring::npos) {
        return false;
    }
    unsigned value = 0;
    for (const std::wstring& part : parts) {
        if (!ReadNumber(part, 3, 255, value)) return false;
    }
    return parts[0] == L"127";
}

// An IPv6 address of eight groups, or fewer with one "::", that is ::1.
bool IsIpv6Loopback(const std::wstring& host) {
    const size_t gap = host.find(L"::");
    if (gap != std::wstring::npos && host.find(L"::", gap + 1) != std::wstring::npos) return false;
    const std::wstring head = gap == std::wstring::npos ? host : host.substr(0, gap);
    const std::wstring tail = gap == std::wstring::npos ? std::wstring() : host.substr(gap + 2);
    std::vector<unsigned> groups;
    for (const std::wstring* side : {&head, &tail}) {
        if (side->empty()) continue;
        if (side->front() == L':' || side->back() == L':' || side->find(L"::") != std::wstring::npos) return false;
        for (const std::wstring& group : Split(*side, L":")) {
            if (group.size() > 4 || !AllOf(group, IsHexDigit)) return false;
            groups.push_back(HexValue(group));
        }
    }
    if (gap == std::wstring::npos ? groups.size() != 8 : groups.size() > 7) return false;
    if (groups.empty() || groups.back() != 1) return false;
    for (size_t i = 0; i + 1 < groups.size(); ++i) {
        if (groups[i] != 0) return false;
    }
    // With "::" the ones left out are zeros; the last group must be the one
    // written last, so an address ending in "::" is not ::1.
    return gap == std::wstring::npos || !tail.empty();
}

std::wstring WithoutBrackets(const std::wstring& host) {
    if (host.size() >= 2 && host.front() == L'[' && host.back() == L']') return host.substr(1, host.size() - 2);
    return host;
}

// A host followed by an optional ":port", bracketed when it is an IPv6
// address. False when the text has another shape.
bool SplitHostPort(const std::wstring& text, std::wstring& host, std::wstring& port, bool& hasPort) {
    size_t hostEnd;
    if (!text.empty() && text.front() == L'[') {
        const size_t close = text.find(L']');
        if (close == std::wstring::npos) return false;
        hostEnd = close + 1;
    } else {
        hostEnd = text.find(L':');
        if (hostEnd == std::wstring::npos) hostEnd = text.size();
    }
    host = text.substr(0, hostEnd);
    hasPort = hostEnd < text.size();
    if (hasPort && text[hostEnd] != L':') return false;
    port = hasPort ? text.substr(hostEnd + 1) : std::wstring();
    return !host.empty();
}

bool IsProxyHost(const std::wstring& host) {
    if (host.front() == L'[') {
        const std::wstring inner = WithoutBrackets(host);
        return inner.size() + 2 == host.size() && !inner.empty() &&
               AllOf(inner, [](wchar_t c) { return IsHexDigit(c) || c == L':' || c == L'.'; });
    }
    return AllOf(host, IsNameChar);
}

// One proxy entry as "host:port", or empty when it is not usable. A proxy is
// spoken to in plain HTTP, so only that scheme may be written before it.
std::wstring NormalizedProxy(std::wstring entry) {
    if (StartsWith(entry, L"http://")) entry.erase(0, 7);
    if (!entry.empty() && entry.back() == L'/') entry.pop_back();
    std::wstring host, portText;
    bool hasPort = false;
    if (!SplitHostPort(entry, host, portText, hasPort) || !IsProxyHost(host)) return std::wstring();
    unsigned port = kDefaultProxyPort;
    if (hasPort && (!ReadNumber(portText, 5, 65535, port) || port == 0)) return std::wstring();
    return host + L":" + std::to_wstring(port);
}

// "*" stands for any run of characters; both texts are lower case.
bool WildcardMatches(const std::wstring& pattern, const std::wstring& text) {
    size_t p = 0, t = 0, star = std::wstring::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

bool BypassEntryMatches(std::wstring entry, const std::wstring& host, bool https, unsigned port) {
    if (entry == L"<local>") return host.find_first_of(L".:[") == std::wstring::npos;
    const size_t scheme = entry.find(L"://");
    if (scheme != std::wstring::npos) {
        if (entry.compare(0, scheme, https ? L"https" : L"http") != 0) return false;
        entry.erase(0, scheme + 3);
    }
    std::wstring pattern, portText;
    bool hasPort = false;
    if (!SplitHostPort(entry, pattern, portText, hasPort)) return false;
    unsigned wanted = 0;
    if (hasPort && (!ReadNumber(portText, 5, 65535, wanted) || wanted != port)) return false;
    return WildcardMatches(WithoutBrackets(pattern), WithoutBrackets(host));
}

}  // namespace

bool IsLoopbackHost(const std::wstring& host) {
    std::wstring name = Lowered(host);
    if (name == L"localhost" || name == L"localhost.") return true;
    if (name.empty()) return false;
    if (IsIpv4Loopback(name)) return true;
    name = WithoutBrackets(name);
    return name.find(L':') != std::wstring::npos && IsIpv6Loopback(name);
}

std::wstring ProxyForScheme(const std::wstring& proxyList, bool https) {
    const std::wstring scheme = https ? L"https" : L"http";
    std::wstring forEveryScheme;
    for (const std::wstring& entry : Split(proxyList, L"; \t\r\n")) {
        const size_t equals = entry.find(L'=');
        if (equals == std::wstring::npos) {
            if (forEveryScheme.empty()) forEveryScheme = NormalizedProxy(entry);
        } else if (Lowered(entry.substr(0, equals)) == scheme) {
            const std::wstring proxy = NormalizedProxy(entry.substr(equals + 1));
            if (!proxy.empty()) return proxy;
        }
    }
    return forEveryScheme;
}

bool BypassListMatches(const std::wstring& bypassList, const std::wstring& host, bool https, unsigned port) {
    const std::wstring name = Lowered(host);
    for (const std::wstring& entry : Split(Lowered(bypassList), L";, \t\r\n")) {
        if (BypassEntryMatches(entry, name, https, port)) return true;
    }
    return false;
}

ProxyRoute ChooseProxyRoute(const ProxySettings& settings, const std::wstring& host, bool https, unsigned port) {
    ProxyRoute route;
    if (IsLoopbackHost(host)) return route;
    if (!settings.autoConfigUrl.empty() || settings.proxyList.empty()) {
        route.kind = settings.autoConfigUrl.empty() ? ProxyRouteKind::Automatic : ProxyRouteKind::Script;
        return route;
    }
    if (BypassListMatches(settings.bypassList, host, https, port)) return route;
    route.proxy = ProxyForScheme(settings.proxyList, https);
    if (!route.proxy.empty()) route.kind = ProxyRouteKind::Named;
    return route;
}
