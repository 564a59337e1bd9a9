// Pixels of the customer-service page: the panel, the contact image at its own
// size or squeezed into its box, the white frame, the service hours and the
// home button, at the 96-DPI positions and scaled at the runner's DPI.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "layout/support_layout.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

const Rgb kWhite = {255, 255, 255};
const Rgb kFill = {40, 90, 160};
const Rgb kCorners[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};  // TL, TR, BL, BR

struct SupportPage {
    RECT panel;
    int hoursTop, hoursBottom;
};

// One contact image and where it and its white frame must appear.
struct ImageCase {
    SIZE bitmap;
    RECT shown, frame;
};

class RenderSupport : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        wnd->TakeLatePictures();
        wnd->m_nPage = Page::PAGE_SUPPORT;
        builtIn = wnd->m_hbmpSupport;
    }
    void TearDown() override {
        wnd->m_hbmpSupport = builtIn;
        RenderTest::TearDown();
    }
    void ExpectSpan(RECT area, Rgb colour, const RECT& want, const char* what) const {
        const RECT got = Span(area, colour, 0);
        EXPECT_TRUE(EqualRect(&got, &want)) << what << ": " << got << ", want " << want;
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
    SupportPage ScaledPage() const {
        const SupportLayout p = SupportLayoutFor(Client(), 0, 0);
        return {p.panel, p.hours.top, p.hours.bottom};
    }
    // 5 units each side, scaled as a 10-unit whole: at 144 DPI 7 left, 8 right.
    ImageCase ScaledImage(SIZE bitmap) const {
        const SupportLayout p = SupportLayoutFor(Client(), bitmap.cx, bitmap.cy);
        return {bitmap, p.image, p.frame};
    }

    void ExpectPage(const SupportPage& p) {
        const RECT& r = p.panel;
        const int y = r.top + SY(15), x = r.left + SX(20);
        ExpectSpan({r.left - 5, y, r.right + 5, y + 1}, kPanel, {r.left + 1, y, r.right, y + 1}, "panel across");
        ExpectSpan({x, r.top - 5, x + 1, r.bottom + 5}, kPanel, {x, r.top + 1, x + 1, r.bottom}, "panel down");
        EXPECT_GE(canvas->MaxIn(TitledPanelTitle(r, Scale())), 250) << "联系客服";

        // Green hours line, centred in its band.
        const RECT hours = Span({r.left, p.hoursTop - SY(10), r.right, p.hoursBottom + SY(10)}, {120, 200, 120}, 30);
        ASSERT_FALSE(IsRectEmpty(&hours));
        EXPECT_GE(hours.top, p.hoursTop);
        EXPECT_LE(hours.bottom, p.hoursBottom);
        EXPECT_NEAR((hours.left + hours.right) / 2, (r.left + r.right) / 2, SX(3));
        EXPECT_NEAR((hours.top + hours.bottom) / 2, (p.hoursTop + p.hoursBottom) / 2, SY(2));

        const RECT home = HomeButton(Scale());
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

    HBITMAP builtIn = nullptr;
};

// At the layout's positions, whose 96-DPI numbers the layout table pins.
TEST_F(RenderSupport, PageAndImagesAtTheLayoutsPositions) {
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
