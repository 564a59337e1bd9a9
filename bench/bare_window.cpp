// The baseline of the outside start-up bench: the least a program can do to
// show a 1200 x 720 window and log in. It registers a class, opens the same
// borderless window centred, paints it one colour, then POSTs "login" and
// GETs "games" on the window thread, the way the program's start-up does,
// and runs its message loop until Escape. Nothing of the program's library
// is linked, so it pays only for process start, user32, gdi32 and WinHTTP.
//   bare_window API_BASE      e.g. http://127.0.0.1:8001/api/v1
#include <windows.h>
#include <winhttp.h>

#include <string>

namespace {

// The program's home panel colour, which the bench looks for on the screen.
constexpr COLORREF kFill = RGB(25, 25, 25);

LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(wnd, &ps);
            HBRUSH brush = CreateSolidBrush(kFill);
            FillRect(dc, &ps.rcPaint, brush);
            DeleteObject(brush);
            EndPaint(wnd, &ps);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) PostQuitMessage(0);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(wnd, msg, wParam, lParam);
    }
}

// One synchronous exchange, reply read and thrown away.
void Exchange(HINTERNET session, const std::wstring& url, const wchar_t* verb, const std::string& body) {
    wchar_t host[256] = {};
    wchar_t path[1024] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 1024;
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return;
    HINTERNET connection = WinHttpConnect(session, host, parts.nPort, 0);
    HINTERNET request = connection ? WinHttpOpenRequest(connection, verb, path, nullptr, WINHTTP_NO_REFERER,
                                                         WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                   : nullptr;
    if (request) {
        const wchar_t* header = body.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : L"Content-Type: application/json\r\n";
        const DWORD length = static_cast<DWORD>(body.size());
        if (WinHttpSendRequest(request, header, body.empty() ? 0 : static_cast<DWORD>(-1L),
                               const_cast<char*>(body.data()), length, length, 0) &&
            WinHttpReceiveResponse(request, nullptr)) {
            char buffer[4096];
            DWORD read = 0;
            while (WinHttpReadData(request, buffer, sizeof(buffer), &read) && read > 0) {
            }
        }
        WinHttpCloseHandle(request);
    }
    if (connection) WinHttpCloseHandle(connection);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring api = argc > 1 ? argv[1] : L"http://127.0.0.1:8001/api/v1";
    LocalFree(argv);

    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"DuiLibWnd";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(0, L"DuiLibWnd", L"Orvane Downloader", WS_POPUP | WS_VISIBLE, 0, 0, 1200, 720,
                               nullptr, nullptr, instance, nullptr);
    RECT area = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    SetWindowPos(wnd, nullptr, (area.right - area.left - 1200) / 2, (area.bottom - area.top - 720) / 2, -1, -1,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(wnd);

    HINTERNET session = WinHttpOpen(L"OrvaneDownloader/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (session) {
        Exchange(session, api + L"/login", L"POST",
                 "{\"exe_name\":\"bare_window.exe\",\"channel_code\":\"bare\",\"qhclickid\":\"\","
                 "\"machine_code\":\"BARE-WINDOW\"}");
        Exchange(session, api + L"/games", L"GET", std::string());
        WinHttpCloseHandle(session);
    }

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
