// Pixels of the painted home page, title bar, version list and user menu,
// checked at the runner's DPI (96, 120 and 144) against the palette and the
// layout in scaled units.
#include <gtest/gtest.h>

#include <vector>

#include "draw/toolkit.h"
#include "layout/window_layout.h"
#include "support/test_support.h"
#include "unit/render_test.h"

namespace {

const Rgb kTitleBar = {26, 27, 29};
const Rgb kSelector = {64, 64, 64};
const Rgb kGold = {226, 180, 77};
const Rgb kGlyph = {180, 180, 180};
const Rgb kListBorder = {80, 80, 80};

class RenderHome : public RenderTest {
protected:
    void AddVersions(int n) {
        const wchar_t* names[] = {L"v1", L"v2", L"v3", L"v4", L"v5", L"v6"};
        for (int i = 0; i < n; ++i) wnd->m_aVersions.push_back(GameInfo{names[i]});
    }
    void OpenUserMenu(int hover) {
        wnd->m_rcUserMenu = UserMenuRect(wnd->m_rcMenuBtn, Scale());
        wnd->m_bShowUserMenu = true;
        wnd->m_nHoverMenuItem = hover;
    }
    HomeLayout Home() const { return HomeLayoutFor(Client()); }
    // A rectangle without its top and bottom rows, clear of a 1-pixel outline.
    static RECT Inner(RECT rc) {
        InflateRect(&rc, 0, -2);
        return rc;
    }
};

TEST_F(RenderHome, TitleBarIsFilledAndCarriesItsTexts) {
    canvas->Paint(wnd);
    const int w = canvas->width();
    // Between the caption and "我的订单", and under the glyphs' buttons.
    EXPECT_EQ(canvas->At(w / 2, SY(25)), kTitleBar);
    EXPECT_EQ(canvas->At(w / 2, 0), kTitleBar);
    EXPECT_EQ(canvas->At(w / 2, SY(50) - 1), kTitleBar);
    EXPECT_EQ(canvas->At(wnd->m_rcMinBtn.left + 2, SY(4)), kTitleBar);
    EXPECT_NE(canvas->At(w / 2, SY(50) + 1), kTitleBar);
    // White bold caption, light text buttons.
    EXPECT_GE(canvas->MaxIn(wnd->m_rcTitleText), 250);
    EXPECT_GE(canvas->MaxIn(wnd->m_rcOrdersBtn), 200);
    EXPECT_GE(canvas->MaxIn(wnd->m_rcSupportBtn), 200);
}

TEST_F(RenderHome, TitleBarGlyphsKeepTheirPixelSizes) {
    canvas->Paint(wnd);
    const RECT& min = wnd->m_rcMinBtn;
    const Blob bar = Find(min, kGlyph, 3);
    EXPECT_EQ(bar.count, 24);
    EXPECT_EQ(bar.box.right - bar.box.left, 12);
    EXPECT_EQ(bar.box.bottom - bar.box.top, 2);
    EXPECT_EQ(bar.box.left, min.left + (min.right - min.left - 12) / 2);
    EXPECT_EQ(bar.box.top, min.top + (min.bottom - min.top - 2) / 2);

    const RECT& menu = wnd->m_rcMenuBtn;
    const Blob bars = Find(menu, kGlyph, 3);
    EXPECT_EQ(bars.count, 3 * 16 * 2);
    EXPECT_EQ(bars.box.right - bars.box.left, 16);
    EXPECT_EQ(bars.box.bottom - bars.box.top, 14);
    const int x = menu.left + (menu.right - menu.left - 16) / 2;
    const int y = menu.top + (menu.bottom - menu.top - 14) / 2;
    for (int row : {0, 6, 12}) {
        EXPECT_TRUE(canvas->At(x + 8, y + row).Near(kGlyph, 3)) << "bar at " << row;
        EXPECT_FALSE(canvas->At(x + 8, y + row + 3).Near(kGlyph, 3)) << "gap below bar at " << row;
    }

    // The X: ten pixels across plus the round caps of a 2-pixel pen.
    const RECT& close = wnd->m_rcCloseBtn;
    const int cx = close.left + (close.right - close.left) / 2;
    const int cy = close.top + (close.bottom - close.top) / 2;
    EXPECT_GE(canvas->At(cx, cy).Max(), 150);
    const RECT drawn = Find(close, [](const Rgb& p) { return !p.Near(kTitleBar, 4); }).box;
    EXPECT_GE(drawn.right - drawn.left, 10);
    EXPECT_LE(drawn.right - drawn.left, 14);
    EXPECT_GE(drawn.bottom - drawn.top, 10);
    EXPECT_LE(drawn.bottom - drawn.top, 14);
    EXPECT_TRUE(canvas->At(cx - 5, cy + 5).Max() > 100 && canvas->At(cx + 5, cy - 5).Max() > 100) << "both strokes";
}

TEST_F(RenderHome, PanelSelectorAndInstallButtonUseThePalette) {
    AddVersions(5);
    canvas->Paint(wnd);
    const RECT& p = wnd->m_rcHomePanel;
    if (testing_support::ExpectedDpi() == 96) {
        EXPECT_EQ(p.left, 370);
        EXPECT_EQ(p.top, 220);
    }
    // Panel fill beside the selector, below the logo, near a corner.
    for (POINT pt : {POINT{p.left + SX(30), p.top + SY(200)}, POINT{p.right - SX(30), p.top + SY(130)},
                     POINT{p.left + SX(10), p.bottom - SY(10)}}) {
        EXPECT_EQ(canvas->At(pt.x, pt.y), kPanel) << pt.x << "," << pt.y;
    }
    // Selector: right of the short name, left of the arrow.
    const RECT& c = wnd->m_rcVersionCombo;
    const int cy = (c.top + c.bottom) / 2;
    EXPECT_EQ(canvas->At(c.right - SX(60), cy), kSelector);
    EXPECT_EQ(canvas->At(c.left + SX(150), c.top + SY(6)), kSelector);
    EXPECT_GE(std::max(canvas->At(c.left + SX(150), c.top).Max(), canvas->At(c.left + SX(150), c.top + 1).Max()), 200)
        << "light outline";
    // Install button: left of its label and right of it.
    const RECT& b = wnd->m_rcInstallBtn;
    const int by = (b.top + b.bottom) / 2;
    EXPECT_EQ(canvas->At(b.left + SX(30), by), kGold);
    EXPECT_EQ(canvas->At(b.right - SX(30), by), kGold);
    EXPECT_EQ(canvas->At((b.left + b.right) / 2, b.top + SY(4)), kGold);
    // Black label in the middle.
    int darkest = 255;
    for (int x = b.left + SX(50); x < b.right - SX(50); ++x) darkest = std::min(darkest, canvas->At(x, by).Max());
    EXPECT_LE(darkest, 40);
    // White welcome line above the selector.
    EXPECT_GE(canvas->MaxIn(Home().welcome), 250);
}

TEST_F(RenderHome, SelectorShowsTheSelectedNameOnlyForAValidIndex) {
    const RECT rcText = Inner(Home().selectorText);
    const RECT rcArrow = Inner(Home().selectorArrow);

    canvas->Paint(wnd);  // empty list
    EXPECT_LE(canvas->MaxIn(rcText), 64) << "no name without versions";
    EXPECT_GE(canvas->MaxIn(rcArrow), 200) << "the arrow is still drawn";

    AddVersions(3);
    wnd->m_nSelectedVersion = 2;
    canvas->Paint(wnd);
    EXPECT_GE(canvas->MaxIn(rcText), 200);
    for (int bad : {3, -1}) {
        wnd->m_nSelectedVersion = bad;
        canvas->Paint(wnd);
        EXPECT_LE(canvas->MaxIn(rcText), 64) << "index " << bad;
    }
}

// Vertical centre of the bright pixels of the arrow, relative to their box:
// below the middle for "▲" (wide base), above it for "▼".
double ArrowMassOffset(const RenderCanvas& canvas, const RECT& area) {
    long sumY = 0, n = 0, top = LONG_MAX, bottom = LONG_MIN;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            if (canvas.At(x, y).Max() < 160) continue;
            sumY += y;
            ++n;
            top = std::min<long>(top, y);
            bottom = std::max<long>(bottom, y);
        }
    if (n == 0) return 0.0;
    return static_cast<double>(sumY) / n - (top + bottom) / 2.0;
}

TEST_F(RenderHome, ArrowPointsUpOnlyWhileTheListIsOpen) {
    const RECT rcArrow = Inner(Home().selectorArrow);
    {
        ScopedFont font(canvas->dc(), wnd->CreateUIFont(19, 400));
        WORD glyphs[2] = {};
        GetGlyphIndicesW(canvas->dc(), L"▲▼", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
        if (glyphs[0] == 0xFFFF || glyphs[1] == 0xFFFF) {
            GTEST_SKIP() << "the face standing in for 微软雅黑 has no ▲/▼ here";
        }
    }
    canvas->Paint(wnd);
    EXPECT_LT(ArrowMassOffset(*canvas, rcArrow), -0.5) << "closed: ▼";
    wnd->m_bDropListOpen = true;
    canvas->Paint(wnd);
    EXPECT_GT(ArrowMassOffset(*canvas, rcArrow), 0.5) << "open: ▲";
}

TEST_F(RenderHome, OpenListHasFiveRowsAndTintsOnlyTheSelectedOne) {
    AddVersions(5);
    wnd->m_nSelectedVersion = 2;
    RenderCanvas closed(wnd->m_hWnd);
    closed.Paint(wnd);
    wnd->m_bDropListOpen = true;
    canvas->Paint(wnd);

    const RECT& c = wnd->m_rcVersionCombo;
    const DropList list = DropListBelow(c, 5, Scale());
    const int itemH = list.rowHeight;
    const int top = list.list.top;
    const int bottom = list.list.bottom;
    const int x = c.right - SX(20);  // right of the short names
    EXPECT_TRUE(canvas->At(x, top).Near(kListBorder, 2)) << canvas->At(x, top);
    EXPECT_TRUE(canvas->At(x, bottom).Near(kListBorder, 2)) << canvas->At(x, bottom);
    EXPECT_TRUE(canvas->At(c.left, (top + bottom) / 2).Near(kListBorder, 2));
    EXPECT_TRUE(canvas->At(c.right, (top + bottom) / 2).Near(kListBorder, 2));
    // Untouched outside: the gap above the list and the row below it.
    EXPECT_EQ(canvas->At(x, bottom + 1), closed.At(x, bottom + 1));
    EXPECT_EQ(canvas->At(x, top - 1), closed.At(x, top - 1));
    EXPECT_EQ(canvas->At(c.left - 1, (top + bottom) / 2), closed.At(c.left - 1, (top + bottom) / 2));

    std::vector<Rgb> rows;
    for (int i = 0; i < 5; ++i) rows.push_back(canvas->At(x, top + i * itemH + itemH / 2));
    for (int i = 0; i < 5; ++i) {
        if (i == 2) continue;
        EXPECT_TRUE(rows[i].Near({35, 35, 35}, 2)) << "row " << i << " " << rows[i];
    }
    // 100/(80,80,80) over the card fill.
    const int expect = (80 * 100 + rows[1].r * 155) / 255;
    EXPECT_TRUE(rows[2].Near({expect, expect, expect}, 2)) << rows[2] << " expected about " << expect;
    // Separators between rows, none on the first row's top edge but the border.
    const int sepX = c.left + SX(20) + 40;
    for (int i = 1; i < 5; ++i) {
        const int y = top + i * itemH;
        if (i == 2 || i == 3) continue;  // the selected row's tint meets these lines
        EXPECT_GE(canvas->At(sepX, y).r - canvas->At(sepX, y + 3).r, 10) << "separator above row " << i;
    }
}

TEST_F(RenderHome, EmptyOpenListIsOnlyItsBorder) {
    wnd->m_bDropListOpen = true;
    RenderCanvas closed(wnd->m_hWnd);
    wnd->m_bDropListOpen = false;
    closed.Paint(wnd);
    wnd->m_bDropListOpen = true;
    canvas->Paint(wnd);
    const RECT& c = wnd->m_rcVersionCombo;
    const int top = DropListBelow(c, 0, Scale()).list.top;
    const int x = (c.left + c.right) / 2;
    EXPECT_TRUE(canvas->At(x, top).Near(kListBorder, 2)) << canvas->At(x, top);
    EXPECT_EQ(canvas->At(x, top + 2), closed.At(x, top + 2));
}

TEST_F(RenderHome, UserMenuHighlightsOnlyTheHoveredItem) {
    RenderCanvas without(wnd->m_hWnd);
    without.Paint(wnd);
    OpenUserMenu(1);
    canvas->Paint(wnd);
    const RECT& m = wnd->m_rcUserMenu;
    const int h = SY(40);
    const int x = m.right - SX(12);
    const Rgb item0 = canvas->At(x, m.top + h / 2);
    const Rgb item1 = canvas->At(x, m.top + h + h / 2);
    EXPECT_TRUE(item0.Near({35, 35, 35}, 2)) << "no highlight in item 0: " << item0;
    EXPECT_GE(item1.r - item1.b, 30) << "gold gradient in item 1: " << item1;
    // The gradient fades downwards: 100 alpha at the top, 50 at the bottom.
    const Rgb upper = canvas->At(x, m.top + h + SX(4) + 2);
    const Rgb lower = canvas->At(x, m.top + 2 * h - SX(4) - 3);
    EXPECT_GT(upper.r - upper.b, lower.r - lower.b);
    // The separator stays visible above the inset highlight.
    const Rgb sep = canvas->At((m.left + m.right) / 2, m.top + h);
    EXPECT_GE(sep.r, 40) << sep;
    EXPECT_LE(sep.r - sep.b, 10) << "separator is grey, not gold: " << sep;
    // Item texts: white when hovered, grey otherwise.
    RECT text0 = UserMenuRowAt(m, 0, Scale()).text;
    RECT text1 = UserMenuRowAt(m, 1, Scale()).text;
    InflateRect(&text0, 0, -1);
    InflateRect(&text1, 0, -1);
    EXPECT_GE(canvas->MaxIn(text1), 250);
    EXPECT_GE(canvas->MaxIn(text0), 180);
    EXPECT_LE(canvas->MaxIn(text0), 205);
    // Shadow to the lower right, outside the body.
    const Rgb shade = canvas->At(m.right + 3, m.bottom + 3);
    const Rgb plain = without.At(m.right + 3, m.bottom + 3);
    EXPECT_LT(shade.r + shade.g + shade.b, plain.r + plain.g + plain.b);

    wnd->m_nHoverMenuItem = -1;
    canvas->Paint(wnd);
    EXPECT_TRUE(canvas->At(x, m.top + h + h / 2).Near({35, 35, 35}, 2)) << "no highlight without hover";
    EXPECT_LE(canvas->MaxIn(text1), 205);
}

}  // namespace
