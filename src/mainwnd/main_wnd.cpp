// CMainWnd's lifecycle: construction, window set-up, layout, DPI scaling,
// image loading and the ordered teardown.
#include "mainwnd/main_wnd.h"

#include "draw/gdiplus.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "identity/device_id.h"
#include "layout/window_layout.h"
#include "mainwnd/monitor_dpi.h"
#include "mainwnd/pictures.h"
#include "mainwnd/timer_ids.h"
#include "mainwnd/window_messages.h"
#include "res/resource_ids.h"
#include "util/handles.h"
#include "util/log.h"

namespace {

constexpr const wchar_t* kWindowTitle = L"Orvane Downloader";
// The longest the start-up pictures wait for the start-up requests.
constexpr UINT kFirstPicturesDelayMs = 150;

}  // namespace

CMainWnd::CMainWnd() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);

    m_pDeviceID = new (std::nothrow) DeviceID();
    const std::wstring userCode = m_pDeviceID ? m_pDeviceID->GetUserCode() : std::wstring();

    OutputDebugStringW(L"========================================");
    OutputDebugStringW(L"[MainWnd] Application Started");
    OutputDebugStringW((L"[MainWnd] User Code: " + userCode).c_str());
    OutputDebugStringW(L"========================================");

    WriteLog(L"Application Started");
    WriteLog(L"User Code: " + userCode);

    m_aVersions.clear();
    InitOfferDefaults();
    InitCouponDefaults();
    CreateDesktopShortcut();
    m_nOrderPage = 0;
    m_nOrdersPerPage = 6;
    m_results = std::make_shared<ResultQueue>();
}

CMainWnd::~CMainWnd() {
    // Workers are stopped, not waited for: their exchanges are cancelled and
    // what they still deliver goes into a closed queue, where it is freed.
    // They hold only their jobs and the shared queue, nothing of this object.
    StopPayPolling();
    for (WorkerSlot* slot : {&m_payIntentWorker, &m_ordersWorker, &m_supportWorker, &m_resumeWorker}) {
        slot->Retire();
    }
    if (m_results) m_results->Close();
    TakeFirstPictures(true);
    m_latePictures.Deliver(true);

    for (HBITMAP* bmp : {&m_hbmpBackground, &m_hbmpLogo, &m_hbmpPayIcon, &m_hbmpSupport, &m_fittedBackground.bitmap}) {
        if (*bmp) DeleteObject(*bmp);
        *bmp = nullptr;
    }
    if (m_hIcon) DestroyIcon(m_hIcon);
    m_hIcon = nullptr;
    if (m_hbmpPayQR) DeleteObject(m_hbmpPayQR);
    m_hbmpPayQR = nullptr;

    delete m_pDeviceID;
    m_pDeviceID = nullptr;

    Gdiplus::GdiplusShutdown(m_gdiplusToken);
}

CMainWnd* CMainWnd::CreateZeroFilled() {
    void* memory = ::operator new(sizeof(CMainWnd), std::nothrow);
    if (!memory) return nullptr;
    std::memset(memory, 0, sizeof(CMainWnd));
    return new (memory) CMainWnd();
}

void CMainWnd::OnFinalMessage(HWND) { delete this; }

int CMainWnd::ScaleX(int n) const { return static_cast<int>(static_cast<float>(n) * m_fScaleX); }

int CMainWnd::ScaleY(int n) const { return static_cast<int>(static_cast<float>(n) * m_fScaleY); }

void CMainWnd::InitWindow() {
    CreateAndLayoutWindow(false);
    if (!m_hWnd) return;
    // The window shows at once what it has (the background's colour until
    // its picture is decoded, the title bar, the home panel with the selector
    // as it stands); the pictures follow while the login runs, and the
    // versions after it.
    UpdateWindow(m_hWnd);
    // The pictures are decoded once the start-up requests are made, or
    // kFirstPicturesDelayMs after the first frame when the network is slow:
    // beside the window's making or the requests they would slow both down.
    StartWindowTimer(m_uFirstPicturesTimer, TIMER_FIRST_PICTURES, kFirstPicturesDelayMs);
    // The window answers throughout these exchanges; when the user ends the
    // program meanwhile, the rest of the start-up is skipped.
    AutoLogin();
    if (m_bEnding) return;
    FetchGames();
    if (m_bEnding) return;
    FetchProducts();
    if (m_bEnding) return;
    Repaint();
    UpdateWindow(m_hWnd);
    StartDeferredFirstPictures();
    // Handing icons to the window system takes milliseconds that the first
    // frame and the start-up requests need not wait for.
    SetWindowIcons();
    StartSupportWorker();

    wchar_t line[160];
    swprintf(line, 160, L"Logo区域: left=%d, top=%d, right=%d, bottom=%d", static_cast<int>(m_rcLogo.left),
             static_cast<int>(m_rcLogo.top), static_cast<int>(m_rcLogo.right), static_cast<int>(m_rcLogo.bottom));
    OutputDebugStringW(line);
}

void CMainWnd::CreateAndLayoutWindow(bool wholeSetUp) {
    // The window is made at (0,0) and centred in the work area: both are on
    // the primary monitor. Should it land elsewhere all the same, Windows
    // reports the other monitor's DPI through WM_DPICHANGED.
    const MonitorDpi dpi = PrimaryMonitorDpi();
    CreateAndLayoutWindow(dpi.x, dpi.y, wholeSetUp);
}

void CMainWnd::CreateAndLayoutWindow(UINT dpiX, UINT dpiY, bool wholeSetUp) {
    m_fScaleX = static_cast<float>(dpiX) / 96.0f;
    m_fScaleY = static_cast<float>(dpiY) / 96.0f;

    // A window made whole decodes its background and logo while it is made;
    // the start-up (InitWindow) starts them after its first frame. The payment
    // icon and the contact image, which only the purchase and support pages
    // show, follow the start-up's pictures (WM_PICTURES_READY) or are
    // decoded when those pages first need them (TakeLatePictures).
    if (wholeSetUp) StartFirstPictures();

    if (!Create(nullptr, kWindowTitle, WS_POPUP | WS_VISIBLE, 0, 0, 0, ScaleX(1200), ScaleY(720))) {
        // Without a window there is nothing to show: the entry point ends the
        // program, and the decoders' pictures are freed on the way out.
        wchar_t line[80];
        swprintf(line, 80, L"Main window could not be created (error %lu)", GetLastError());
        OutputDebugStringW(line);
        WriteLog(line);
        return;
    }
    if (m_results) {
        const HWND wnd = m_hWnd;
        m_results->Open([wnd](unsigned message) { return PostMessageW(wnd, message, 0, 0) != FALSE; });
    }

    CenterWindow();

    if (wholeSetUp) {
        SetWindowIcons();
        TakeFirstPictures(true);
    }
    UpdateLayout();
}

void CMainWnd::StartFirstPictures() {
    // Each on a thread of its own; the background also fitted to the client
    // area, which for this popup window is the whole window.
    m_firstPictures[kBackgroundPicture].Start(
        {{&m_hbmpBackground, IDR_PNG_BACKGROUND, L"bg.png", &m_fittedBackground, {ScaleX(1200), ScaleY(720)}}});
    m_firstPictures[kLogoPicture].Start({{&m_hbmpLogo, IDR_PNG_LOGO, L"logo.png"}});
    if (!m_hWnd) return;
    for (PictureDecoder& pictures : m_firstPictures) pictures.NotifyWhenDecoded(m_hWnd, WM_PICTURES_READY);
}

void CMainWnd::StartDeferredFirstPictures() {
    StopWindowTimer(m_uFirstPicturesTimer);
    if (!m_firstPictures[kBackgroundPicture].Started()) StartFirstPictures();
}

void CMainWnd::SetWindowIcons() {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    m_hIcon = LoadIconW(module, MAKEINTRESOURCEW(IDI_APP_ICON));
    if (m_hIcon) {
        SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
        SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    }
    if (HICON small = LoadIconW(module, MAKEINTRESOURCEW(IDI_APP_ICON_SMALL))) {
        SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
}

bool CMainWnd::TakeFirstPictures(bool wait) {
    bool arrived = false;
    for (PictureDecoder& pictures : m_firstPictures) {
        const bool pending = pictures.Pending();
        if (pictures.Deliver(wait) && pending) arrived = true;
    }
    return arrived;
}

void CMainWnd::UpdateLayout() {
    const ClientArea client = Client();
    const TitleBarLayout bar = TitleBarLayoutFor(client);
    const HomeLayout home = HomeLayoutFor(client);
    const std::pair<RECT*, RECT> fields[] = {
        {&m_rcTitleBar, bar.bar},        {&m_rcLogo, bar.logo},           {&m_rcTitleText, bar.caption},
        {&m_rcOrdersBtn, bar.ordersBtn}, {&m_rcSupportBtn, bar.supportBtn}, {&m_rcMenuBtn, bar.menuBtn},
        {&m_rcMinBtn, bar.minBtn},       {&m_rcCloseBtn, bar.closeBtn},   {&m_rcHomePanel, home.panel},
        {&m_rcVersionCombo, home.selector}, {&m_rcInstallBtn, home.install},
        {&m_rcUserMenu, UserMenuRect(bar.menuBtn, client.scale)},
    };
    for (const auto& [field, rc] : fields) *field = rc;
}

void CMainWnd::OnDpiChanged(UINT dpiX, UINT dpiY, const RECT& suggested) {
    const float oldX = m_fScaleX;
    const float oldY = m_fScaleY;
    m_fScaleX = static_cast<float>(dpiX) / 96.0f;
    m_fScaleY = static_cast<float>(dpiY) / 96.0f;
    // A title bar held while the window crosses monitors: the grabbed spot
    // keeps its place in the window, so the next mouse move does not throw
    // the window by the difference.
    if (m_bDragging && oldX > 0.0f && oldY > 0.0f) {
        m_ptDragStart = {static_cast<LONG>(static_cast<float>(m_ptDragStart.x) * m_fScaleX / oldX),
                         static_cast<LONG>(static_cast<float>(m_ptDragStart.y) * m_fScaleY / oldY)};
    }
    // The kept pictures name their size but not the scale they were drawn at.
    for (PaintCache* cache : {&m_backgroundCache, &m_homeLayerCache, &m_purchaseLayerCache, &m_keptFrame}) {
        cache->bitmap.reset();
        cache->key.clear();
    }
    // Exactly the suggested rectangle: another one may leave the window mostly
    // on the monitor it came from, and Windows would change its DPI back.
    SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateLayout();
    Repaint();
}

HBITMAP CMainWnd::LoadPngResource(UINT id) { return DecodePngResource(id); }

HBITMAP CMainWnd::LoadPngFile(const std::wstring& path) { return DecodePngFile(path); }

void CMainWnd::StartLatePictures() {
    if (m_latePictures.Started()) return;
    m_latePictures.Start({{&m_hbmpPayIcon, IDR_PNG_PAYICON, L"wxzf.png"}, {&m_hbmpSupport, IDR_PNG_SUPPORT, L"kf.png"}});
}

void CMainWnd::TakeLatePictures() {
    StartLatePictures();
    m_latePictures.Deliver(true);
}
