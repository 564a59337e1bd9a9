// The window framework: attaching the object, message routing before
// WM_NCCREATE, detaching at WM_NCDESTROY, class re-registration, centring.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/common_controls.h"
#include "duilib/window_wnd.h"

namespace {

class RecordingWnd : public DuiLib::CWindowWnd {
public:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(uMsg);
        if (uMsg == WM_NCCREATE) hwndAtNcCreate = m_hWnd;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND hWnd) override {
        finalCalls++;
        userDataAtFinal = GetWindowLongPtrW(hWnd, GWLP_USERDATA);
        memberAtFinal = m_hWnd;
    }

    std::vector<UINT> messages;
    HWND hwndAtNcCreate = nullptr;
    int finalCalls = 0;
    LONG_PTR userDataAtFinal = -1;
    HWND memberAtFinal = reinterpret_cast<HWND>(1);
};

TEST(WindowFramework, AttachesDuringNcCreateAndRoutesLaterMessages) {
    RecordingWnd wnd;
    ASSERT_EQ(wnd.m_hWnd, nullptr);
    HWND hwnd = wnd.Create(nullptr, L"framework test", WS_POPUP, 0, 0, 0, 200, 100);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(wnd.m_hWnd, hwnd);
    EXPECT_EQ(wnd.hwndAtNcCreate, hwnd);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&wnd));

    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    EXPECT_STREQ(cls, L"DuiLibWnd");
    EXPECT_EQ(GetClassLongPtrW(hwnd, GCL_STYLE), static_cast<ULONG_PTR>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_WINDOW + 1));

    // WM_GETMINMAXINFO comes before WM_NCCREATE and must not reach the object.
    ASSERT_FALSE(wnd.messages.empty());
    EXPECT_EQ(wnd.messages.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_NE(std::find(wnd.messages.begin(), wnd.messages.end(), static_cast<UINT>(WM_CREATE)), wnd.messages.end());

    const size_t before = wnd.messages.size();
    SendMessageW(hwnd, WM_USER + 7, 0, 0);
    ASSERT_EQ(wnd.messages.size(), before + 1);
    EXPECT_EQ(wnd.messages.back(), static_cast<UINT>(WM_USER + 7));
    DestroyWindow(hwnd);
}

TEST(WindowFramework, NcDestroyDetachesBeforeTheFinalMessage) {
    RecordingWnd wnd;
    HWND hwnd = wnd.Create(nullptr, L"framework test", WS_POPUP, 0, 0, 0, 100, 100);
    ASSERT_NE(hwnd, nullptr);
    DestroyWindow(hwnd);
    EXPECT_EQ(wnd.finalCalls, 1);
    EXPECT_EQ(wnd.userDataAtFinal, 0);
    EXPECT_EQ(wnd.memberAtFinal, nullptr);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    // WM_NCDESTROY itself still went to the handler.
    EXPECT_EQ(wnd.messages.back(), static_cast<UINT>(WM_NCDESTROY));
}

// A window that ends inside Create (here WM_CREATE refuses it) gets no final
// message: Create returns null and the object still belongs to its caller.
class RefusingWnd : public RecordingWnd {
public:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = RecordingWnd::HandleMessage(uMsg, wParam, lParam);
        return uMsg == WM_CREATE ? -1 : result;
    }
};

TEST(WindowFramework, CreationThatFailsAfterNcCreateLeavesTheObjectToItsCaller) {
    RefusingWnd wnd;
    EXPECT_EQ(wnd.Create(nullptr, L"refused", WS_POPUP, 0, 0, 0, 100, 100), nullptr);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(wnd.messages.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(wnd.finalCalls, 0);
}

TEST(WindowFramework, SecondCreateWithRegisteredClassStillMakesAWindow) {
    RecordingWnd first;
    RecordingWnd second;
    HWND a = first.Create(nullptr, L"first", WS_POPUP, 0, 0, 0, 50, 50);
    HWND b = second.Create(nullptr, L"second", WS_POPUP, 0, 0, 0, 50, 50);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(GetWindowLongPtrW(b, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&second));
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST(WindowFramework, CenterWindowUsesWorkAreaSizeFromScreenOrigin) {
    RecordingWnd wnd;
    HWND hwnd = wnd.Create(nullptr, L"center", WS_POPUP, 0, 0, 0, 301, 201);
    ASSERT_NE(hwnd, nullptr);
    wnd.CenterWindow();
    RECT wa = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.left, ((wa.right - wa.left) - 301) / 2);
    EXPECT_EQ(rc.top, ((wa.bottom - wa.top) - 201) / 2);
    EXPECT_EQ(rc.right - rc.left, 301);
    DestroyWindow(hwnd);
}

TEST(WindowFramework, CenterWindowWithoutWindowDoesNothing) {
    RecordingWnd wnd;
    wnd.CenterWindow();
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_TRUE(wnd.messages.empty());
}

}  // namespace

// The entry point registers the common controls once its window is up.
TEST(CommonControls, RegisteredAtRunTime) {
    EXPECT_TRUE(RegisterCommonControls());
    EXPECT_TRUE(RegisterCommonControls()) << "a second call answers the same";
    const HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr) << "loaded by the registration";
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    EXPECT_TRUE(GetClassInfoExW(comctl, WC_LISTVIEWW, &wc));
    EXPECT_TRUE(GetClassInfoExW(comctl, ANIMATE_CLASSW, &wc));
}
