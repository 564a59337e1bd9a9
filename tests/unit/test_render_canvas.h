// A 32-bit top-down DIB section of the window's client size that the render
// tests paint into and read pixels from.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <ostream>

#include "mainwnd/main_wnd.h"

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
    bool Near(const Rgb& o, int tol) const {
        return std::abs(r - o.r) <= tol && std::abs(g - o.g) <= tol && std::abs(b - o.b) <= tol;
    }
    int Max() const { return r > g ? (r > b ? r : b) : (g > b ? g : b); }
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

class RenderCanvas {
public:
    RenderCanvas(int w, int h) : m_w(w), m_h(h) {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = -h;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bmp = CreateDIBSection(m_dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<uint32_t*>(bits);
        m_old = SelectObject(m_dc, m_bmp);
    }
    explicit RenderCanvas(HWND wnd) : RenderCanvas(ClientWidth(wnd), ClientHeight(wnd)) {}
    RenderCanvas(const RenderCanvas&) = delete;
    RenderCanvas& operator=(const RenderCanvas&) = delete;
    ~RenderCanvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bmp);
        DeleteDC(m_dc);
    }

    HDC dc() const { return m_dc; }
    int width() const { return m_w; }
    int height() const { return m_h; }
    bool valid() const { return m_bits != nullptr; }

    // Paints the whole client area of wnd.
    void Paint(CMainWnd* wnd) {
        Clear();
        wnd->PaintClient(m_dc);
        GdiFlush();
    }
    void Clear() {
        for (int i = 0; i < m_w * m_h; ++i) m_bits[i] = 0;
    }

    Rgb At(int x, int y) const {
        const uint32_t p = m_bits[y * m_w + x];
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
    }
    const uint32_t* bits() const { return m_bits; }

    // Brightest channel value found in rc.
    int MaxIn(const RECT& rc) const {
        int best = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) {
                const int v = At(x, y).Max();
                if (v > best) best = v;
            }
        return best;
    }

private:
    static int ClientWidth(HWND wnd) {
        RECT rc;
        GetClientRect(wnd, &rc);
        return rc.right;
    }
    static int ClientHeight(HWND wnd) {
        RECT rc;
        GetClientRect(wnd, &rc);
        return rc.bottom;
    }

    int m_w, m_h;
    HDC m_dc = nullptr;
    HBITMAP m_bmp = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
};
