// The signed-in user's proxy settings, read once per process, and the
// WinHTTP session that takes an exchange to its server the way they choose.
#pragma once
#include <windows.h>
#include <winhttp.h>

#include <string>

// A session for one exchange to host: direct, through the proxy the user's
// script or manual settings name, or left to the system's own proxy
// resolution. Null when WinHTTP cannot open one.
HINTERNET OpenSessionFor(const std::wstring& host, bool https, INTERNET_PORT port);

// Makes the next exchange read the user's settings afresh; tests that change
// them only.
void ForgetProxySettingsForTesting();
