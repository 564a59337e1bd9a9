// The integration tests' side channel to the test backend started by run.sh:
// its addresses, reply scripts, the log of requests it received, and the
// client files (configuration, log) the code under test reads and writes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace backend {

// An environment variable set by run.sh; empty when unset.
std::wstring TestEnv(const char* name);

// ORVANE_TEST_API, e.g. "http://127.0.0.1:PORT/api/v1"; empty when unset.
std::wstring ApiBase();

// One request as the backend received it.
struct Received {
    std::string method;
    std::string target;
    std::string userAgent;
    std::string contentType;
    std::string bodyText;
    // When the request arrived and when its exchange ended (reply sent, or the
    // client gone), in milliseconds of the backend's clock; -1 when unknown.
    double receivedMs = -1;
    double endedMs = -1;
};

// Clears scripts and the request log.
bool Reset();

// Queues replies (a JSON array text) for an endpoint relative to /api/v1.
bool Script(const std::string& endpoint, const std::string& repliesJson);

// Every request received since the last reset, in order.
std::vector<Received> Requests();

// Sets an order's status at the backend directly, as the operator would.
bool SetOrderStatus(const std::wstring& orderNo, const std::string& status);

// Requests received since the last reset whose target starts with prefix.
int CountRequests(const std::string& targetPrefix);

// A reply script entry whose body is the given text, JSON-escaped.
std::string BodyReply(const std::string& text, int status = 200, const std::string& extra = "");

// A reply script entry carrying raw bytes (sent base64-encoded to the backend).
std::string BytesReply(const std::string& bytes, int status = 200, const std::string& extra = "");

// Points the client's configuration file at base (as "api_base").
void WriteClientConfig(const std::wstring& base);

// The client's configuration file and log file as bytes (empty if missing).
std::string ReadClientConfig();
std::string ReadClientLog();

}  // namespace backend

// Skips the current test when run.sh did not provide a backend.
#define REQUIRE_BACKEND()                                                        \
    do {                                                                         \
        if (backend::ApiBase().empty()) GTEST_SKIP() << "ORVANE_TEST_API unset"; \
        ASSERT_TRUE(backend::Reset());                                           \
    } while (0)
