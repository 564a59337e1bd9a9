// The version selector and its drop-down list, shared by the home and
// purchase pages.
#include "draw/toolkit.h"
#include "layout/window_layout.h"
#include "mainwnd/main_wnd.h"

namespace {
constexpr PaletteColor kSelectorFill = Opaque(64, 64, 64);
constexpr PaletteColor kSelectedRowTint = Translucent(100, 80, 80, 80);
constexpr PaletteColor kRowSeparator = Translucent(40, 150, 150, 150);
}  // namespace

void CMainWnd::DrawVersionCombo(HDC dc, Gdiplus::Graphics& g) {
    const HomeLayout home = HomeLayoutFor(Client());
    const RECT& rc = home.selector;
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, Width(rc), Height(rc), ScaleX(6));
    Gdiplus::SolidBrush fill(kSelectorFill.Plus());
    Gdiplus::Pen border(palette::kTextLight.Plus(), 1.0f);
    g.FillPath(&fill, &path);
    g.DrawPath(&border, &path);

    SetBkMode(dc, TRANSPARENT);
    ScopedFont font(dc, CreateUIFont(19, 400));
    if (m_nSelectedVersion >= 0 && m_nSelectedVersion < static_cast<int>(m_aVersions.size())) {
        DrawLabel(dc, m_aVersions[m_nSelectedVersion].name.c_str(), home.selectorText, palette::kTextLight, kTextLeft);
    }
    DrawLabel(dc, m_bDropListOpen ? L"▲" : L"▼", home.selectorArrow, palette::kTextLight, kTextCentre);
}

void CMainWnd::DrawVersionDropList(HDC dc, Gdiplus::Graphics& g) {
    const int n = static_cast<int>(m_aVersions.size());
    const DropList d = DropListBelow(VersionSelector(), n, Client().scale);
    const RECT& list = d.list;

    Gdiplus::SolidBrush fill(palette::kCardFill.Plus());
    Gdiplus::Pen border(palette::kMenuBorder.Plus(), 1.0f);
    g.FillRectangle(&fill, list.left, list.top, Width(list), Height(list));
    // An empty list still shows its outline, which is then a single line; not
    // every GDI+ strokes a rectangle of height 0, so that case is a line here.
    if (n > 0) {
        g.DrawRectangle(&border, list.left, list.top, Width(list), Height(list));
    } else {
        DrawHLine(g, border, {list.left, list.right, list.top});
    }

    SetBkMode(dc, TRANSPARENT);
    ScopedFont font(dc, CreateUIFont(18, 400));
    Gdiplus::SolidBrush tint(kSelectedRowTint.Plus());
    Gdiplus::Pen separator(kRowSeparator.Plus(), 1.0f);
    for (int i = 0; i < n; ++i) {
        const RECT name = d.Name(i);
        if (i == m_nSelectedVersion) {
            const RECT t = d.Tint(i);
            g.FillRectangle(&tint, t.left, t.top, Width(t), Height(t));
        }
        if (i > 0) DrawHLine(g, separator, {name.left, name.right, name.top});
        DrawLabel(dc, m_aVersions[i].name.c_str(), name, palette::kTextLight, kTextLeft);
    }
}
