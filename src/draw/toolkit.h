// Drawing pieces shared by every page: the colour palette, the rounded-rectangle
// figure, the bitmap blit and a scoped font.
#pragma once
#include <windows.h>

#include "draw/gdiplus.h"
#include "util/handles.h"

// One palette entry; alpha only matters for GDI+ fills and pens, text colours
// are always opaque.
struct PaletteColor {
    BYTE a, r, g, b;
    constexpr COLORREF Ref() const { return RGB(r, g, b); }
    Gdiplus::Color Plus() const { return Gdiplus::Color(a, r, g, b); }
};

constexpr PaletteColor Opaque(BYTE r, BYTE g, BYTE b) { return {255, r, g, b}; }
constexpr PaletteColor Translucent(BYTE a, BYTE r, BYTE g, BYTE b) { return {a, r, g, b}; }

namespace palette {
constexpr PaletteColor kBackgroundTop = Opaque(20, 20, 25);
constexpr PaletteColor kBackgroundBottom = Opaque(35, 35, 40);
constexpr PaletteColor kTitleBar = Opaque(26, 27, 29);
constexpr PaletteColor kPanelFill = Opaque(25, 25, 25);
constexpr PaletteColor kPanelBorder = Translucent(120, 120, 120, 120);
constexpr PaletteColor kHomePanelBorder = Translucent(80, 100, 100, 100);
constexpr PaletteColor kCardFill = Translucent(250, 35, 35, 35);
constexpr PaletteColor kCardBorder = Opaque(100, 100, 100);
constexpr PaletteColor kMenuBorder = Opaque(80, 80, 80);
constexpr PaletteColor kDimOverlay = Translucent(200, 0, 0, 0);
constexpr PaletteColor kGoldFill = Opaque(226, 180, 77);
constexpr PaletteColor kGoldBorder = Opaque(250, 210, 90);

constexpr PaletteColor kTextWhite = Opaque(255, 255, 255);
constexpr PaletteColor kTextLight = Opaque(240, 240, 240);
constexpr PaletteColor kTextGrey = Opaque(200, 200, 200);
constexpr PaletteColor kTextMid = Opaque(180, 180, 180);
constexpr PaletteColor kTextDim = Opaque(150, 150, 150);
constexpr PaletteColor kTextDark = Opaque(120, 120, 120);

constexpr PaletteColor kGold = Opaque(255, 215, 0);
constexpr PaletteColor kYellow = Opaque(255, 229, 86);
constexpr PaletteColor kPaleGold = Opaque(252, 233, 149);
constexpr PaletteColor kGreen = Opaque(120, 200, 120);
constexpr PaletteColor kRed = Opaque(255, 100, 100);
constexpr PaletteColor kLinkBlue = Opaque(100, 180, 255);
constexpr PaletteColor kCountdownRed = Opaque(255, 80, 80);
}  // namespace palette

// Text flags of the single-line labels.
constexpr UINT kTextLeft = DT_SINGLELINE | DT_VCENTER;
constexpr UINT kTextCentre = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
constexpr UINT kTextRight = DT_SINGLELINE | DT_VCENTER | DT_RIGHT;

// Adds one closed rounded rectangle (x, y, w, h) with corner radius r; r = h / 2
// makes a pill.
void AddRoundRect(Gdiplus::GraphicsPath& path, int x, int y, int w, int h, int r);

// AlphaBlends the whole premultiplied 32-bit bitmap into the destination
// rectangle, stretched. A null bitmap draws nothing.
void BlitBitmap(HDC dc, HBITMAP bitmap, int x, int y, int w, int h);

// A black 32-bit top-down DIB section of w x h pixels, or null.
HBITMAP CreateCanvasBitmap(HDC dc, int w, int h);

// Draws one line of text in rc with the given colour and DT_ flags.
void DrawLabel(HDC dc, const wchar_t* text, RECT rc, PaletteColor colour, UINT flags);

// Owns a font and keeps it selected into a DC for one scope; the previous font
// is put back before the font is deleted.
class ScopedFont {
public:
    ScopedFont(HDC dc, HFONT font) : m_font(font), m_select(dc, font) {}
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;

private:
    GdiObject<HFONT> m_font;
    ScopedSelect m_select;
};
