// The window background at the runner's DPI: the fallback gradient, the
// stretched image, and the pictures kept between paints, which must match
// drawing everything afresh in paint order.
#include <gtest/gtest.h>

#include <cstring>

#include "draw/toolkit.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

class RenderBackground : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        ASSERT_NE(wnd->m_hbmpBackground, nullptr) << "the embedded background image";
    }
    // Counts pixels that differ between two canvases of the same size.
    static int Differences(const RenderCanvas& a, const RenderCanvas& b) {
        int n = 0;
        for (int i = 0; i < a.width() * a.height(); ++i) n += (a.bits()[i] & 0xFFFFFF) != (b.bits()[i] & 0xFFFFFF);
        return n;
    }
    // The image stretched over the client area the plain way, on black.
    void DirectStretch(RenderCanvas& out) {
        out.Clear();
        BlitBitmap(out.dc(), wnd->m_hbmpBackground, 0, 0, out.width(), out.height());
        GdiFlush();
    }
};

TEST_F(RenderBackground, GradientRunsFromTopToBottomColour) {
    GdiObject<HBITMAP> image(wnd->m_hbmpBackground);
    wnd->m_hbmpBackground = nullptr;
    canvas->Clear();
    wnd->DrawBackground(canvas->dc());
    GdiFlush();
    const int last = canvas->height() - 1;
    for (int x : {0, canvas->width() / 2, canvas->width() - 1}) {
        EXPECT_TRUE(canvas->At(x, 0).Near({20, 20, 25}, 1)) << canvas->At(x, 0);
        EXPECT_TRUE(canvas->At(x, last).Near({35, 35, 40}, 1)) << canvas->At(x, last);
    }
    const int x = canvas->width() / 3;
    for (int y = 1; y <= last; ++y) {
        const Rgb above = canvas->At(x, y - 1);
        const Rgb here = canvas->At(x, y);
        ASSERT_GE(here.r, above.r) << "row " << y;
        ASSERT_GE(here.g, above.g) << "row " << y;
        ASSERT_GE(here.b, above.b) << "row " << y;
        ASSERT_EQ(here, canvas->At(canvas->width() - 1 - x, y)) << "rows are flat, row " << y;
    }
}

// At start-up the first frame does not wait for the picture: while it is
// decoded the background is the gradient's top colour, plain; a picture that
// then fails leaves the gradient, not that start-up frame.
TEST_F(RenderBackground, PlainWhileThePictureDecodesThenTheGradientWhenItFails) {
    GdiObject<HBITMAP> image(wnd->m_hbmpBackground);
    wnd->m_hbmpBackground = nullptr;
    wnd->m_firstPictures[CMainWnd::kBackgroundPicture].Start({{&wnd->m_hbmpBackground, 299, L"C:\\no\\such\\bg.png"}});
    canvas->Paint(wnd);
    const int last = canvas->height() - 1;
    for (const POINT p : {POINT{0, last}, POINT{canvas->width() / 6, last / 2}, POINT{canvas->width() - 1, last}}) {
        EXPECT_EQ(canvas->At(p.x, p.y), (Rgb{20, 20, 25})) << "decoding, at " << p.x << "," << p.y;
    }
    ASSERT_TRUE(wnd->m_firstPictures[CMainWnd::kBackgroundPicture].Deliver(true));
    ASSERT_EQ(wnd->m_hbmpBackground, nullptr);
    canvas->Paint(wnd);
    EXPECT_TRUE(canvas->At(0, last).Near({35, 35, 40}, 1)) << "failed: the gradient's bottom " << canvas->At(0, last);
}

TEST_F(RenderBackground, ImageIsStretchedOverTheClientAreaExactly) {
    // The decoder fitted the picture to the client size; the first paint of
    // it keeps that copy, whose pixels must be those of a stretch in place.
    const HBITMAP fitted = wnd->m_fittedBackground.bitmap;
    ASSERT_NE(fitted, nullptr);
    canvas->Clear();
    wnd->DrawBackground(canvas->dc());
    GdiFlush();
    EXPECT_EQ(wnd->m_backgroundCache.bitmap.get(), fitted);
    EXPECT_FALSE(canvas->At(0, 0).Near({20, 20, 25}, 1)) << "image, not gradient: " << canvas->At(0, 0);
    RenderCanvas direct(wnd->m_hWnd);
    DirectStretch(direct);
    EXPECT_EQ(Differences(*canvas, direct), 0);
    // Again from the kept picture.
    canvas->Clear();
    wnd->DrawBackground(canvas->dc());
    GdiFlush();
    EXPECT_EQ(Differences(*canvas, direct), 0);
}

TEST_F(RenderBackground, KeptPictureFollowsTheImageAndTheClientSize) {
    RenderCanvas direct(wnd->m_hWnd);
    DirectStretch(direct);
    wnd->DrawBackground(canvas->dc());

    GdiObject<HBITMAP> image(wnd->m_hbmpBackground);
    wnd->m_hbmpBackground = nullptr;
    canvas->Clear();
    wnd->DrawBackground(canvas->dc());
    GdiFlush();
    EXPECT_TRUE(canvas->At(0, 0).Near({20, 20, 25}, 1)) << "gradient once the image is gone";

    wnd->m_hbmpBackground = image.release();
    canvas->Clear();
    wnd->DrawBackground(canvas->dc());
    GdiFlush();
    EXPECT_EQ(Differences(*canvas, direct), 0) << "image again";

    RECT wr;
    GetWindowRect(wnd->m_hWnd, &wr);
    SetWindowPos(wnd->m_hWnd, nullptr, 0, 0, (wr.right - wr.left) / 2, (wr.bottom - wr.top) / 2,
                 SWP_NOMOVE | SWP_NOZORDER);
    RenderCanvas small(wnd->m_hWnd);
    ASSERT_LT(small.width(), canvas->width());
    RenderCanvas smallDirect(wnd->m_hWnd);
    DirectStretch(smallDirect);
    small.Clear();
    wnd->DrawBackground(small.dc());
    GdiFlush();
    EXPECT_EQ(Differences(small, smallDirect), 0) << "restretched to the new size";
}

// The home page's kept layer gives the same pixels as the routines in paint order.
TEST_F(RenderBackground, HomePageMatchesDrawingInPaintOrder) {
    wnd->m_aVersions = {GameInfo{L"v1"}, GameInfo{L"v2"}};
    RenderCanvas fresh(wnd->m_hWnd);
    auto drawFresh = [&] {
        fresh.Clear();
        wnd->DrawBackground(fresh.dc());
        wnd->DrawTitleBar(fresh.dc());
        wnd->DrawHomePage(fresh.dc());
        wnd->DrawHomeControls(fresh.dc());
        GdiFlush();
    };
    for (int round = 0; round < 2; ++round) {
        canvas->Paint(wnd);
        drawFresh();
        EXPECT_EQ(Differences(*canvas, fresh), 0) << "round " << round;
    }
    wnd->m_bDropListOpen = true;
    canvas->Paint(wnd);
    drawFresh();
    EXPECT_EQ(Differences(*canvas, fresh), 0) << "list open";

    // Without the logo the title bar shows its plain fill where the logo was.
    GdiObject<HBITMAP> logo(wnd->m_hbmpLogo);
    wnd->m_hbmpLogo = nullptr;
    canvas->Paint(wnd);
    drawFresh();
    EXPECT_EQ(Differences(*canvas, fresh), 0) << "logo removed";
    const RECT& rcLogo = wnd->m_rcLogo;
    EXPECT_EQ(canvas->At((rcLogo.left + rcLogo.right) / 2, (rcLogo.top + rcLogo.bottom) / 2), (Rgb{26, 27, 29}));
}

}  // namespace
