// Download link and customer service: a member's download record, the
// contact image's address and the support worker that fetches it.
#include "store/support.h"

#include <cstdio>
#include <vector>

#include "mainwnd/main_wnd.h"
#include "mainwnd/pumped_call.h"
#include "mainwnd/window_messages.h"
#include "store/http.h"
#include "store/image_bytes.h"
#include "store/reply.h"
#include "store/support_address.h"
#include "util/json.h"
#include "util/text.h"

namespace {

struct SupportJob : WorkerJob {};

// "scheme://host:port" of a base address; empty when it cannot be split.
std::wstring OriginOf(const std::wstring& apiBase) {
    wchar_t host[256] = {};
    std::vector<wchar_t> path(1024);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    if (apiBase.empty() || !WinHttpCrackUrl(apiBase.c_str(), static_cast<DWORD>(apiBase.size()), 0, &parts)) {
        return std::wstring();
    }
    const bool https = parts.nScheme == INTERNET_SCHEME_HTTPS;
    int port = parts.nPort;
    if (port == 0) port = https ? 443 : 80;
    wchar_t origin[320];
    swprintf(origin, 320, L"%ls://%ls:%d", https ? L"https" : L"http", host, port);
    return origin;
}

// GET support/qq and then the image it names.
FetchedImage FetchSupportImage(const ApiTarget& api) {
    std::string reply;
    if (!HttpRequest(BuildApiUrl(api.base, L"support/qq"), L"GET", std::string(), reply, nullptr, TargetLimit::Short,
                     kMaxJsonReply, api.cancel)) {
        return FetchedImage();
    }
    const std::wstring url = SupportImageUrl(reply, api.base);
    if (url.empty()) return FetchedImage();
    return FetchImage(url, TargetLimit::LongPath, api.cancel);
}

}  // namespace

std::wstring SupportImageUrl(const std::string& reply, const std::wstring& apiBase) {
    std::string address;
    if (!ReadSupportAddress(reply, address)) return std::wstring();
    const std::wstring url = Utf8ToWide(address);
    if (url[0] != L'/') return url;
    const std::wstring origin = OriginOf(apiBase);
    return origin.empty() ? std::wstring() : origin + url;
}

std::wstring GameDownloadPath(const std::wstring& name) { return L"games/download?name=" + UrlEncode(name); }

DWORD WINAPI SupportWorker(LPVOID param) {
    const std::unique_ptr<SupportJob> job = TakeJob<SupportJob>(param);
    const GdiplusSession gdiplus;
    FetchedImage image = FetchSupportImage(job->Api());
    job->Deliver([ticket = job->ticket, image = std::move(image)](CMainWnd& w) mutable {
        w.ApplySupportImage(ticket, std::move(image));
    },
                 WM_SUPPORT_LOADED);
    return 0;
}

void CMainWnd::FetchGameDownload() {
    const std::wstring name = m_aVersions[m_nSelectedVersion].name;
    const std::optional<HttpReply> reply = PumpedCall<HttpReply>::Run(*this, [name](const ApiTarget& api) {
        return HttpGet(BuildApiUrl(api.base, GameDownloadPath(name)), api.cancel, TargetLimit::LongPath);
    });
    std::string data;
    if (!reply || !reply->ok || !ExtractDataObject(reply->body, data)) return;
    std::string link;
    JsonGetString(data, "download_url", link);
    m_vipOrder = OrderInfo();
    m_vipOrder.game_name = name;
    m_vipOrder.time_text = FormatLocalTime();
    m_vipOrder.download_url = Utf8ToWide(link);
    m_bVipDownload = true;
    m_bShowOrderDetail = true;
    Repaint();
}

void CMainWnd::StartSupportWorker() {
    auto job = std::make_unique<SupportJob>();
    job->results = m_results;
    job->apiBase = m_strApiBase;
    m_supportWorker.Start(SupportWorker, std::move(job));
}

void CMainWnd::ApplySupportImage(WorkerTicket ticket, FetchedImage image) {
    // An older worker's picture is stale: it is freed with its result.
    if (!m_supportWorker.IsCurrent(ticket)) return;
    // The built-in picture may still be on its way: it must not land after this one.
    TakeLatePictures();
    if (image.replied) {
        if (m_hbmpSupport) DeleteObject(m_hbmpSupport);
        m_hbmpSupport = image.bitmap.release();
    }
    m_supportWorker.Finish(ticket);
}
