// CMainWnd: the program's only window and the owner of all its state — pages,
// popups, layout rectangles, bitmaps, typed text, fetched records, login and
// payment state, timer ids, worker handles and the payment lock.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "draw/paint_cache.h"
#include "duilib/window_wnd.h"
#include "mainwnd/pictures.h"
#include "mainwnd/worker_results.h"
#include "mainwnd/worker_slot.h"
#include "store/cancel.h"
#include "store/records.h"
#include "util/handles.h"

namespace Gdiplus { class Graphics; class GraphicsPath; }
class DeviceID;
enum class DetailShows;
struct ClientArea;
struct FetchedImage;
struct OrdersFetch;

// The page shown; the values are those the pages have always been numbered by.
enum class Page {
    PAGE_HOME = 0,
    PAGE_PURCHASE = 1,
    PAGE_ORDERS = 2,
    PAGE_SUPPORT = 3,
    PAGE_REDEEM = 4,
    PAGE_LOGIN = 5,
};

// The payment's outcome as the purchase page shows it.
enum class PayState {
    PAY_STATE_NONE = 0,
    PAY_STATE_SUCCESS = 3,
    PAY_STATE_FAILED = 4,
};

// The input field with the keyboard focus on the redeem and login cards.
enum class FocusField {
    None = 0,
    First = 1,  // the redeem code or the account
    Password = 2,
};

class CMainWnd : public DuiLib::CWindowWnd {
public:
    CMainWnd();
    // Allocates the object zero-filled, then constructs it: every field the
    // constructor does not set starts as zero. Null when memory runs out.
    static CMainWnd* CreateZeroFilled();
    ~CMainWnd() override;

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    // ---- layout of the current state (layout_state.cpp) ----
    // The client area and the scale every layout is worked out for.
    ClientArea Client() const;
    // The version selector in effect: the purchase page's own while it is
    // shown, else the home page's m_rcVersionCombo.
    RECT VersionSelector() const;
    // What the order-detail dialog shows for the selection and the mode.
    DetailShows OrderDetailShows() const;
    // The open dialog's copy button; empty while it offers no link.
    RECT CopyButton() const;

    // ---- set-up, layout and scaling ----
    void InitWindow();
    // Steps of InitWindow that need no backend: DPI factors (the primary
    // monitor's, or those given), window, icons, centring, images and layout,
    // the background and logo decoded while the window is made. With
    // wholeSetUp false, the start-up's order: the window and its layout only,
    // so its first frame comes soonest; InitWindow then starts the pictures,
    // which follow by WM_PICTURES_READY, and sets the icons last.
    void CreateAndLayoutWindow(bool wholeSetUp = true);
    void CreateAndLayoutWindow(UINT dpiX, UINT dpiY, bool wholeSetUp = true);
    // Starts decoding the background and the logo; once the window exists,
    // their arrival is announced by WM_PICTURES_READY.
    void StartFirstPictures();
    // The start-up's later start of them (TIMER_FIRST_PICTURES or the end of
    // the start-up requests, whichever comes first).
    void StartDeferredFirstPictures();
    // The window's big and small icons.
    void SetWindowIcons();
    // Puts the start-up pictures that are decoded into their fields; true
    // when one arrived.
    bool TakeFirstPictures(bool wait);
    void UpdateLayout();
    // WM_DPICHANGED: the new factors, the window on the suggested rectangle,
    // the layout and every kept picture made anew; page and popups stay.
    void OnDpiChanged(UINT dpiX, UINT dpiY, const RECT& suggested);
    int ScaleX(int n) const;
    int ScaleY(int n) const;
    HBITMAP LoadPngResource(UINT id);
    HBITMAP LoadPngFile(const std::wstring& path);
    // The payment icon and the contact image are decoded on a thread once the
    // window is up; Take waits for them (starting them if need be) and puts
    // them into their fields.
    void StartLatePictures();
    void TakeLatePictures();

    // ---- waiting without freezing ----
    // Waits until done is signalled, or timeoutMs pass (done may be null),
    // while the window keeps painting and answering; see pumped_wait.cpp.
    // False when the program is ending: the caller then applies nothing.
    bool WaitPumping(HANDLE done, DWORD timeoutMs = INFINITE);
    // Ends the program at once: the message loop sees WM_QUIT next, and
    // every wait and start-up step still to come gives up.
    void EndProgram();

    // ---- backend session ----
    // Start-up login on the window thread; sets m_strApiBase and, when the
    // backend accepts the machine, the login fields and the config file.
    void AutoLogin();
    void InitOfferDefaults();
    void InitCouponDefaults();
    // GET "games" and "products"; a failed call keeps the previous values.
    void FetchGames();
    void FetchProducts();
    // The price update rule on a reply text (products array, intent data).
    void ApplyPriceFields(const std::string& text);
    // Price of an accepted coupon, from the current offer and promo price.
    double CouponPrice() const;
    // The price to pay as "%.2f".
    std::wstring FormatPrice() const;

    // ---- payment (worker halves in store/pay_workers.cpp) ----
    void StartPurchase();
    void StartCouponPurchase();
    void StartPayIntentWorker();
    void StartResumeWorker();
    void StartPayPolling();
    // Retires the poller at once; whatever it still brings is dropped.
    void StopPayPolling();
    // Home and close: every payment worker retired and the result timer
    // stopped, so nothing arriving later moves the page or starts anything.
    void StopPayment();
    // The backend's status word for an order, or "error"; the window keeps
    // answering while it waits.
    std::wstring QueryPayStatus(const std::wstring& orderNo);
    // Window-thread halves of the payment workers' results; each acts only
    // while its worker's start is current and its order is the one in progress.
    void ApplyPayIntent(WorkerTicket ticket, const std::string& data);
    void FinishPayIntent(WorkerTicket ticket, const std::wstring& orderNo, FetchedImage qr);
    void ApplyResumeQr(WorkerTicket ticket, const std::wstring& orderNo, FetchedImage qr);
    void ApplyResumePaid(WorkerTicket ticket);
    void ApplyResumeEnd(WorkerTicket ticket);
    void ApplyPollStatus(WorkerTicket ticket, const std::wstring& orderNo, const std::wstring& status,
                         OrdersFetch orders);
    // Hides the coupon popup once the user is a member.
    void WithdrawCouponOffer();
    // Only a QR reply that arrived replaces the old picture.
    void ReplacePayQr(FetchedImage qr);
    void DeletePayQr();
    // Every write of the order in progress goes through here, so a running
    // poller moves to the new order.
    void SetPayOrderNo(const std::wstring& orderNo);
    // Applies every result the workers have handed over, oldest first.
    void ApplyWorkerResults();

    // ---- orders ----
    // GET the orders on the window thread and apply them.
    void FetchOrders();
    // Applies a list unless one asked for later is already applied.
    void ApplyOrders(OrdersFetch fetch);
    void StartOrdersWorker();
    void ApplyOrdersLoaded(WorkerTicket ticket, OrdersFetch fetch);
    // A pending order's status cell: pay it, or show it when it was paid meanwhile.
    void ResumeOrPayOrder(int index);

    // ---- download link and customer service ----
    void FetchGameDownload();
    void StartSupportWorker();
    void ApplySupportImage(WorkerTicket ticket, FetchedImage image);

    // ---- identity and shortcut ----
    // Puts "奥凡安装助手.lnk" to this executable on the desktop unless a file
    // or folder of that name is there already.
    void CreateDesktopShortcut();

    // ---- input and navigation ----
    void OnLButtonDown(POINT pt);
    void OnMouseMove(POINT pt);
    void OnChar(wchar_t ch);
    void OnTimer(UINT_PTR id);
    // Invalidates the whole client area without erasing.
    void Repaint();
    void OnCloseButton();
    void ToggleUserMenu();
    void MinimizeWindow();
    void QuitApp();
    // Puts text on the clipboard as CF_UNICODETEXT; false only when the
    // clipboard could not be opened.
    bool CopyToClipboard(const std::wstring& text);
    // Shows the copy toast; a toast timer already running is not restarted.
    void ShowCopyToast();
    // Window timers of m_hWnd. A timer starts only while its id field is 0 and
    // the field is cleared when it stops. Windows wants timers set on the
    // window's own thread, so calls from any other thread are refused and
    // counted in m_nTimerThreadViolations.
    bool StartWindowTimer(UINT_PTR& idField, UINT_PTR id, UINT ms);
    bool StopWindowTimer(UINT_PTR& idField);

    // ---- drawing ----
    // Paints the whole client area into dc in the window's paint order.
    void PaintClient(HDC dc);
    void DrawBackground(HDC dc);
    // Makes the fitted background the kept one when it is of this picture and
    // size; the fitted copy is used once or dropped.
    void AdoptFittedBackground(SIZE size, const std::wstring& key);
    bool BackgroundDecoding() const;
    // A cache key for a layer drawn over the background from these images, or
    // empty (nothing worth keeping) while the background is on its way.
    std::wstring BackgroundKey(SIZE size, const void* image = nullptr, const void* another = nullptr) const;
    SIZE ClientSize() const;
    HFONT CreateUIFont(int size, int weight, BOOL italic = FALSE);
    void DrawVersionCombo(HDC dc, Gdiplus::Graphics& g);
    void DrawVersionDropList(HDC dc, Gdiplus::Graphics& g);
    void DrawTitleBar(HDC dc);
    void DrawHomePage(HDC dc);
    void DrawHomeControls(HDC dc);
    void DrawInstallButton(HDC dc, Gdiplus::Graphics& g);
    void DrawUserMenu(HDC dc);
    // Purchase page: offer, prices, countdown, QR area and the result card.
    void DrawPurchasePage(HDC dc);
    void DrawPayQRCode(HDC dc, int x, int y, int size);
    void DrawPayStatusOverlay(HDC dc);
    // Orders table with its pager, and the order-detail dialog.
    void DrawOrdersPage(HDC dc);
    // withToast false leaves out the copy toast, which a kept frame adds live.
    void DrawOrderDetailDialog(HDC dc, bool withToast = true);
    // "已复制" under the dialog's copy button.
    void DrawCopyToast(HDC dc);
    void DrawSupportPage(HDC dc);
    // The orders and support pages' panel with its bold white title.
    void DrawTitledPagePanel(HDC dc, Gdiplus::Graphics& g, const RECT& panel, const wchar_t* title);
    // The login and redemption cards and the coupon popup.
    void DrawLoginPage(HDC dc);
    void DrawRedeemPage(HDC dc);
    void DrawCouponPopup(HDC dc);
    // Background, title bar and home panel: the part of the home page that no
    // click or hover changes, copied from m_homeLayerCache.
    void DrawHomeLayer(HDC dc);
    // The purchase page in two parts: what stays the same from one repaint to
    // the next (the panel and its texts, over background and title bar, kept
    // in m_purchaseLayerCache while PurchaseLayerKey() is unchanged), and what
    // moves (countdown, QR square, result card, home button, open list).
    void DrawPurchasePanel(HDC dc);
    void DrawPurchaseLive(HDC dc);
    std::wstring PurchaseLayerKey() const;
    // The key of the current frame when it is one worth keeping, else empty.
    std::wstring KeptFrameKey() const;
    // Every routine of the paint order, without any frame kept.
    void PaintFrame(HDC dc, bool withToast = true);
    // The current page under its popups.
    void DrawPage(HDC dc);

    // ---- fields, grouped per area ----

    // Framework and images
    ULONG_PTR m_gdiplusToken = 0;
    HBITMAP m_hbmpBackground = nullptr;
    HBITMAP m_hbmpLogo = nullptr;
    HBITMAP m_hbmpPayIcon = nullptr;
    HICON m_hIcon = nullptr;
    HBITMAP m_hbmpSupport = nullptr;
    // m_hbmpBackground and m_hbmpLogo, until taken.
    enum FirstPicture { kBackgroundPicture, kLogoPicture, kFirstPictureCount };
    PictureDecoder m_firstPictures[kFirstPictureCount];
    UINT_PTR m_uFirstPicturesTimer = 0;  // their start at the latest, during start-up
    PictureDecoder m_latePictures;      // m_hbmpPayIcon and m_hbmpSupport, until taken
    // The background fitted to the starting client size by its decoder; the
    // first paint of the picture takes it as the kept background.
    FittedPicture m_fittedBackground;

    // Pictures kept between paints
    PaintCache m_backgroundCache;  // DrawBackground's stretched image or gradient
    PaintCache m_homeLayerCache;
    PaintCache m_purchaseLayerCache;
    // Whole frames of the pages that change only when their data do (the
    // orders page and its detail dialog, the support page) and of the payment's
    // result card: their translucent fills and many texts cost milliseconds a
    // paint under Wine. The frame's key names everything drawn; the frame holds
    // pixels only.
    PaintCache m_keptFrame;

    // Page and layout
    Page m_nPage = Page::PAGE_HOME;
    RECT m_rcTitleBar = {};
    RECT m_rcMinBtn = {};
    RECT m_rcMenuBtn = {};
    RECT m_rcCloseBtn = {};
    RECT m_rcHomePanel = {};
    RECT m_rcLogo = {};
    RECT m_rcTitleText = {};
    RECT m_rcVersionCombo = {};
    RECT m_rcInstallBtn = {};
    RECT m_rcOrdersBtn = {};
    RECT m_rcSupportBtn = {};
    float m_fScaleX = 0.0f;
    float m_fScaleY = 0.0f;

    // Version selection
    std::vector<GameInfo> m_aVersions;
    int m_nSelectedVersion = 0;
    bool m_bDropListOpen = false;

    // Window dragging
    bool m_bDragging = false;
    POINT m_ptDragStart = {0, 0};

    // Offer, countdown and coupon
    bool m_bCountdownActive = false;
    int m_nCountdownSeconds = 300;
    UINT_PTR m_uCountdownTimer = 0;
    ProductOffer m_offer;
    CouponOffer m_coupon;
    bool m_bShowCouponPopup = false;
    bool m_bCouponAccepted = false;
    double m_dCouponPrice = 0.0;
    double m_dPromoPrice = 0.0;

    // User menu
    bool m_bShowUserMenu = false;
    RECT m_rcUserMenu = {};
    int m_nHoverMenuItem = -1;

    // Text input (redeem and login pages)
    std::wstring m_strRedeemCode;
    bool m_bRedeemSubmitted = false;
    std::wstring m_strAccount;
    std::wstring m_strPassword;
    bool m_bLoginSubmitted = false;
    FocusField m_nFocusField = FocusField::None;

    // Payment
    PayState m_nPayState = PayState::PAY_STATE_NONE;
    std::wstring m_strPayOrderNo;
    HBITMAP m_hbmpPayQR = nullptr;
    int m_nSpinnerAngle = 0;
    UINT_PTR m_uSpinnerTimer = 0;
    UINT_PTR m_uPayResultTimer = 0;

    // Orders and the order-detail dialog
    std::vector<OrderInfo> m_aOrders;
    bool m_bShowOrderDetail = false;
    int m_nSelectedOrder = -1;
    bool m_bShowToast = false;
    UINT_PTR m_uToastTimer = 0;
    bool m_bVipDownload = false;
    OrderInfo m_vipOrder;
    int m_nOrderPage = 0;
    int m_nOrdersPerPage = 6;

    // Login and identity
    DeviceID* m_pDeviceID = nullptr;
    std::wstring m_strApiBase;
    std::wstring m_strToken;
    std::wstring m_strMachineCode;
    std::wstring m_strChannelCode;
    std::wstring m_strLevel;
    uint32_t m_nUid = 0;
    uint32_t m_nMachineId = 0;
    std::wstring m_strQhclickid;

    // The window thread's waits and timers
    bool m_bEnding = false;
    int m_nPumpedWaits = 0;
    LONG m_nTimerThreadViolations = 0;

    // Threads and the hand-over. Workers never touch the fields above: they
    // deliver results into m_results (guarded by its critical section) and
    // the window thread applies them. The queue is shared with the workers
    // so one that outlives the window never touches freed state. Each slot
    // holds a kind's thread; the orders slot's running job is also what the
    // orders page shows as loading.
    std::shared_ptr<ResultQueue> m_results;
    WorkerSlot m_payIntentWorker;
    WorkerSlot m_payPollWorker;
    WorkerSlot m_ordersWorker;
    WorkerSlot m_supportWorker;
    WorkerSlot m_resumeWorker;
    std::wstring m_strPolledOrderNo;  // the running poller's order
    // Held by a poller during its exchange, so a stopped poller's exchange
    // that the platform could not break off never runs beside its successor's.
    std::shared_ptr<ExchangeGate> m_pollGate = std::make_shared<ExchangeGate>();
    // Every orders request is numbered; m_aOrders comes from request m_nOrdersSequence.
    std::shared_ptr<RequestSequence> m_ordersSequence = std::make_shared<RequestSequence>();
    uint64_t m_nOrdersSequence = 0;
};
