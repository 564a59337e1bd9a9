// The one synchronous backend exchange over WinHTTP, bounded in size and in
// time, and the building of endpoint URLs from the configured base address.
#pragma once
#include <windows.h>
#include <winhttp.h>

#include <memory>
#include <string>
#include <utility>

#include "store/api_target.h"

// A WinHTTP handle (session, connection or request) closed on scope exit.
class WinHttpHandle {
public:
    WinHttpHandle() = default;
    explicit WinHttpHandle(HINTERNET h) : m_h(h) {}
    WinHttpHandle(WinHttpHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    WinHttpHandle& operator=(WinHttpHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.m_h, nullptr));
        return *this;
    }
    WinHttpHandle(const WinHttpHandle&) = delete;
    WinHttpHandle& operator=(const WinHttpHandle&) = delete;
    ~WinHttpHandle() { reset(); }

    HINTERNET get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    // Gives up ownership of a handle that someone else has closed.
    void release() { m_h = nullptr; }
    void reset(HINTERNET h = nullptr) {
        if (m_h) WinHttpCloseHandle(m_h);
        m_h = h;
    }

private:
    HINTERNET m_h = nullptr;
};

// Root, connection and request of one exchange. Members are destroyed in
// reverse order, so the request closes first and the root last.
struct HttpExchange {
    WinHttpHandle session;
    WinHttpHandle connection;
    WinHttpHandle request;

    void Close() {
        request.reset();
        connection.reset();
        session.reset();
    }
};

// How long a request target may be. Longer URLs fail like an unreachable
// server. Host names are limited to 255 characters in every case.
enum class TargetLimit {
    Short,      // path with query up to 1023 characters
    Long,       // path with query up to 2047 characters
    LongPath,   // path up to 2047, query up to 1023 characters
};

extern const wchar_t kUserAgent[];



// Base + "/" (unless the base is empty or already ends with one) + path.
std::wstring BuildApiUrl(const std::wstring& apiBase, const std::wstring& pathAndQuery);

// Opens root, connection and request for url with the given verb. On false
// whatever was opened has been closed again.
bool OpenHttpExchange(const std::wstring& url, const wchar_t* verb, TargetLimit limit, HttpExchange& ex);

// Sends the request and waits for the response headers. POST carries the
// JSON content-type header and body; GET carries neither. A cancel between
// the two steps ends it before the handle is used again.
bool SendAndReceive(HINTERNET request, bool post, const std::string& body, HttpCancel* cancel = nullptr);

// The response's status code, 0 when it cannot be read.
DWORD QueryStatusCode(HINTERNET request);

// Hands an exchange's request handle to a stop switch for as long as the
// exchange runs; a handle the switch closed is not closed again. Declare it
// after the exchange, so it lets go before the handles close.
class CancelRegistration {
public:
    CancelRegistration(HttpCancel* cancel, WinHttpHandle& request);
    CancelRegistration(const CancelRegistration&) = delete;
    CancelRegistration& operator=(const CancelRegistration&) = delete;
    ~CancelRegistration();
    // False once cancelled: the handle must not be used any more.
    bool Live() const;

private:
    HttpCancel* m_cancel;
    WinHttpHandle& m_request;
    bool m_registered;
};

// The largest replies taken: a JSON reply and an image. A longer reply is a
// failed exchange, so an endless one cannot exhaust memory.
constexpr size_t kMaxJsonReply = 8u << 20;
constexpr size_t kMaxImageReply = 16u << 20;

// Every exchange ends within this time from its start to its last byte: a
// server that trickles a byte now and then cannot hold a thread forever.
// Counted on the program's clock (util/clock.h).
constexpr DWORD kExchangeDeadlineMs = 60000;

// When the exchange must be over, and how much of that time is left.
class ExchangeClock {
public:
    ExchangeClock();
    // Milliseconds of the program's clock left, 0 once the deadline has passed.
    DWORD Remaining() const;

private:
    ULONGLONG m_deadline;
};

// Bounds every blocking call that follows by the time left: each platform
// time-out stays as it is unless less time than that remains. Returns the
// time left in the platform's (real) milliseconds, 0 when the deadline has
// passed.
DWORD LimitTimeouts(HINTERNET request, const ExchangeClock& clock);

// Appends the response body to reply until nothing more is available, a
// read fails, the deadline passes, the reply would exceed maxBytes or the
// exchange is cancelled. False on the last three; whatever arrived before a
// failed read is kept.
bool ReadResponseBody(HINTERNET request, std::string& reply, size_t maxBytes, const ExchangeClock& clock,
                      HttpCancel* cancel = nullptr);

// One complete exchange. False when the URL is unusable, the server cannot
// be reached, sent to or heard from, the reply is longer than maxBytes or
// the deadline passes or cancel is raised (before or during the exchange);
// then reply is untouched. True otherwise, whatever the status code, with
// reply holding the body (possibly empty). Redirects are not followed: a
// redirect's own reply is the reply. status, when given, receives the
// status code.
bool HttpRequest(const std::wstring& url, const wchar_t* verb, const std::string& body, std::string& reply,
                 DWORD* status = nullptr, TargetLimit limit = TargetLimit::Short, size_t maxBytes = kMaxJsonReply,
                 HttpCancel* cancel = nullptr);

// A GET exchange's outcome as one value, for handing between threads.
struct HttpReply {
    bool ok = false;
    DWORD status = 0;
    std::string body;
};
HttpReply HttpGet(const std::wstring& url, HttpCancel* cancel, TargetLimit limit = TargetLimit::Short);
