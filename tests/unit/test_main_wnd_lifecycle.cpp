// CMainWnd's construction state, window set-up, images and teardown.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "res/resource_ids.h"
#include "support/test_support.h"

using testing_support::DeleteMainWnd;
using testing_support::DestroyMainWnd;
using testing_support::NewMainWnd;

namespace {

bool IsZero(const RECT& rc) { return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0; }

TEST(MainWndState, InitialValuesAfterConstruction) {
    CMainWnd* wnd = NewMainWnd();
    EXPECT_EQ(wnd->m_hWnd, nullptr);
    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);
    EXPECT_EQ(wnd->m_nSelectedVersion, 0);
    EXPECT_TRUE(wnd->m_aVersions.empty());
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_FALSE(wnd->m_bDragging);
    EXPECT_EQ(wnd->m_ptDragStart.x, 0);
    EXPECT_EQ(wnd->m_ptDragStart.y, 0);
    EXPECT_FALSE(wnd->m_bCountdownActive);
    EXPECT_EQ(wnd->m_nCountdownSeconds, 300);
    EXPECT_EQ(wnd->m_uCountdownTimer, 0u);
    EXPECT_FALSE(wnd->m_bShowCouponPopup);
    EXPECT_FALSE(wnd->m_bCouponAccepted);
    EXPECT_EQ(wnd->m_dCouponPrice, 0.0);
    EXPECT_EQ(wnd->m_dPromoPrice, 0.0);
    EXPECT_FALSE(wnd->m_bShowUserMenu);
    EXPECT_TRUE(IsZero(wnd->m_rcUserMenu));
    EXPECT_EQ(wnd->m_nHoverMenuItem, -1);
    EXPECT_TRUE(wnd->m_strRedeemCode.empty());
    EXPECT_FALSE(wnd->m_bRedeemSubmitted);
    EXPECT_TRUE(wnd->m_strAccount.empty());
    EXPECT_TRUE(wnd->m_strPassword.empty());
    EXPECT_FALSE(wnd->m_bLoginSubmitted);
    EXPECT_EQ(wnd->m_nFocusField, FocusField::None);
    EXPECT_EQ(wnd->m_nPayState, PayState::PAY_STATE_NONE);
    EXPECT_TRUE(wnd->m_strPayOrderNo.empty());
    EXPECT_EQ(wnd->m_hbmpPayQR, nullptr);
    EXPECT_EQ(wnd->m_nSpinnerAngle, 0);
    EXPECT_EQ(wnd->m_uSpinnerTimer, 0u);
    EXPECT_EQ(wnd->m_uPayResultTimer, 0u);
    EXPECT_TRUE(wnd->m_aOrders.empty());
    EXPECT_FALSE(wnd->m_bShowOrderDetail);
    EXPECT_EQ(wnd->m_nSelectedOrder, -1);
    EXPECT_FALSE(wnd->m_bShowToast);
    EXPECT_EQ(wnd->m_uToastTimer, 0u);
    EXPECT_FALSE(wnd->m_bVipDownload);
    EXPECT_EQ(wnd->m_nOrderPage, 0);
    EXPECT_EQ(wnd->m_nOrdersPerPage, 6);
    EXPECT_TRUE(wnd->m_strToken.empty());
    EXPECT_TRUE(wnd->m_strLevel.empty());
    EXPECT_EQ(wnd->m_nUid, 0u);
    EXPECT_EQ(wnd->m_nMachineId, 0u);
    for (const WorkerSlot* slot : {&wnd->m_payIntentWorker, &wnd->m_payPollWorker, &wnd->m_ordersWorker,
                                   &wnd->m_supportWorker, &wnd->m_resumeWorker}) {
        EXPECT_FALSE(slot->Running());
    }
    EXPECT_NE(wnd->m_results, nullptr);
    EXPECT_EQ(wnd->m_hbmpBackground, nullptr);
    EXPECT_EQ(wnd->m_hbmpLogo, nullptr);
    EXPECT_EQ(wnd->m_hIcon, nullptr);
    EXPECT_EQ(wnd->m_fScaleX, 0.0f);
    EXPECT_TRUE(IsZero(wnd->m_rcTitleBar));
    EXPECT_TRUE(IsZero(wnd->m_rcInstallBtn));
    // GDI+ is running: the constructor started it.
    EXPECT_NE(wnd->m_gdiplusToken, 0u);
    DeleteMainWnd(wnd);
}

TEST(MainWndState, WindowOpensBorderlessCentredAndVisibleOnTheHomePage) {
    CMainWnd* wnd = NewMainWnd();
    wnd->CreateAndLayoutWindow();
    wnd->TakeLatePictures();
    HWND hwnd = wnd->m_hWnd;
    ASSERT_NE(hwnd, nullptr);

    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(title, L"Orvane Downloader");
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);

    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    RECT wa = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    EXPECT_EQ(rc.right - rc.left, wnd->ScaleX(1200));
    EXPECT_EQ(rc.bottom - rc.top, wnd->ScaleY(720));
    EXPECT_EQ(rc.left, ((wa.right - wa.left) - wnd->ScaleX(1200)) / 2);
    EXPECT_EQ(rc.top, ((wa.bottom - wa.top) - wnd->ScaleY(720)) / 2);

    EXPECT_EQ(wnd->m_nPage, Page::PAGE_HOME);
    EXPECT_FALSE(wnd->m_bShowUserMenu);
    EXPECT_FALSE(wnd->m_bShowCouponPopup);
    EXPECT_FALSE(wnd->m_bDropListOpen);
    EXPECT_EQ(wnd->m_nSelectedVersion, 0);
    DestroyMainWnd(wnd);
}

TEST(MainWndState, IconsAreSetAndKept) {
    CMainWnd* wnd = NewMainWnd();
    wnd->CreateAndLayoutWindow();
    wnd->TakeLatePictures();
    ASSERT_NE(wnd->m_hIcon, nullptr);
    const auto big = reinterpret_cast<HICON>(SendMessageW(wnd->m_hWnd, WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(SendMessageW(wnd->m_hWnd, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(big, wnd->m_hIcon);
    ASSERT_NE(small, nullptr);
    // Icon 108 replaces the small icon.
    EXPECT_NE(small, wnd->m_hIcon);
    DestroyMainWnd(wnd);
}

struct ExpectedImage {
    HBITMAP CMainWnd::*field;
    UINT id;
    LONG width;
    LONG height;
};

const ExpectedImage kEmbeddedImages[] = {
    {&CMainWnd::m_hbmpBackground, 201, 1838, 1208},
    {&CMainWnd::m_hbmpLogo, 202, 1205, 1205},
    {&CMainWnd::m_hbmpPayIcon, 203, 2500, 2500},
    {&CMainWnd::m_hbmpSupport, 204, 224, 236},
};

TEST(MainWndImages, EmbeddedPngsDecodeWithTheirPixelSizes) {
    CMainWnd* wnd = NewMainWnd();
    for (const ExpectedImage& img : kEmbeddedImages) {
        HBITMAP bmp = wnd->LoadPngResource(img.id);
        ASSERT_NE(bmp, nullptr) << "resource " << img.id;
        BITMAP bm = {};
        ASSERT_EQ(GetObjectW(bmp, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
        EXPECT_EQ(bm.bmWidth, img.width) << img.id;
        EXPECT_EQ(bm.bmHeight, img.height) << img.id;
        // A 32-bit DIB section, the form the alpha blits expect.
        EXPECT_EQ(bm.bmBitsPixel, 32) << img.id;
        EXPECT_NE(bm.bmBits, nullptr) << img.id;
        DeleteObject(bmp);
    }
    // The window set-up puts them into their fields.
    wnd->CreateAndLayoutWindow();
    wnd->TakeLatePictures();
    for (const ExpectedImage& img : kEmbeddedImages) {
        BITMAP bm = {};
        ASSERT_NE(wnd->*img.field, nullptr);
        GetObjectW(wnd->*img.field, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, img.width);
    }
    DestroyMainWnd(wnd);
}

// The program's own start-up does not wait for the background and the logo:
// its first frame paints without them, their decoding starts after it, and
// they arrive by message, the same bitmaps the waiting set-up gives.
TEST(MainWndImages, StartUpPicturesArriveByMessageWithoutAWait) {
    CMainWnd* waited = NewMainWnd();
    waited->CreateAndLayoutWindow();
    CMainWnd* wnd = NewMainWnd();
    wnd->CreateAndLayoutWindow(false);
    ASSERT_NE(wnd->m_hWnd, nullptr);
    UpdateWindow(wnd->m_hWnd);  // a first frame with whatever is there
    EXPECT_FALSE(wnd->m_firstPictures[CMainWnd::kBackgroundPicture].Started()) << "nothing decoded beside the making";
    wnd->StartFirstPictures();
    const ULONGLONG end = GetTickCount64() + 10000;
    while ((!wnd->m_hbmpBackground || !wnd->m_hbmpLogo) && GetTickCount64() < end) {
        testing_support::PumpMessages();
        Sleep(5);
    }
    for (HBITMAP CMainWnd::*field : {&CMainWnd::m_hbmpBackground, &CMainWnd::m_hbmpLogo}) {
        ASSERT_NE(wnd->*field, nullptr) << "no WM_PICTURES_READY brought the picture";
        BITMAP a = {};
        BITMAP b = {};
        ASSERT_TRUE(GetObjectW(wnd->*field, sizeof(a), &a) && GetObjectW(waited->*field, sizeof(b), &b));
        ASSERT_EQ(a.bmWidth, b.bmWidth);
        ASSERT_EQ(a.bmHeight, b.bmHeight);
        const size_t bytes = static_cast<size_t>(a.bmWidthBytes) * a.bmHeight;
        EXPECT_EQ(memcmp(a.bmBits, b.bmBits, bytes), 0) << "the same pixels as the waiting set-up";
    }
    DestroyMainWnd(wnd);
    DestroyMainWnd(waited);
}

TEST(MainWndImages, MissingResourceOrFileGivesNull) {
    CMainWnd* wnd = NewMainWnd();
    EXPECT_EQ(wnd->LoadPngResource(299), nullptr);
    EXPECT_EQ(wnd->LoadPngFile(L"C:\\no\\such\\folder\\bg.png"), nullptr);
    // An icon is not RCDATA.
    EXPECT_EQ(wnd->LoadPngResource(107), nullptr);
    DeleteMainWnd(wnd);
}

TEST(MainWndImages, UndecodableFileGivesNull) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"orvane_not_a_png.png";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, "\x89PNG\r\n\x1a\n garbage", 17, &written, nullptr);
    CloseHandle(f);
    CMainWnd* wnd = NewMainWnd();
    EXPECT_EQ(wnd->LoadPngFile(path), nullptr);
    DeleteMainWnd(wnd);
    DeleteFileW(path.c_str());
}

TEST(MainWndState, DestroyingTheWindowDeletesTheObjectAndFreesItsBitmaps) {
    const int before = testing_support::CountGdiObjects();
    for (int i = 0; i < 3; ++i) {
        CMainWnd* wnd = NewMainWnd();
        wnd->CreateAndLayoutWindow();
        wnd->TakeLatePictures();
        ASSERT_NE(wnd->m_hbmpBackground, nullptr);
        DestroyMainWnd(wnd);  // OnFinalMessage deletes wnd
    }
    // Four bitmaps per window would be left behind if teardown leaked them.
    EXPECT_LE(testing_support::CountGdiObjects(), before + 2);
}

}  // namespace

namespace {

// The pixel bytes of a 32-bit DIB section, bottom row first as stored.
std::string DibBytes(HBITMAP bmp) {
    DIBSECTION ds = {};
    if (GetObjectW(bmp, sizeof(ds), &ds) != sizeof(ds) || !ds.dsBm.bmBits) return std::string();
    const auto* bits = static_cast<const char*>(ds.dsBm.bmBits);
    return std::string(bits, bits + static_cast<size_t>(ds.dsBm.bmWidthBytes) * ds.dsBm.bmHeight) +
           std::to_string(ds.dsBm.bmWidth) + "x" + std::to_string(ds.dsBmih.biHeight);
}

}  // namespace

TEST(MainWndImages, PicturesDecodedAheadOnThreadsAreThePlainDecodesByteForByte) {
    CMainWnd* wnd = NewMainWnd();
    wnd->CreateAndLayoutWindow();
    wnd->TakeLatePictures();
    for (const ExpectedImage& img : kEmbeddedImages) {
        HBITMAP plain = wnd->LoadPngResource(img.id);
        ASSERT_NE(plain, nullptr) << img.id;
        const std::string expected = DibBytes(plain);
        ASSERT_FALSE(expected.empty()) << img.id;
        EXPECT_TRUE(DibBytes(wnd->*img.field) == expected) << "resource " << img.id;
        DeleteObject(plain);
    }
    DestroyMainWnd(wnd);
}

// The decoder's message can be taken while its thread is still ending: the
// pictures it announces are there to take at once, every time.
TEST(MainWndImages, ThePicturesAnnouncedAreTakenAtOnce) {
    CMainWnd* gdiplusUser = NewMainWnd();  // keeps GDI+ started for the decoders
    const HWND target = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    constexpr UINT kReady = WM_APP + 7;
    for (int round = 0; round < 20; ++round) {
        HBITMAP logo = nullptr;
        PictureDecoder decoder;
        decoder.Start({{&logo, IDR_PNG_LOGO, L"logo.png"}});
        decoder.NotifyWhenDecoded(target, kReady);
        MSG msg = {};
        ASSERT_GT(GetMessageW(&msg, target, kReady, kReady), 0);
        ASSERT_TRUE(decoder.Deliver(false)) << "round " << round;
        ASSERT_NE(logo, nullptr);
        DeleteObject(logo);
    }
    DestroyWindow(target);
    DeleteMainWnd(gdiplusUser);
}
