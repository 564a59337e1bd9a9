// The version selector and its drop-down list, shared by the home and
// purchase pages.
#include "draw/toolkit.h"
#include "mainwnd/main_wnd.h"

namespace {
constexpr PaletteColor kSelectorFill = Opaque(64, 64, 64);
constexpr PaletteColor kSelectedRowTint = Translucent(100, 80, 80, 80);
constexpr PaletteColor kRowSeparator = Translucent(40, 150, 150, 150);
}  // namespace

void CMainWnd::DrawVersionCombo(HDC dc, Gdiplus::Graphics& g) {
    const RECT rc = m_rcVersionCombo;
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, ScaleX(6));
    Gdiplus::SolidBrush fill(kSelectorFill.Plus());
    Gdiplus::Pen border(palette::kTextLight.Plus(), 1.0f);
    g.FillPath(&fill, &path);
    g.DrawPath(&border, &path);

    SetBkMode(dc, TRANSPARENT);
    ScopedFont font(dc, CreateUIFont(19, 400));
    const RECT rcText = {rc.left + ScaleX(15), rc.top, rc.right - ScaleX(40), rc.bottom};
    if (m_nSelectedVersion >= 0 && m_nSelectedVersion < static_cast<int>(m_aVersions.size())) {
        DrawLabel(dc, m_aVersions[m_nSelectedVersion].name.c_str(), rcText, palette::kTextLight, kTextLeft);
    }
    const RECT rcArrow = {rc.right - ScaleX(35), rc.top, rc.right - ScaleX(5), rc.bottom};
    DrawLabel(dc, m_bDropListOpen ? L"▲" : L"▼", rcArrow, palette::kTextLight, kTextCentre);
}

void CMainWnd::DrawVersionDropList(HDC dc, Gdiplus::Graphics& g) {
    const int itemH = ScaleY(32);
    const int n = static_cast<int>(m_aVersions.size());
    const int left = m_rcVersionCombo.left;
    const int right = m_rcVersionCombo.right;
    const int top = m_rcVersionCombo.bottom + ScaleY(2);
    const int width = right - left;

    Gdiplus::SolidBrush fill(palette::kCardFill.Plus());
    Gdiplus::Pen border(palette::kMenuBorder.Plus(), 1.0f);
    g.FillRectangle(&fill, left, top, width, n * itemH);
    // An empty list still shows its outline, which is then a single line; not
    // every GDI+ strokes a rectangle of height 0, so that case is a line here.
    if (n > 0) {
        g.DrawRectangle(&border, left, top, width, n * itemH);
    } else {
        g.DrawLine(&border, left, top, right, top);
    }

    SetBkMode(dc, TRANSPARENT);
    ScopedFont font(dc, CreateUIFont(18, 400));
    Gdiplus::SolidBrush tint(kSelectedRowTint.Plus());
    Gdiplus::Pen separator(kRowSeparator.Plus(), 1.0f);
    for (int i = 0; i < n; ++i) {
        const int itemTop = top + i * itemH;
        if (i == m_nSelectedVersion) g.FillRectangle(&tint, left + ScaleX(1), itemTop, width - ScaleX(2), itemH);
        if (i > 0) g.DrawLine(&separator, left + ScaleX(5), itemTop, right - ScaleX(5), itemTop);
        const RECT rcName = {left + ScaleX(5), itemTop, right - ScaleX(5), itemTop + itemH};
        DrawLabel(dc, m_aVersions[i].name.c_str(), rcName, palette::kTextLight, kTextLeft);
    }
}
