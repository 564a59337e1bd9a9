// The start-up login: identity from the executable's name, one POST "login"
// retried on the same request handle, and the reply copied into the window.
#include "config/autologin.h"

#include "config/config.h"
#include "identity/device_id.h"
#include "mainwnd/main_wnd.h"
#include "mainwnd/pumped_call.h"
#include "store/http.h"
#include "util/clock.h"
#include "util/log.h"
#include "util/text.h"

namespace {

// Waits after the first, second and third failed attempt.
constexpr DWORD kRetryWaitsMs[] = {500, 1000, 2000};
constexpr size_t kSampleBytes = 1024;

// A retry wait, cut short when the login is cancelled.
void PauseUnlessCancelled(DWORD ms, const HttpCancel* cancel) {
    const uint64_t end = ClockNowMs() + ms;
    while (!(cancel && cancel->Cancelled()) && ClockNowMs() < end) ClockSleepMs(20);
}

// Up to three attempts on one request handle; the first non-empty body, or
// an empty text when none came.
std::string PostLoginAttempts(const std::wstring& url, const std::string& body, HttpCancel* cancel) {
    HttpExchange ex;
    if (!OpenHttpExchange(url, L"POST", TargetLimit::Short, ex)) return std::string();
    std::string reply;
    bool aborted = false;
    for (DWORD waitMs : kRetryWaitsMs) {
        // A reply given up half-read would be drained before the request could
        // go out again, and an endless one never ends: start afresh instead.
        if (aborted && !OpenHttpExchange(url, L"POST", TargetLimit::Short, ex)) break;
        aborted = false;
        const CancelRegistration registration(cancel, ex.request);
        if (!registration.Live()) return std::string();
        const ExchangeClock clock;
        if (LimitTimeouts(ex.request.get(), clock) && SendAndReceive(ex.request.get(), true, body, cancel) &&
            registration.Live()) {
            const DWORD status = QueryStatusCode(ex.request.get());
            reply.clear();
            // A reply too long or too slow counts as none.
            aborted = !ReadResponseBody(ex.request.get(), reply, kMaxJsonReply, clock, cancel);
            if (aborted) reply.clear();
            if (!registration.Live()) return std::string();
            WriteLog(L"AutoLogin status=" + std::to_wstring(status) + L" resp_len=" + std::to_wstring(reply.size()));
            if (!reply.empty()) break;
        } else {
            if (!registration.Live()) return std::string();
            aborted = clock.Remaining() == 0;
        }
        PauseUnlessCancelled(waitMs, cancel);
    }
    return reply;
}

// The file name cut before the last ".exe" (lower case only).
std::wstring Stem(const std::wstring& fileName) {
    const size_t ext = fileName.rfind(L".exe");
    return ext == std::wstring::npos ? fileName : fileName.substr(0, ext);
}

}  // namespace

std::wstring ExeFileNameFromPath(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ChannelCodeFromFileName(const std::wstring& fileName) {
    const std::wstring stem = Stem(fileName);
    const size_t last = stem.rfind(L'_');
    if (last == std::wstring::npos) return stem;
    const size_t before = last == 0 ? std::wstring::npos : stem.rfind(L'_', last - 1);
    if (before == std::wstring::npos) return stem.substr(last + 1);
    return stem.substr(before + 1, last - before - 1);
}

std::wstring ClickIdFromFileName(const std::wstring& fileName) {
    const std::wstring stem = Stem(fileName);
    const size_t last = stem.rfind(L'_');
    if (last == std::wstring::npos || last == 0 || stem.rfind(L'_', last - 1) == std::wstring::npos) return L"";
    return stem.substr(last + 1);
}

std::wstring GetExeFileName() {
    wchar_t path[260] = {};
    GetModuleFileNameW(nullptr, path, 260);
    return ExeFileNameFromPath(path);
}

std::wstring GetChannelCode() { return ChannelCodeFromFileName(GetExeFileName()); }

std::wstring GetClickId() { return ClickIdFromFileName(GetExeFileName()); }

std::string BuildLoginBody(const std::wstring& exeName, const std::wstring& channelCode,
                           const std::wstring& clickId, const std::wstring& machineCode) {
    return "{\"exe_name\":\"" + JsonEscape(exeName) + "\",\"channel_code\":\"" + JsonEscape(channelCode) +
           "\",\"qhclickid\":\"" + JsonEscape(clickId) + "\",\"machine_code\":\"" + JsonEscape(machineCode) + "\"}";
}

void CMainWnd::AutoLogin() {
    m_strApiBase = LoadApiBase();
    const std::wstring url = BuildApiUrl(m_strApiBase, L"login");

    const std::wstring exeName = GetExeFileName();
    const std::wstring channel = GetChannelCode();
    const std::wstring clickId = GetClickId();
    const std::wstring machine = m_pDeviceID ? m_pDeviceID->GenerateUserCode() : std::wstring();
    const std::string body = BuildLoginBody(exeName, channel, clickId, machine);
    WriteLog(L"AutoLogin begin api=" + m_strApiBase + L" exe=" + exeName + L" channel=" + channel +
             L" machine=" + machine);

    // The attempts and their waits run beside the window, which keeps
    // answering; a login abandoned because the program ends changes nothing.
    const std::optional<std::string> reply = PumpedCall<std::string>::Run(
        *this, [url, body](const ApiTarget& api) { return PostLoginAttempts(url, body, api.cancel); });
    if (!reply || reply->empty()) return;

    WriteLog(L"AutoLogin resp sample: " + Utf8ToWide(reply->substr(0, kSampleBytes)));
    LoginResult result;
    if (!ParseLoginResponse(*reply, result)) return;

    m_nUid = result.uid;
    m_nMachineId = result.machine_id;
    m_strLevel = result.level;
    m_strToken = result.token;
    m_strMachineCode = result.machine_code;
    m_strChannelCode = result.channel_code;
    m_strQhclickid = result.qhclickid;
    SaveLoginState(m_strApiBase, result);
    OutputDebugStringW(L"[Login] Success, uid and machine_code updated");
    WriteLog(L"Login success uid=" + std::to_wstring(m_nUid) + L" machine_id=" + std::to_wstring(m_nMachineId));
}
