// A small Windows-side probe for the end-to-end tests: finds the program's
// window by class and title from another process and reports or changes its
// state, so the tests see what Windows sees.
//   win_probe find      -> "found <class> <x> <y> <w> <h> <iconic> <visible>" or "none"
//   win_probe minimize  -> minimises the window, then prints like find
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

int Report(HWND wnd) {
    if (!wnd) {
        std::printf("none\n");
        return 1;
    }
    wchar_t cls[128] = {};
    GetClassNameW(wnd, cls, 128);
    RECT rc = {};
    GetWindowRect(wnd, &rc);
    std::printf("found %ls %ld %ld %ld %ld %d %d\n", cls, rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top, IsIconic(wnd) ? 1 : 0, IsWindowVisible(wnd) ? 1 : 0);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    HWND wnd = FindWindowW(L"DuiLibWnd", L"Orvane Downloader");
    if (argc > 1 && std::wcscmp(argv[1], L"minimize") == 0 && wnd) {
        ShowWindow(wnd, SW_MINIMIZE);
        Sleep(300);
    }
    std::fflush(stdout);
    return Report(wnd);
}
