// What every render test shares: a 32-bit top-down DIB section of the
// window's client size to paint into and read pixels from, the searches for
// coloured pixels, and the fixture of a real main window at the runner's DPI
// (96, 120 or 144) with its canvas. Rectangles to check come from the layout
// functions, not from the tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>

#include "draw/toolkit.h"
#include "mainwnd/main_wnd.h"
#include "support/test_support.h"

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

// Colours of the design that several pages share, to check pixels against.
const Rgb kPanel = {25, 25, 25};
const Rgb kLight = {240, 240, 240};
const Rgb kRed = {255, 100, 100};
const Rgb kGreen = {120, 200, 120};

class RenderCanvas {
public:
    RenderCanvas(int w, int h) : m_w(w), m_h(h) {
        m_dc = CreateCompatibleDC(nullptr);
        m_bmp = CreateCanvasBitmap(m_dc, w, h);
        DIBSECTION dib = {};
        if (m_bmp && GetObjectW(m_bmp, sizeof(dib), &dib) == sizeof(dib)) m_bits = static_cast<uint32_t*>(dib.dsBm.bmBits);
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

// The pixels a search found: their bounding box and how many there are.
struct Blob {
    RECT box = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    int count = 0;
    // The box, or an empty rectangle when nothing was found.
    RECT Span() const { return count ? box : RECT{}; }
};

// The pixels of area on canvas that match, or that lie within tol of colour.
inline Blob FindOn(const RenderCanvas& canvas, const RECT& area, const std::function<bool(const Rgb&)>& match) {
    Blob blob;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            if (!match(canvas.At(x, y))) continue;
            ++blob.count;
            blob.box = {std::min<LONG>(blob.box.left, x), std::min<LONG>(blob.box.top, y),
                        std::max<LONG>(blob.box.right, x + 1), std::max<LONG>(blob.box.bottom, y + 1)};
        }
    return blob;
}
inline Blob FindOn(const RenderCanvas& canvas, const RECT& area, Rgb colour, int tol = 0) {
    return FindOn(canvas, area, [colour, tol](const Rgb& p) { return p.Near(colour, tol); });
}

inline std::ostream& operator<<(std::ostream& os, const RECT& rc) {
    return os << "{" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom << "}";
}

// A real main window, made and laid out as InitWindow does before it logs in.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        wnd = testing_support::NewMainWnd();
        wnd->CreateAndLayoutWindow();
        ASSERT_NE(wnd->m_hWnd, nullptr);
    }
    void TearDown() override { testing_support::DestroyMainWnd(wnd); }

    CMainWnd* wnd = nullptr;
};

// The window with a canvas of its client size to paint into.
class RenderTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        canvas = std::make_unique<RenderCanvas>(wnd->m_hWnd);
        ASSERT_TRUE(canvas->valid());
    }
    void TearDown() override {
        canvas.reset();
        WindowTest::TearDown();
    }

    int SX(int n) const { return wnd->ScaleX(n); }
    int SY(int n) const { return wnd->ScaleY(n); }
    ClientArea Client() const { return wnd->Client(); }
    LayoutScale Scale() const { return wnd->Client().scale; }

    // Searches of the fixture's canvas.
    Blob Find(const RECT& area, const std::function<bool(const Rgb&)>& match) const {
        return FindOn(*canvas, area, match);
    }
    Blob Find(const RECT& area, Rgb colour, int tol = 0) const { return FindOn(*canvas, area, colour, tol); }
    RECT Span(const RECT& area, Rgb colour, int tol) const { return Find(area, colour, tol).Span(); }
    int Count(const RECT& area, Rgb colour, int tol = 0) const { return Find(area, colour, tol).count; }

    std::unique_ptr<RenderCanvas> canvas;
};
