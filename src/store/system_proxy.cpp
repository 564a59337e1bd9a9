// Reading the user's proxy settings (WinHTTP's view of Internet Options,
// completed from the Internet Settings values), asking the proxy script or
// automatic detection once per server, and opening the session of an
// exchange on the route chosen.
#include "store/system_proxy.h"

#include <map>

#include "store/http.h"
#include "store/proxy_rules.h"
#include "util/handles.h"

namespace {

constexpr wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// How long proxy discovery may take at each step (name, connection, request,
// reply) before the exchange goes on without it.
constexpr int kDiscoveryTimeoutMs = 5000;

struct Discovery {
    bool found = false;
    ProxyRoute route;
};

// Never destroyed: a worker that outlives its window may still open an
// exchange while the process exits.
SRWLOCK g_settingsLock = SRWLOCK_INIT;
const ProxySettings* g_settings = nullptr;
// Discovery's answers by script and server.
std::map<std::wstring, Discovery>* g_discovered = new std::map<std::wstring, Discovery>();

// The user's configuration as WinHTTP reports it; frees its texts.
class IeProxyConfig {
public:
    IeProxyConfig() : m_read(WinHttpGetIEProxyConfigForCurrentUser(&m_config) != FALSE) {}
    IeProxyConfig(const IeProxyConfig&) = delete;
    IeProxyConfig& operator=(const IeProxyConfig&) = delete;
    ~IeProxyConfig() {
        for (LPWSTR text : {m_config.lpszAutoConfigUrl, m_config.lpszProxy, m_config.lpszProxyBypass}) {
            if (text) GlobalFree(text);
        }
    }
    bool Read() const { return m_read; }
    const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& Get() const { return m_config; }

private:
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG m_config = {};
    bool m_read;
};

std::wstring Text(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

std::wstring ReadSettingText(HKEY key, const wchar_t* name) {
    DWORD bytes = 0;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS || bytes == 0) {
        return std::wstring();
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, &text[0], &bytes) != ERROR_SUCCESS) {
        return std::wstring();
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// The script and the manual proxy from the values Internet Options writes
// beside its binary copy of the settings, where WinHTTP reported neither.
// Windows reports them through WinHTTP as well; Wine's WinHTTP reads only the
// binary copy, which is often missing.
void CompleteFromSettingValues(ProxySettings& settings) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    if (settings.autoConfigUrl.empty()) settings.autoConfigUrl = ReadSettingText(key.get(), L"AutoConfigURL");
    DWORD enabled = 0;
    DWORD bytes = sizeof(enabled);
    if (!settings.proxyList.empty() ||
        RegGetValueW(key.get(), nullptr, L"ProxyEnable", RRF_RT_DWORD, nullptr, &enabled, &bytes) != ERROR_SUCCESS ||
        enabled == 0) {
        return;
    }
    settings.proxyList = ReadSettingText(key.get(), L"ProxyServer");
    settings.bypassList = ReadSettingText(key.get(), L"ProxyOverride");
}

ProxySettings ReadUserProxySettings() {
    ProxySettings settings;
    const IeProxyConfig config;
    if (config.Read()) {
        settings.autoConfigUrl = Text(config.Get().lpszAutoConfigUrl);
        settings.proxyList = Text(config.Get().lpszProxy);
        settings.bypassList = Text(config.Get().lpszProxyBypass);
        settings.autoDetect = config.Get().fAutoDetect != FALSE;
    }
    CompleteFromSettingValues(settings);
    OutputDebugStringW((L"[Proxy] script=" + settings.autoConfigUrl + L" manual=" + settings.proxyList +
                        L" bypass=" + settings.bypassList + L" detect=" + (settings.autoDetect ? L"1" : L"0"))
                           .c_str());
    return settings;
}

// Read at the first exchange; discovery that reads nothing leaves the choice
// to the system, which goes direct when it finds nothing either.
ProxySettings UserProxySettings() {
    ExclusiveLock lock(g_settingsLock);
    if (!g_settings) g_settings = new ProxySettings(ReadUserProxySettings());
    return *g_settings;
}

HINTERNET OpenSession(DWORD access, const wchar_t* proxy) {
    return WinHttpOpen(kUserAgent, access, proxy, WINHTTP_NO_PROXY_BYPASS, 0);
}

// What a proxy script, or automatic detection where script is empty, answers
// for the server at origin. False when discovery fails: no script to be had,
// a script that fails, nothing detected.
bool DiscoverRoute(const std::wstring& origin, const std::wstring& script, ProxyRoute& route) {
    const WinHttpHandle session(OpenSession(WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME));
    if (!session) return false;
    WinHttpSetTimeouts(session.get(), kDiscoveryTimeoutMs, kDiscoveryTimeoutMs, kDiscoveryTimeoutMs,
                       kDiscoveryTimeoutMs);
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (script.empty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = script.c_str();
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info = {};
    if (!WinHttpGetProxyForUrl(session.get(), origin.c_str(), &options, &info)) return false;
    route = ProxyRoute();
    if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy && *info.lpszProxy) {
        route.kind = ProxyRouteKind::Named;
        route.proxy = info.lpszProxy;
    }
    for (LPWSTR text : {info.lpszProxy, info.lpszProxyBypass}) {
        if (text) GlobalFree(text);
    }
    return true;
}

// Discovery for a server, asked once per process; later exchanges to it take
// the route it gave, or fall back again where it failed.
bool DiscoveredRoute(const std::wstring& origin, const std::wstring& script, ProxyRoute& route) {
    const std::wstring key = script + L" " + origin;
    {
        ExclusiveLock lock(g_settingsLock);
        const auto known = g_discovered->find(key);
        if (known != g_discovered->end()) {
            route = known->second.route;
            return known->second.found;
        }
    }
    Discovery discovery;
    discovery.found = DiscoverRoute(origin, script, discovery.route);
    route = discovery.route;
    ExclusiveLock lock(g_settingsLock);
    g_discovered->emplace(key, discovery);
    return discovery.found;
}

std::wstring Origin(const std::wstring& host, bool https, INTERNET_PORT port) {
    const bool bracketed = host.find(L':') != std::wstring::npos && host.front() != L'[';
    return std::wstring(https ? L"https://" : L"http://") + (bracketed ? L"[" + host + L"]" : host) + L":" +
           std::to_wstring(port) + L"/";
}

// The rules' route with the script's answer put in: a script that cannot be
// had or run leaves the route the other settings choose.
ProxyRoute RouteFor(const ProxySettings& settings, const std::wstring& host, bool https, INTERNET_PORT port) {
    const ProxyRoute route = ChooseProxyRoute(settings, host, https, port);
    if (route.kind != ProxyRouteKind::Script) return route;
    ProxyRoute answered;
    if (DiscoveredRoute(Origin(host, https, port), settings.autoConfigUrl, answered)) return answered;
    ProxySettings rest = settings;
    rest.autoConfigUrl.clear();
    return ChooseProxyRoute(rest, host, https, port);
}

}  // namespace

HINTERNET OpenSessionFor(const std::wstring& host, bool https, INTERNET_PORT port) {
    const ProxySettings settings = UserProxySettings();
    ProxyRoute route = RouteFor(settings, host, https, port);
    if (route.kind == ProxyRouteKind::Automatic) {
        // Windows 8.1 and later resolve by themselves: detection, the
        // machine's settings. Before it, detection is asked for by hand.
        if (HINTERNET session = OpenSession(WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME)) {
            return session;
        }
        if (!settings.autoDetect || !DiscoveredRoute(Origin(host, https, port), L"", route)) route = ProxyRoute();
    }
    if (route.kind == ProxyRouteKind::Named) return OpenSession(WINHTTP_ACCESS_TYPE_NAMED_PROXY, route.proxy.c_str());
    return OpenSession(WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME);
}

void ForgetProxySettingsForTesting() {
    ExclusiveLock lock(g_settingsLock);
    delete g_settings;
    g_settings = nullptr;
    g_discovered->clear();
}
