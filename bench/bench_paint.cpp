// Paint benchmark: times full repaints of every page and popup state,
// straight into a memory DC and through the window's own WM_PAINT, the CPU
// the process uses while the purchase page's loading animation runs, and
// reports the DPI and the working set. --shots DIR also saves each state as
// a BMP; --spinner-seconds N sets how long the animation runs (default 10).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "draw/toolkit.h"
#include "mainwnd/main_wnd.h"
#include "mainwnd/timer_ids.h"

namespace {

double NowMs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

struct Figures {
    double median;
    double p95;
};

Figures Measure(int frames, const std::function<void()>& paint) {
    for (int i = 0; i < 5; ++i) paint();  // warm the caches
    std::vector<double> ms;
    ms.reserve(frames);
    for (int i = 0; i < frames; ++i) {
        const double start = NowMs();
        paint();
        ms.push_back(NowMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]};
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Saves a top-down 32-bit pixel buffer as a 24-bit BMP.
bool SaveBmp(const std::string& path, const uint32_t* pixels, int w, int h) {
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * h;
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = -h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(&info, sizeof(info), 1, f);
    std::vector<unsigned char> row(stride, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) std::memcpy(&row[x * 3], &pixels[y * w + x], 3);
        std::fwrite(row.data(), 1, stride, f);
    }
    return std::fclose(f) == 0;
}

void SaveShot(CMainWnd* wnd, const std::string& path) {
    RECT rc;
    GetClientRect(wnd->m_hWnd, &rc);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = rc.right;
    bmi.bmiHeader.biHeight = -rc.bottom;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    wnd->PaintClient(dc);
    GdiFlush();
    if (!SaveBmp(path, static_cast<const uint32_t*>(bits), rc.right, rc.bottom)) {
        std::printf("cannot write %s\n", path.c_str());
    }
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
}

// A stand-in for the backend's QR code: a 290-pixel square of black and
// white modules.
HBITMAP MakeQrBitmap(HDC dc) {
    const int side = 290;
    HBITMAP bmp = CreateCanvasBitmap(dc, side, side);
    DIBSECTION ds = {};
    if (!bmp || GetObjectW(bmp, sizeof(ds), &ds) != sizeof(ds)) return bmp;
    auto* px = static_cast<uint32_t*>(ds.dsBm.bmBits);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) px[y * side + x] = ((x / 10 * 7 + y / 10 * 13) % 5 < 2) ? 0xFF000000 : 0xFFFFFFFF;
    return bmp;
}

void AddOrders(CMainWnd* wnd) {
    const OrderStatus statuses[] = {OrderStatus::Completed, OrderStatus::Pending, OrderStatus::Failed,
                                   OrderStatus::Expired,   OrderStatus::Refunded, OrderStatus::Completed,
                                   OrderStatus::Pending,   OrderStatus::Completed};
    for (int i = 0; i < 8; ++i) {
        OrderInfo o;
        o.order_no = L"OD2026120810510" + std::to_wstring(i) + L"CFXP";
        o.alipay_trade_no = L"2026120822001602640565301213";
        o.game_name = i % 2 ? L"奥凡 高清典藏版 豪华礼包" : L"奥凡 经典版";
        o.amount_text = L"¥39.00";
        o.status = statuses[i];
        o.download_url = L"https://dl.orvane.example/installers/%E5%A5%A5%E5%87%A1%20%E7%BB%8F%E5%85%B8.exe";
        o.time_text = L"2026-12-08 10:51:05";
        wnd->m_aOrders.push_back(o);
    }
}

// Process CPU time in milliseconds.
double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

// The loading animation as the window runs it: its 50 ms timer and the
// repaints it asks for, through the real message loop.
void MeasureSpinnerCpu(CMainWnd* wnd, int seconds) {
    wnd->m_nPage = Page::PAGE_PURCHASE;
    wnd->m_nPayState = PayState::PAY_STATE_NONE;
    wnd->DeletePayQr();
    wnd->StartWindowTimer(wnd->m_uSpinnerTimer, TIMER_SPINNER, 50);
    PumpMessages();
    const int startAngle = wnd->m_nSpinnerAngle;
    const double cpu0 = CpuMs();
    const double wall0 = NowMs();
    int ticks = 0;
    while (NowMs() - wall0 < seconds * 1000.0) {
        MSG msg;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0) continue;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.wParam == TIMER_SPINNER) ++ticks;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    const double wall = NowMs() - wall0;
    const double cpu = CpuMs() - cpu0;
    wnd->StopWindowTimer(wnd->m_uSpinnerTimer);
    std::printf("spinner %d s: %d ticks (angle %d -> %d), CPU %.0f ms = %.1f %% of one core\n", seconds, ticks,
                startAngle, wnd->m_nSpinnerAngle, cpu, 100.0 * cpu / wall);
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 300;
    int spinnerSeconds = 10;
    std::string shots;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) frames = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--shots") && i + 1 < argc) shots = argv[++i];
        else if (!std::strcmp(argv[i], "--spinner-seconds") && i + 1 < argc) spinnerSeconds = std::atoi(argv[++i]);
    }

    CMainWnd* wnd = CMainWnd::CreateZeroFilled();
    wnd->CreateAndLayoutWindow();
    for (const wchar_t* name : {L"传奇 1.76 复古版", L"传奇 1.80 合击版", L"热血 2.0.0.18", L"怀旧 1.95", L"经典 3.0"}) {
        wnd->m_aVersions.push_back(GameInfo{name});
    }
    PumpMessages();

    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT rc;
    GetClientRect(wnd->m_hWnd, &rc);
    std::printf("dpi %d, client %ld x %ld, %d frames per figure, each figure median / p95\n", dpi, rc.right, rc.bottom,
                frames);
    std::printf("working set after start-up: %.1f MiB\n", pmc.WorkingSetSize / (1024.0 * 1024.0));

    HDC windowDc = GetDC(wnd->m_hWnd);
    HDC mem = CreateCompatibleDC(windowDc);
    HBITMAP canvas = CreateCompatibleBitmap(windowDc, rc.right, rc.bottom);
    HGDIOBJ oldCanvas = SelectObject(mem, canvas);
    HBITMAP qr = MakeQrBitmap(mem);
    AddOrders(wnd);

    // Every state starts from the home page with nothing open.
    const auto reset = [&] {
        wnd->m_nPage = Page::PAGE_HOME;
        wnd->m_bShowUserMenu = false;
        wnd->m_nHoverMenuItem = -1;
        wnd->m_bDropListOpen = false;
        wnd->m_nSelectedVersion = 1;
        wnd->m_bShowCouponPopup = false;
        wnd->m_bShowOrderDetail = false;
        wnd->m_nPayState = PayState::PAY_STATE_NONE;
        wnd->m_hbmpPayQR = nullptr;
        wnd->m_nSpinnerAngle = 90;
        wnd->m_nFocusField = FocusField::None;
        wnd->UpdateLayout();
        const RECT& btn = wnd->m_rcMenuBtn;
        wnd->m_rcUserMenu = {btn.left - wnd->ScaleX(60), btn.bottom + wnd->ScaleY(5), btn.left - wnd->ScaleX(60) + wnd->ScaleX(150),
                             btn.bottom + wnd->ScaleY(5) + wnd->ScaleY(80)};
    };
    struct State {
        const char* name;
        std::function<void()> setup;
    };
    const State states[] = {
        {"home", [] {}},
        {"home+menu", [&] { wnd->m_bShowUserMenu = true; wnd->m_nHoverMenuItem = 1; }},
        {"home+list", [&] { wnd->m_bDropListOpen = true; }},
        {"purchase+spinner", [&] { wnd->m_nPage = Page::PAGE_PURCHASE; }},
        {"purchase+qr", [&] { wnd->m_nPage = Page::PAGE_PURCHASE; wnd->m_hbmpPayQR = qr; }},
        {"purchase+paid", [&] { wnd->m_nPage = Page::PAGE_PURCHASE; wnd->m_hbmpPayQR = qr; wnd->m_nPayState = PayState::PAY_STATE_SUCCESS; }},
        {"purchase+failed", [&] { wnd->m_nPage = Page::PAGE_PURCHASE; wnd->m_hbmpPayQR = qr; wnd->m_nPayState = PayState::PAY_STATE_FAILED; }},
        {"orders", [&] { wnd->m_nPage = Page::PAGE_ORDERS; }},
        {"orders+dialog", [&] { wnd->m_nPage = Page::PAGE_ORDERS; wnd->m_bShowOrderDetail = true; wnd->m_nSelectedOrder = 0; }},
        {"support", [&] { wnd->m_nPage = Page::PAGE_SUPPORT; }},
        {"coupon", [&] { wnd->m_bShowCouponPopup = true; }},
        {"login", [&] { wnd->m_nPage = Page::PAGE_LOGIN; wnd->m_nFocusField = FocusField::First; wnd->m_strAccount = L"user01"; }},
        {"redeem", [&] { wnd->m_nPage = Page::PAGE_REDEEM; }},
    };

    for (const State& st : states) {
        reset();
        st.setup();

        const Figures direct = Measure(frames, [&] {
            wnd->PaintClient(mem);
            GdiFlush();
        });
        const Figures full = Measure(frames, [&] {
            InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
            UpdateWindow(wnd->m_hWnd);
        });
        // The same repaint when every layer and kept frame must be drawn anew,
        // as on the first paint of a state or right after its data changed.
        const Figures cold = Measure(frames / 3 + 1, [&] {
            wnd->m_homeLayerCache.bitmap.reset();
            wnd->m_purchaseLayerCache.bitmap.reset();
            wnd->m_keptFrame.bitmap.reset();
            InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
            UpdateWindow(wnd->m_hWnd);
        });
        std::printf("%-17s PaintClient %5.2f / %5.2f ms | WM_PAINT %5.2f / %5.2f ms | cold WM_PAINT %5.2f / %5.2f ms\n",
                    st.name, direct.median, direct.p95, full.median, full.p95, cold.median, cold.p95);
        if (!shots.empty()) SaveShot(wnd, shots + "\\" + st.name + "_" + std::to_string(dpi) + ".bmp");
    }
    reset();

    // Where the time goes: each routine alone, with menu and list open.
    wnd->m_bShowUserMenu = true;
    wnd->m_bDropListOpen = true;
    struct Routine {
        const char* name;
        std::function<void()> draw;
    };
    const Routine routines[] = {
        {"DrawBackground", [&] { wnd->DrawBackground(mem); }},
        {"DrawTitleBar", [&] { wnd->DrawTitleBar(mem); }},
        {"DrawHomePage", [&] { wnd->DrawHomePage(mem); }},
        {"DrawHomeControls", [&] { wnd->DrawHomeControls(mem); }},
        {"DrawUserMenu", [&] { wnd->DrawUserMenu(mem); }},
    };
    for (const Routine& r : routines) {
        const Figures f = Measure(frames, [&] {
            r.draw();
            GdiFlush();
        });
        std::printf("  %-17s median %6.2f ms p95 %6.2f ms\n", r.name, f.median, f.p95);
    }

    SelectObject(mem, oldCanvas);
    DeleteObject(canvas);
    DeleteDC(mem);
    ReleaseDC(wnd->m_hWnd, windowDc);

    if (spinnerSeconds > 0) MeasureSpinnerCpu(wnd, spinnerSeconds);
    DeleteObject(qr);

    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    std::printf("working set at the end: %.1f MiB\n", pmc.WorkingSetSize / (1024.0 * 1024.0));
    DestroyWindow(wnd->m_hWnd);
    PumpMessages();
    return 0;
}
