// Reading the user's proxy settings (WinHTTP's view of Internet Options,
// completed from the Internet Settings values) and opening the session of an
// exchange on the route the proxy rules choose.
#include "store/system_proxy.h"

#include "store/http.h"
#include "store/proxy_rules.h"
#include "util/handles.h"

namespace {

constexpr wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Never destroyed: a worker that outlives its window may still open an
// exchange while the process exits.
SRWLOCK g_settingsLock = SRWLOCK_INIT;
const ProxySettings* g_settings = nullptr;

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

// The manual proxy from the values Internet Options writes beside its binary
// copy of the settings. Windows reports them through WinHTTP as well; Wine's
// WinHTTP reads only the binary copy, which is often missing.
void ReadManualProxyValues(ProxySettings& settings) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    DWORD enabled = 0;
    DWORD bytes = sizeof(enabled);
    if (RegGetValueW(key.get(), nullptr, L"ProxyEnable", RRF_RT_DWORD, nullptr, &enabled, &bytes) != ERROR_SUCCESS ||
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
    }
    if (settings.proxyList.empty()) ReadManualProxyValues(settings);
    OutputDebugStringW((L"[Proxy] script=" + settings.autoConfigUrl + L" manual=" + settings.proxyList +
                        L" bypass=" + settings.bypassList).c_str());
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

}  // namespace

HINTERNET OpenSessionFor(const std::wstring& host, bool https, INTERNET_PORT port) {
    const ProxyRoute route = ChooseProxyRoute(UserProxySettings(), host, https, port);
    switch (route.kind) {
        case ProxyRouteKind::Named:
            return OpenSession(WINHTTP_ACCESS_TYPE_NAMED_PROXY, route.proxy.c_str());
        case ProxyRouteKind::Automatic:
            // Where the system cannot resolve proxies for us the exchange goes direct.
            if (HINTERNET session = OpenSession(WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME)) {
                return session;
            }
            break;
        case ProxyRouteKind::Direct:
            break;
    }
    return OpenSession(WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME);
}

void ForgetProxySettingsForTesting() {
    ExclusiveLock lock(g_settingsLock);
    delete g_settings;
    g_settings = nullptr;
}
