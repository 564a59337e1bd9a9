// Which way an exchange takes to its server under the user's proxy settings:
// the loopback rule, the proxy list ("host:port" or "http=host:port;https=
// host:port") and the bypass list ("<local>;*.example.com;10.*"). Windows-
// free, so the rules can be tested and fuzzed natively.
#pragma once

#include <string>

// The user's proxy settings as Internet Options keeps them.
struct ProxySettings {
    std::wstring autoConfigUrl;  // a proxy auto-config script, empty when none
    std::wstring proxyList;      // the manual proxy, empty when it is off
    std::wstring bypassList;     // hosts the manual proxy is not used for
    bool autoDetect = false;     // "Automatically detect settings"
};

enum class ProxyRouteKind {
    Direct,     // straight to the server
    Named,      // through the proxy named in the route
    Script,     // as the proxy script answers for the URL
    Automatic,  // the system decides: auto-detection or its own settings
};

struct ProxyRoute {
    ProxyRouteKind kind = ProxyRouteKind::Direct;
    std::wstring proxy;  // "host:port" for Named
};

// "localhost", 127.0.0.0/8 in dotted-quad form and ::1 (bracketed or not).
bool IsLoopbackHost(const std::wstring& host);

// The first usable entry of a proxy list for the scheme, as "host:port" (port
// 80 when it names none): an entry for the scheme ("https=...") before one
// for every scheme. Empty when none serves it.
std::wstring ProxyForScheme(const std::wstring& proxyList, bool https);

// Whether an entry of the bypass list names the host: "<local>" for a name
// without a dot, otherwise a pattern with "*" wildcards, optionally with
// "http://" or "https://" before it and ":port" after it. Case-insensitive.
bool BypassListMatches(const std::wstring& bypassList, const std::wstring& host, bool https, unsigned port);

// Loopback hosts go direct whatever the settings say. Otherwise a proxy
// script decides; without one a manual proxy is used unless the bypass list
// names the host or no entry serves the scheme (then direct); without either
// the system decides.
ProxyRoute ChooseProxyRoute(const ProxySettings& settings, const std::wstring& host, bool https, unsigned port);
