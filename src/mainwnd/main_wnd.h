// CMainWnd: the program's only window and the owner of all its state — pages,
// popups, layout rectangles, bitmaps, typed text, fetched records, login and
// payment state, timer ids, worker handles and the payment lock.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "duilib/window_wnd.h"
#include "store/records.h"

namespace Gdiplus { class Graphics; class GraphicsPath; }
class DeviceID;

enum Page {
    PAGE_HOME = 0,
    PAGE_PURCHASE = 1,
    PAGE_ORDERS = 2,
    PAGE_SUPPORT = 3,
    PAGE_REDEEM = 4,
    PAGE_LOGIN = 5,
};

enum PayState {
    PAY_STATE_NONE = 0,
    PAY_STATE_SUCCESS = 3,
    PAY_STATE_FAILED = 4,
};

// Results of the worker threads, posted with both parameters 0.
constexpr UINT WM_PAYMENT_UPDATE = WM_USER + 101;
constexpr UINT WM_ORDERS_LOADED = WM_USER + 102;
constexpr UINT WM_SUPPORT_LOADED = WM_USER + 103;
constexpr UINT WM_PAY_QR_READY = WM_USER + 104;

constexpr UINT_PTR TIMER_COUNTDOWN = 2;
constexpr UINT_PTR TIMER_SPINNER = 5;
constexpr UINT_PTR TIMER_PAY_RESULT = 7;
constexpr UINT_PTR TIMER_TOAST = 8;

// Embedded resources.
constexpr UINT IDI_APP_ICON = 107;
constexpr UINT IDI_APP_ICON_SMALL = 108;
constexpr UINT IDR_PNG_BACKGROUND = 201;
constexpr UINT IDR_PNG_LOGO = 202;
constexpr UINT IDR_PNG_PAYICON = 203;
constexpr UINT IDR_PNG_SUPPORT = 204;

class CMainWnd : public DuiLib::CWindowWnd {
public:
    CMainWnd();
    ~CMainWnd() override;

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    // ---- set-up, layout and scaling ----
    void InitWindow();
    // Steps of InitWindow that need no backend: DPI factors, window, icons,
    // centring, images and layout.
    void CreateAndLayoutWindow();
    void UpdateLayout();
    int ScaleX(int n) const;
    int ScaleY(int n) const;
    HBITMAP LoadPngResource(UINT id);
    HBITMAP LoadPngFile(const std::wstring& path);

    // ---- drawing ----
    // Paints the whole client area into dc in the window's paint order.
    void PaintClient(HDC dc);
    void DrawBackground(HDC dc);

    // Framework and images
    HBITMAP m_hbmpBackground = nullptr;
    HBITMAP m_hbmpLogo = nullptr;
    HBITMAP m_hbmpPayIcon = nullptr;
    HICON m_hIcon = nullptr;
    HBITMAP m_hbmpSupport = nullptr;

    // Page and layout
    int m_nPage = PAGE_HOME;
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
    int m_nFocusField = 0;

    // Payment
    int m_nPayState = PAY_STATE_NONE;
    std::wstring m_strPayOrderNo;
    HBITMAP m_hbmpPayQR = nullptr;
    int m_nSpinnerAngle = 0;
    UINT_PTR m_uSpinnerTimer = 0;
    UINT_PTR m_uPayResultTimer = 0;

    // Orders and the order-detail dialog
    std::vector<OrderInfo> m_aOrders;
    bool m_bShowOrderDetail = false;
    int m_nSelectedOrder = -1;
    RECT m_rcCopyBtn = {};
    bool m_bShowToast = false;
    UINT_PTR m_uToastTimer = 0;
    bool m_bVipDownload = false;
    OrderInfo m_vipOrder;
    int m_nOrderPage = 0;
    int m_nOrdersPerPage = 6;

    // Login and identity
    ULONG_PTR m_gdiplusToken = 0;
    DeviceID* m_pDeviceID = nullptr;
    std::wstring m_strApiBase;
    std::wstring m_strToken;
    std::wstring m_strMachineCode;
    std::wstring m_strChannelCode;
    std::wstring m_strLevel;
    uint32_t m_nUid = 0;
    uint32_t m_nMachineId = 0;
    std::wstring m_strQhclickid;

    // Threads and lock
    HANDLE m_hPayIntentThread = nullptr;
    HANDLE m_hPayPollThread = nullptr;
    bool m_bStopPolling = false;
    CRITICAL_SECTION m_csPay = {};
    HANDLE m_hOrdersThread = nullptr;
    HANDLE m_hSupportThread = nullptr;
    HANDLE m_hPayWorkerThread = nullptr;
};
