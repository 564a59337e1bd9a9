// A probe for the end-to-end clipboard test: builds the main window as the
// program does, copies one Unicode text with CMainWnd::CopyToClipboard and
// keeps its message loop running for five seconds so the X side can read it.
//   clip_probe            -> copies the built-in text, prints "copied 1" or "copied 0"
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "mainwnd/main_wnd.h"

namespace {

// Also in test_input_window.py: "订单-№42 é ✓ 𝄞" (a surrogate pair at the end).
constexpr const wchar_t* kText = L"\u8BA2\u5355-\u211642 \u00E9 \u2713 \U0001D11E";

}  // namespace

int wmain() {
    void* memory = ::operator new(sizeof(CMainWnd));
    std::memset(memory, 0, sizeof(CMainWnd));
    CMainWnd* wnd = new (memory) CMainWnd();
    wnd->CreateAndLayoutWindow();

    const bool copied = wnd->CopyToClipboard(kText);
    std::printf("copied %d\n", copied ? 1 : 0);
    std::fflush(stdout);

    const ULONGLONG end = GetTickCount64() + 5000;
    while (GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return copied ? 0 : 1;
}
