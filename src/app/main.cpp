// Program entry: the crash handler, DPI awareness, the single-instance mutex,
// the main window object and the message loop.
#include <windows.h>

#include <cstring>
#include <new>

#include "app/common_controls.h"
#include "app/crash_dump.h"
#include "app/single_instance.h"
#include "mainwnd/main_wnd.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    InstallCrashHandler();
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

    HANDLE mutex = CreateMutexW(nullptr, TRUE, kSingleInstanceMutexName);
    if (!IsFirstInstance(mutex, GetLastError())) {
        OutputDebugStringW(L"Another instance detected!");
        // This copy does not own the mutex, so it is only closed.
        if (mutex) CloseHandle(mutex);
        ActivateExistingWindow();
        return 0;
    }
    OutputDebugStringW(L"First instance, starting normally");

    // Zero-filled before construction; deleted by its window's final message,
    // or left to process exit when the loop ends with the window alive.
    CMainWnd* wnd = CMainWnd::CreateZeroFilled();
    if (!wnd) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
        return 0;
    }
    wnd->InitWindow();
    if (!wnd->m_hWnd) {
        // No window was made, so no final message will delete the object.
        delete wnd;
        ReleaseMutex(mutex);
        CloseHandle(mutex);
        return 1;
    }
    // Once the window is up and its start-up requests are made.
    RegisterCommonControls();

    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return static_cast<int>(msg.wParam);
}
