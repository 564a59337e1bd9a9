// The window framework: gives an object one native top-level window and routes
// every message of that window to the object's virtual handler.
#pragma once
#include <windows.h>

namespace DuiLib {

class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;
    // Destroying the object leaves its window alone.
    virtual ~CWindowWnd() = default;

    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Called once after WM_NCDESTROY, when the object is already detached.
    // Not for a window that ends inside Create (its creation failed after
    // WM_NCCREATE): Create returns null and the object stays its caller's.
    virtual void OnFinalMessage(HWND hWnd);

    HWND Create(HWND hwndParent, LPCWSTR pstrName, DWORD dwStyle, DWORD dwExStyle,
                int x, int y, int cx, int cy);
    void CenterWindow();

    HWND m_hWnd = nullptr;

    static constexpr const wchar_t* kClassName = L"DuiLibWnd";

private:
    bool m_bCreating = false;

    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

}  // namespace DuiLib
