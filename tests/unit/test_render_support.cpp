// Pixels of the customer-service page: the panel, the contact image at its own
// size or squeezed into its box, the white frame, the service hours and the
// home button, at the 96-DPI positions and scaled at the runner's DPI.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "support/test_support.h"
#include "unit/test_render_canvas.h"

namespace {

const Rgb kPanel = {25, 25, 25};
const Rgb kWhite = {255, 255, 255};
const Rgb kFill = {40, 90, 160};
const Rgb kCorners[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};  // TL, TR, BL, BR

struct Page {
    RECT panel;
    int hoursTop, hoursBottom;
};

// One contact image and where it and its white frame must appear.
struct ImageCase {
    SIZE bitmap;
    RECT shown, frame;
};

class RenderSupport : public ::testing::Test {
protected:
    void SetUp() override {
        wnd = testing_support::NewMainWnd();
        wnd->CreateAndLayoutWindow();
        wnd->TakeLatePictures();
        ASSERT_NE(wnd->m_hWnd, nullptr);
        canvas = new RenderCanvas(wnd->m_hWnd);
        ASSERT_TRUE(canvas->valid());
        wnd->m_nPage = PAGE_SUPPORT;
        builtIn = wnd->m_hbmpSupport;
    }
    void TearDown() override {
        wnd->m_hbmpSupport = builtIn;
        delete canvas;
        testing_support::DestroyMainWnd(wnd);
    }
    int SX(int n) const { return wnd->ScaleX(n); }
    int SY(int n) const { return wnd->ScaleY(n); }
    // Bounding box of the pixels in area within tol of colour; empty if none.
    RECT Span(RECT area, Rgb colour, int tol) const {
        RECT box = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                if (!canvas->At(x, y).Near(colour, tol)) continue;
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                       std::max<LONG>(box.bottom, y + 1)};
            }
        return box.left == LONG_MAX ? RECT{} : box;
    }
    void ExpectSpan(RECT area, Rgb colour, const RECT& want, const char* what) const {
        const RECT got = Span(area, colour, 0);
        EXPECT_TRUE(EqualRect(&got, &want))
            << what << ": {" << got.left << "," << got.top << "," << got.right << "," << got.bottom << "}, want {"
            << want.left << "," << want.top << "," << want.right << "," << want.bottom << "}";
    }

    // An opaque picture of kFill with one marked pixel in each corner.
    GdiObject<HBITMAP> MakeImage(SIZE size) const {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = size.cx;
        bmi.bmiHeader.biHeight = -size.cy;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        GdiObject<HBITMAP> bmp(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
        auto* px = static_cast<uint32_t*>(bits);
        const auto argb = [](Rgb c) { return 0xFF000000u | c.r << 16 | c.g << 8 | c.b; };
        for (long i = 0; i < size.cx * size.cy; ++i) px[i] = argb(kFill);
        const long last = size.cx * size.cy - 1;
        const long corners[4] = {0, size.cx - 1, last - (size.cx - 1), last};
        for (int k = 0; k < 4; ++k) px[corners[k]] = argb(kCorners[k]);
        return bmp;
    }
    Page ScaledPage() const {
        RECT client;
        GetClientRect(wnd->m_hWnd, &client);
        const int w = SX(600), h = SY(450);
        const int px = (client.right - w) / 2, py = (client.bottom - h) / 2;
        return {{px, py, px + w, py + h}, py + SY(350) + SY(30), py + SY(350) + SY(55)};
    }
    ImageCase ScaledImage(SIZE bitmap) const {
        const Page p = ScaledPage();
        const int iw = std::min<int>(SX(250), bitmap.cx), ih = std::min<int>(SY(250), bitmap.cy);
        const int ix = p.panel.left + (SX(600) - iw) / 2, iy = p.panel.top + SY(90);
        // 5 units each side, scaled as a 10-unit whole: at 144 DPI 7 left, 8 right.
        const int fx = ix - SX(5), fy = iy - SY(5);
        return {bitmap, {ix, iy, ix + iw, iy + ih}, {fx, fy, fx + iw + SX(10), fy + ih + SY(10)}};
    }

    void ExpectPage(const Page& p) {
        const RECT& r = p.panel;
        const int y = r.top + SY(15), x = r.left + SX(20);
        ExpectSpan({r.left - 5, y, r.right + 5, y + 1}, kPanel, {r.left + 1, y, r.right, y + 1}, "panel across");
        ExpectSpan({x, r.top - 5, x + 1, r.bottom + 5}, kPanel, {x, r.top + 1, x + 1, r.bottom}, "panel down");
        EXPECT_GE(canvas->MaxIn({r.left, r.top + SY(30), r.right, r.top + SY(70)}), 250) << "联系客服";

        // Green hours line, centred in its band.
        const RECT hours = Span({r.left, p.hoursTop - SY(10), r.right, p.hoursBottom + SY(10)}, {120, 200, 120}, 30);
        ASSERT_FALSE(IsRectEmpty(&hours));
        EXPECT_GE(hours.top, p.hoursTop);
        EXPECT_LE(hours.bottom, p.hoursBottom);
        EXPECT_NEAR((hours.left + hours.right) / 2, (r.left + r.right) / 2, SX(3));
        EXPECT_NEAR((hours.top + hours.bottom) / 2, (p.hoursTop + p.hoursBottom) / 2, SY(2));

        const RECT home = {SX(20), SY(60), SX(80), SY(90)};
        EXPECT_EQ(canvas->At(home.left + SX(4), (home.top + home.bottom) / 2), (Rgb{80, 80, 80}));
        EXPECT_GE(canvas->MaxIn(home), 195) << "首页";
    }

    void ExpectImage(const ImageCase& c) {
        GdiObject<HBITMAP> image = MakeImage(c.bitmap);
        wnd->m_hbmpSupport = image.get();
        canvas->Paint(wnd);
        wnd->m_hbmpSupport = builtIn;
        RECT around = c.frame;
        InflateRect(&around, 4, 4);
        ExpectSpan(around, kWhite, c.frame, "frame");
        ExpectSpan(around, kFill, c.shown, "image");
        // Only a copy at the image's own size keeps the single corner pixels.
        const RECT& s = c.shown;
        if (s.right - s.left != c.bitmap.cx || s.bottom - s.top != c.bitmap.cy) return;
        const POINT corners[4] = {
            {s.left, s.top}, {s.right - 1, s.top}, {s.left, s.bottom - 1}, {s.right - 1, s.bottom - 1}};
        for (int k = 0; k < 4; ++k) EXPECT_EQ(canvas->At(corners[k].x, corners[k].y), kCorners[k]) << "corner " << k;
    }

    CMainWnd* wnd = nullptr;
    RenderCanvas* canvas = nullptr;
    HBITMAP builtIn = nullptr;
};

TEST_F(RenderSupport, PageAndImagesAt96Dpi) {
    if (testing_support::ExpectedDpi() != 96) GTEST_SKIP() << "positions in 96-DPI pixels";
    ExpectImage({{224, 236}, {488, 225, 712, 461}, {483, 220, 717, 466}});
    ExpectPage({{300, 135, 900, 585}, 515, 540});
    ExpectImage({{600, 300}, {475, 225, 725, 475}, {470, 220, 730, 480}});
}

TEST_F(RenderSupport, PageAndImagesAtScaledPositions) {
    ExpectImage(ScaledImage({224, 236}));
    ExpectPage(ScaledPage());
    ExpectImage(ScaledImage({600, 300}));
}

TEST_F(RenderSupport, WithoutAnImageOnlyTheFrameIsMissing) {
    wnd->m_hbmpSupport = nullptr;
    canvas->Paint(wnd);
    RECT around = ScaledImage({224, 236}).frame;
    InflateRect(&around, 4, 4);
    const RECT light = Span(around, kWhite, 100);
    EXPECT_TRUE(IsRectEmpty(&light)) << "no frame";
    ExpectPage(ScaledPage());
}

}  // namespace
