// Paint benchmark: times full repaints of every home-page state, straight
// into a memory DC and through the window's own WM_PAINT, and reports the
// DPI and the working set. --shots DIR also saves each state as a BMP.
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

#include "mainwnd/main_wnd.h"

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

}  // namespace

int main(int argc, char** argv) {
    int frames = 300;
    std::string shots;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) frames = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--shots") && i + 1 < argc) shots = argv[++i];
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
    std::printf("dpi %d, client %ld x %ld, %d frames per figure\n", dpi, rc.right, rc.bottom, frames);
    std::printf("working set after start-up: %.1f MiB\n", pmc.WorkingSetSize / (1024.0 * 1024.0));

    struct State {
        const char* name;
        bool menu;
        bool list;
    };
    const State states[] = {{"home", false, false}, {"home+menu", true, false}, {"home+list", false, true}};

    HDC windowDc = GetDC(wnd->m_hWnd);
    HDC mem = CreateCompatibleDC(windowDc);
    HBITMAP canvas = CreateCompatibleBitmap(windowDc, rc.right, rc.bottom);
    HGDIOBJ oldCanvas = SelectObject(mem, canvas);

    for (const State& s : states) {
        wnd->m_nPage = PAGE_HOME;
        wnd->m_bShowUserMenu = s.menu;
        wnd->m_nHoverMenuItem = s.menu ? 1 : -1;
        const RECT& btn = wnd->m_rcMenuBtn;
        wnd->m_rcUserMenu.left = btn.left - wnd->ScaleX(60);
        wnd->m_rcUserMenu.top = btn.bottom + wnd->ScaleY(5);
        wnd->m_rcUserMenu.right = wnd->m_rcUserMenu.left + wnd->ScaleX(150);
        wnd->m_rcUserMenu.bottom = wnd->m_rcUserMenu.top + wnd->ScaleY(80);
        wnd->m_bDropListOpen = s.list;
        wnd->m_nSelectedVersion = 1;

        const Figures direct = Measure(frames, [&] {
            wnd->PaintClient(mem);
            GdiFlush();
        });
        const Figures full = Measure(frames, [&] {
            InvalidateRect(wnd->m_hWnd, nullptr, FALSE);
            UpdateWindow(wnd->m_hWnd);
        });
        std::printf("%-10s PaintClient median %6.2f ms p95 %6.2f ms | WM_PAINT median %6.2f ms p95 %6.2f ms\n", s.name,
                    direct.median, direct.p95, full.median, full.p95);
        if (!shots.empty()) SaveShot(wnd, shots + "\\" + s.name + "_" + std::to_string(dpi) + ".bmp");
    }

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

    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    std::printf("working set at the end: %.1f MiB\n", pmc.WorkingSetSize / (1024.0 * 1024.0));
    DestroyWindow(wnd->m_hWnd);
    PumpMessages();
    return 0;
}
