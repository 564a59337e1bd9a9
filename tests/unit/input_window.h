// A real main window at 96 DPI for the input tests: messages go through
// SendMessageW to the real window procedure and the tests read the fields.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/test_support.h"

namespace input_testing {

class InputWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (testing_support::ExpectedDpi() != 96) GTEST_SKIP() << "input geometry is checked at 96 DPI";
        wnd = testing_support::NewMainWnd();
        wnd->CreateAndLayoutWindow();
        wnd->TakeLatePictures();
        hwnd = wnd->m_hWnd;
        ASSERT_NE(hwnd, nullptr);
        RECT rc = {};
        GetClientRect(hwnd, &rc);
        ASSERT_EQ(rc.right, 1200);
        ASSERT_EQ(rc.bottom, 720);
        DropQuit();
    }

    void TearDown() override {
        if (!wnd) return;
        // Real workers left running then find the window gone, which is safe.
        if (GetCapture() == hwnd) ReleaseCapture();
        testing_support::DestroyMainWnd(wnd);
        DropQuit();
    }

    LRESULT Click(int x, int y) { return SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    LRESULT Release(int x, int y) { return SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    LRESULT Move(int x, int y) { return SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    LRESULT Char(wchar_t ch) { return SendMessageW(hwnd, WM_CHAR, ch, 0); }
    LRESULT Tick(UINT_PTR id) { return SendMessageW(hwnd, WM_TIMER, id, 0); }

    // True when a WM_QUIT is queued; its exit code goes to *code.
    static bool TakeQuit(WPARAM* code = nullptr) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
        if (code) *code = msg.wParam;
        return true;
    }
    static void DropQuit() {
        while (TakeQuit()) {
        }
    }

    void AddOrders(int count, OrderStatus status = OrderStatus::Completed) {
        for (int i = 0; i < count; ++i) {
            OrderInfo o;
            o.order_no = L"NO-" + std::to_wstring(i);
            o.status = status;
            o.download_url = L"https://dl.example/" + std::to_wstring(i);
            wnd->m_aOrders.push_back(o);
        }
    }

    // Dispatches messages until done() holds or ms pass; true when it held.
    template <class Done>
    bool PumpUntil(Done done, DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        while (!done()) {
            if (GetTickCount64() > end) return false;
            testing_support::PumpMessages();
            Sleep(5);
        }
        return true;
    }

    void AddVersions(int count) {
        for (int i = 0; i < count; ++i) wnd->m_aVersions.push_back(GameInfo{L"v" + std::to_wstring(i)});
    }

    CMainWnd* wnd = nullptr;
    HWND hwnd = nullptr;
};

using testing_support::StartQuietWorker;

using testing_support::ClipboardText;
using testing_support::SetClipboardText;

}  // namespace input_testing
