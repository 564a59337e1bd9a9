// The backend exchange: URL splitting into fixed-size parts, one WinHTTP
// root (on the proxy route for the host), connection and request per call,
// the deadline and the bounded body read loop.
#include "store/http.h"

#include <algorithm>
#include <vector>

#include "store/system_proxy.h"
#include "util/clock.h"

const wchar_t kUserAgent[] = L"OrvaneDownloader/1.0";

namespace {

constexpr wchar_t kJsonHeader[] = L"Content-Type: application/json\r\n";

// Buffer sizes in characters, terminator included.
constexpr DWORD kHostChars = 256;

struct TargetBuffers {
    DWORD pathChars;
    DWORD queryChars;
    DWORD combinedChars;  // path and query together, 0 when each has its own limit
};

// The platform's own time-outs (resolve: none; connect; send; receive; the
// wait for the response headers), which the deadline may only shorten.
struct TimeoutOption {
    DWORD option;
    DWORD platformMs;  // 0: no time-out
};
constexpr DWORD kPlatformReceiveMs = 30000;
constexpr TimeoutOption kTimeouts[] = {
    {WINHTTP_OPTION_RESOLVE_TIMEOUT, 0},
    {WINHTTP_OPTION_CONNECT_TIMEOUT, 60000},
    {WINHTTP_OPTION_SEND_TIMEOUT, 30000},
    {WINHTTP_OPTION_RECEIVE_TIMEOUT, kPlatformReceiveMs},
    {WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, 90000},
};

// A read that failed keeps what arrived before it, unless it failed because
// the deadline had shortened its time-out: then the exchange failed.
bool KeepsReplyAfterFailedRead(DWORD leftBeforeRead) {
    return !(GetLastError() == ERROR_WINHTTP_TIMEOUT && leftBeforeRead < kPlatformReceiveMs);
}

TargetBuffers BuffersFor(TargetLimit limit) {
    switch (limit) {
        case TargetLimit::Long: return {2048, 2048, 2048};
        case TargetLimit::LongPath: return {2048, 1024, 0};
        case TargetLimit::Short: break;
    }
    return {1024, 1024, 1024};
}

}  // namespace

CancelRegistration::CancelRegistration(HttpCancel* cancel, WinHttpHandle& request)
    : m_cancel(cancel), m_request(request) {
    m_registered = !m_cancel || m_cancel->Register(m_request.get());
}

CancelRegistration::~CancelRegistration() {
    if (m_cancel && m_registered && !m_cancel->Unregister(m_request.get())) m_request.release();
}

bool CancelRegistration::Live() const { return m_registered && !(m_cancel && m_cancel->Cancelled()); }

std::shared_ptr<HttpCancel> NewHttpCancel() {
    return std::make_shared<HttpCancel>([](void* request) { WinHttpCloseHandle(static_cast<HINTERNET>(request)); });
}

ExchangeClock::ExchangeClock() : m_deadline(ClockNowMs() + kExchangeDeadlineMs) {}

DWORD ExchangeClock::Remaining() const {
    const ULONGLONG now = ClockNowMs();
    return now >= m_deadline ? 0 : static_cast<DWORD>(m_deadline - now);
}

DWORD LimitTimeouts(HINTERNET request, const ExchangeClock& clock) {
    const DWORD remaining = clock.Remaining();
    if (remaining == 0) return 0;
    const DWORD left = ClockSpanToRealMs(remaining);
    for (const TimeoutOption& t : kTimeouts) {
        DWORD ms = t.platformMs == 0 ? left : std::min(t.platformMs, left);
        WinHttpSetOption(request, t.option, &ms, sizeof(ms));
    }
    return left;
}

std::wstring BuildApiUrl(const std::wstring& apiBase, const std::wstring& pathAndQuery) {
    std::wstring url = apiBase;
    if (!url.empty() && url.back() != L'/') url += L'/';
    url += pathAndQuery;
    return url;
}

bool OpenHttpExchange(const std::wstring& url, const wchar_t* verb, TargetLimit limit, HttpExchange& ex) {
    ex.Close();
    const TargetBuffers sizes = BuffersFor(limit);
    wchar_t host[kHostChars] = {};
    std::vector<wchar_t> path(sizes.pathChars);
    std::vector<wchar_t> query(sizes.queryChars);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = kHostChars;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = sizes.pathChars;
    parts.lpszExtraInfo = query.data();
    parts.dwExtraInfoLength = sizes.queryChars;
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
    if (sizes.combinedChars && parts.dwUrlPathLength + parts.dwExtraInfoLength >= sizes.combinedChars) return false;
    const std::wstring target = std::wstring(path.data(), parts.dwUrlPathLength) +
                                std::wstring(query.data(), parts.dwExtraInfoLength);

    const INTERNET_PORT port = parts.nPort ? parts.nPort : 80;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    ex.session.reset(OpenSessionFor(host, secure, port));
    if (!ex.session) return false;
    ex.connection.reset(WinHttpConnect(ex.session.get(), host, port, 0));
    if (!ex.connection) {
        ex.Close();
        return false;
    }
    const DWORD flags = secure ? WINHTTP_FLAG_SECURE : 0;
    ex.request.reset(WinHttpOpenRequest(ex.connection.get(), verb, target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!ex.request) {
        ex.Close();
        return false;
    }
    // A redirect could lead to another host, another scheme or round in a
    // loop; the backend never sends one, so its reply is simply taken as is.
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(ex.request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof(noRedirects));
    return true;
}

bool SendAndReceive(HINTERNET request, bool post, const std::string& body, HttpCancel* cancel) {
    BOOL sent;
    if (post) {
        const DWORD length = static_cast<DWORD>(body.size());
        sent = WinHttpSendRequest(request, kJsonHeader, static_cast<DWORD>(wcslen(kJsonHeader)),
                                  const_cast<char*>(body.data()), length, length, 0);
    } else {
        sent = WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0);
    }
    if (!sent || (cancel && cancel->Cancelled())) return false;
    return WinHttpReceiveResponse(request, nullptr) != FALSE;
}

DWORD QueryStatusCode(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return 0;
    }
    return status;
}

bool ReadResponseBody(HINTERNET request, std::string& reply, size_t maxBytes, const ExchangeClock& clock,
                      HttpCancel* cancel) {
    const auto cancelled = [cancel] { return cancel && cancel->Cancelled(); };
    std::vector<char> buffer;
    for (;;) {
        if (cancelled()) return false;
        const DWORD left = LimitTimeouts(request, clock);
        if (left == 0) return false;
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) return KeepsReplyAfterFailedRead(left) && !cancelled();
        if (available == 0) return true;
        // One byte past the limit is enough to know the reply is too long.
        const size_t room = maxBytes - std::min(maxBytes, reply.size());
        const DWORD want = static_cast<DWORD>(std::min<size_t>(available, room + 1));
        buffer.resize(want);
        DWORD read = 0;
        if (cancelled()) return false;
        if (!WinHttpReadData(request, buffer.data(), want, &read)) return KeepsReplyAfterFailedRead(left) && !cancelled();
        if (read == 0) return true;
        if (read > room) return false;
        reply.append(buffer.data(), read);
    }
}

bool HttpRequest(const std::wstring& url, const wchar_t* verb, const std::string& body, std::string& reply,
                 DWORD* status, TargetLimit limit, size_t maxBytes, HttpCancel* cancel) {
    const ExchangeClock clock;
    HttpExchange ex;
    if (!OpenHttpExchange(url, verb, limit, ex)) return false;
    const CancelRegistration registration(cancel, ex.request);
    const bool post = wcscmp(verb, L"POST") == 0;
    if (!registration.Live() || !LimitTimeouts(ex.request.get(), clock)) return false;
    if (!SendAndReceive(ex.request.get(), post, body, cancel) || !registration.Live()) return false;
    const DWORD code = QueryStatusCode(ex.request.get());
    std::string received;
    if (!ReadResponseBody(ex.request.get(), received, maxBytes, clock, cancel)) return false;
    if (status) *status = code;
    reply = std::move(received);
    return true;
}

HttpReply HttpGet(const std::wstring& url, HttpCancel* cancel, TargetLimit limit) {
    HttpReply reply;
    reply.ok = HttpRequest(url, L"GET", std::string(), reply.body, &reply.status, limit, kMaxJsonReply, cancel);
    return reply;
}
