// Start-up time of the main window against a local backend: from the
// object's allocation through window set-up, login, catalogue and offer to
// the end of the first full paint; and the time of one loopback request.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "config/config.h"
#include "identity/device_id.h"
#include "mainwnd/main_wnd.h"
#include "store/http.h"
#include "util/log.h"
#include "util/text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// One start-up as the entry point and InitWindow run it, up to the end of
// the first paint; the window is destroyed afterwards (outside the timing).
// False when the login or the catalogue did not come through.
bool StartOnce(double& ms) {
    const auto start = Clock::now();
    CMainWnd* wnd = CMainWnd::CreateZeroFilled();
    wnd->CreateAndLayoutWindow();
    wnd->AutoLogin();
    wnd->FetchGames();
    wnd->FetchProducts();
    InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
    UpdateWindow(wnd->m_hWnd);
    ms = Ms(start, Clock::now());

    const bool complete = wnd->m_nUid != 0 && !wnd->m_aVersions.empty();
    DestroyWindow(wnd->m_hWnd);
    PumpMessages();
    return complete;
}

}  // namespace

int main() {
    const char* api = std::getenv("ORVANE_BENCH_API");
    if (!api || !*api) {
        std::fprintf(stderr, "ORVANE_BENCH_API must name the backend (http://HOST:PORT/api/v1)\n");
        return 2;
    }
    const std::wstring base = Utf8ToWide(api);
    WriteFileBytes(GetConfigFilePath(), "{\n  \"api_base\": \"" + std::string(api) + "\"\n}\n");

    constexpr int kStarts = 20;
    std::vector<double> starts;
    int incomplete = 0;
    for (int i = 0; i < kStarts; ++i) {
        double ms = 0.0;
        if (!StartOnce(ms)) ++incomplete;
        starts.push_back(ms);
    }

    constexpr int kRequests = 200;
    std::vector<double> requests;
    int failed = 0;
    const std::wstring url = BuildApiUrl(base, L"games");
    for (int i = 0; i < kRequests; ++i) {
        std::string reply;
        const auto t0 = Clock::now();
        if (!HttpRequest(url, L"GET", std::string(), reply) || reply.empty()) ++failed;
        requests.push_back(Ms(t0, Clock::now()));
    }

    std::printf("start-up to first full paint, %d runs: first %.1f ms, median %.1f ms, p95 %.1f ms, max %.1f ms"
                " (target <= 250 ms)%s\n",
                kStarts, starts.front(), Percentile(starts, 0.5), Percentile(starts, 0.95),
                *std::max_element(starts.begin(), starts.end()),
                incomplete ? " INCOMPLETE RUNS" : "");
    std::printf("GET games, %d requests: median %.2f ms, p95 %.2f ms (target median <= 3 ms)%s\n", kRequests,
                Percentile(requests, 0.5), Percentile(requests, 0.95), failed ? " FAILED REQUESTS" : "");
    return incomplete || failed ? 1 : 0;
}
