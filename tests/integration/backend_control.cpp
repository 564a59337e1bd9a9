// Control requests to the test backend over a private WinHTTP exchange, kept
// apart from the request layer under test.
#include "integration/backend_control.h"

#include <winhttp.h>

#include <cstdint>
#include <cstdlib>

#include "config/config.h"
#include "store/reply.h"
#include "util/json.h"
#include "util/log.h"
#include "util/text.h"

namespace backend {

namespace {

// Host and port of the backend, from the API base address.
bool HostPort(std::wstring& host, INTERNET_PORT& port) {
    const std::wstring api = ApiBase();
    wchar_t hostBuf[256] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = hostBuf;
    parts.dwHostNameLength = 256;
    if (api.empty() || !WinHttpCrackUrl(api.c_str(), static_cast<DWORD>(api.size()), 0, &parts)) return false;
    host = hostBuf;
    port = parts.nPort;
    return true;
}

bool Control(const wchar_t* verb, const std::wstring& path, const std::string& body, std::string& reply) {
    std::wstring host;
    INTERNET_PORT port = 0;
    if (!HostPort(host, port)) return false;
    bool ok = false;
    HINTERNET session = WinHttpOpen(L"orvane-integration-control", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    HINTERNET connection = session ? WinHttpConnect(session, host.c_str(), port, 0) : nullptr;
    HINTERNET request = connection ? WinHttpOpenRequest(connection, verb, path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                         WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                   : nullptr;
    if (request) {
        const wchar_t* header = L"Content-Type: application/json\r\n";
        const DWORD length = static_cast<DWORD>(body.size());
        if (WinHttpSendRequest(request, header, static_cast<DWORD>(-1L), const_cast<char*>(body.data()), length,
                               length, 0) &&
            WinHttpReceiveResponse(request, nullptr)) {
            ok = true;
            for (;;) {
                DWORD available = 0;
                if (!WinHttpQueryDataAvailable(request, &available) || available == 0) break;
                std::string chunk(available, '\0');
                DWORD read = 0;
                if (!WinHttpReadData(request, &chunk[0], available, &read) || read == 0) break;
                reply.append(chunk.data(), read);
            }
        }
    }
    if (request) WinHttpCloseHandle(request);
    if (connection) WinHttpCloseHandle(connection);
    if (session) WinHttpCloseHandle(session);
    return ok;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            snprintf(buf, sizeof(buf), "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

std::wstring TestEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? Utf8ToWide(value) : std::wstring();
}

std::wstring ApiBase() { return TestEnv("ORVANE_TEST_API"); }

bool Reset() {
    std::string reply;
    return Control(L"POST", L"/__test__/reset", "{}", reply) && reply.find("\"reset\":true") != std::string::npos;
}

bool Script(const std::string& endpoint, const std::string& repliesJson) {
    std::string reply;
    const std::string body = "{\"endpoint\":\"" + Escape(endpoint) + "\",\"replies\":" + repliesJson + "}";
    return Control(L"POST", L"/__test__/script", body, reply) && reply.find("\"queued\"") != std::string::npos;
}

std::vector<Received> Requests() {
    std::string reply;
    std::vector<Received> out;
    std::string arr;
    if (!Control(L"GET", L"/__test__/requests", "", reply) || !ExtractDataArray(reply, arr)) return out;
    ForEachObject(arr, [&](const std::string& obj) {
        Received r;
        JsonGetString(obj, "method", r.method);
        JsonGetString(obj, "target", r.target);
        JsonGetString(obj, "User-Agent", r.userAgent);
        JsonGetString(obj, "Content-Type", r.contentType);
        JsonGetString(obj, "body_text", r.bodyText);
        JsonGetNumber(obj, "received_ms", r.receivedMs);
        JsonGetNumber(obj, "ended_ms", r.endedMs);
        out.push_back(r);
    });
    return out;
}

bool SetOrderStatus(const std::wstring& orderNo, const std::string& status) {
    std::string reply;
    return Control(L"POST", L"/__test__/orders/" + orderNo + L"/" + Utf8ToWide(status), "{}", reply) &&
           reply.find("\"code\":0") != std::string::npos;
}

int CountRequests(const std::string& targetPrefix) {
    int count = 0;
    for (const Received& r : Requests()) {
        if (r.target.compare(0, targetPrefix.size(), targetPrefix) == 0) ++count;
    }
    return count;
}

std::string BodyReply(const std::string& text, int status, const std::string& extra) {
    return "{\"status\":" + std::to_string(status) + ",\"body\":\"" + Escape(text) + "\"" +
           (extra.empty() ? "" : "," + extra) + "}";
}

std::string BytesReply(const std::string& bytes, int status, const std::string& extra) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string b64;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
        b64 += kAlphabet[v >> 18 & 63];
        b64 += kAlphabet[v >> 12 & 63];
        b64 += i + 1 < bytes.size() ? kAlphabet[v >> 6 & 63] : '=';
        b64 += i + 2 < bytes.size() ? kAlphabet[v & 63] : '=';
    }
    return "{\"status\":" + std::to_string(status) + ",\"body_b64\":\"" + b64 + "\"" +
           (extra.empty() ? "" : "," + extra) + "}";
}

void WriteClientConfig(const std::wstring& base) {
    WriteFileBytes(GetConfigFilePath(), "{\n  \"api_base\": \"" + WideToUtf8(base) + "\"\n}\n");
}

std::string ReadClientConfig() {
    std::string bytes;
    ReadFileBytes(GetConfigFilePath(), bytes);
    return bytes;
}

std::string ReadClientLog() {
    std::string bytes;
    ReadFileBytes(GetLogFilePath(), bytes);
    return bytes;
}

}  // namespace backend
