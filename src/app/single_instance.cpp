// Single-instance detection and activation of the first copy's window.
#include "app/single_instance.h"

bool IsFirstInstance(HANDLE mutex, DWORD lastError) {
    return mutex != nullptr && lastError != ERROR_ALREADY_EXISTS;
}

void ActivateExistingWindow() {
    HWND existing = FindWindowW(nullptr, kMainWindowTitle);
    if (!existing) {
        OutputDebugStringW(L"Could not find existing window");
        return;
    }
    OutputDebugStringW(L"Found existing window, activating it");
    if (IsIconic(existing)) ShowWindow(existing, SW_RESTORE);
    SetForegroundWindow(existing);
    BringWindowToTop(existing);
    FLASHWINFO flash = {};
    flash.cbSize = sizeof(flash);
    flash.hwnd = existing;
    flash.dwFlags = FLASHW_ALL;
    flash.uCount = 3;
    flash.dwTimeout = 0;
    FlashWindowEx(&flash);
}
