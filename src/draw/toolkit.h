// Drawing pieces shared by every page: the colour palette, the rounded-rectangle
// figure, the bitmap blit and a scoped font.
#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "draw/gdiplus.h"
#include "draw/paint_cache.h"
#include "layout/geometry.h"
#include "store/records.h"
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

// A rounded figure over rc: filled, then outlined with a 1-pixel pen.
void DrawRoundPanel(Gdiplus::Graphics& g, const RECT& rc, int radius, PaletteColor fill, PaletteColor border);
// A rounded figure over rc, filled only.
void FillRoundRect(Gdiplus::Graphics& g, const RECT& rc, int radius, PaletteColor fill);

// The close mark of the dialogs: two crossing lines through (cx, cy) reaching
// dx and dy from the centre, pen (180,180,180) of width 2 with round caps.
void DrawCloseCross(Gdiplus::Graphics& g, int cx, int cy, int dx, int dy);

// A horizontal line with the given pen.
void DrawHLine(Gdiplus::Graphics& g, const Gdiplus::Pen& pen, const HLine& line);

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

// A page panel (purchase, orders and support pages): filled (25,25,25) and
// outlined 120/(120,120,120). Same pixels as DrawRoundPanel, much faster.
void DrawPagePanel(HDC dc, Gdiplus::Graphics& g, const RECT& rc, int radius);

// The grey "首页" button of the orders and support pages, labelled in the
// DC's current font.
void DrawHomeButton(HDC dc, Gdiplus::Graphics& g, const RECT& rc, int radius);

// Text rules of the orders table, kept free of drawing so they can be checked
// without a window.

// A game name cut to its first 12 UTF-16 units plus "..." when longer.
std::wstring ShortGameName(const std::wstring& name);
// An order status as the table labels it: "待支付", "已完成", "支付失败", "已失效"
// or "已退款".
const wchar_t* OrderStatusLabel(OrderStatus status);
// Index of the first order on a page; a page outside the list shows the first.
int FirstOrderOfPage(int page, int perPage, int orderCount);
// The pager's "第%d/%d页", never fewer than one page.
std::wstring OrderPageInfo(int page, int perPage, int orderCount);

// A cache key naming a client size and the images a layer is drawn from.
std::wstring CacheKey(SIZE size, std::initializer_list<const void*> images);
// Adds a text to a cache key behind a separator no drawn text contains.
void AppendKeyText(std::wstring& key, const std::wstring& text);

// Copies the cached layer into dc at (0, 0), first drawing it anew with draw
// when the cache is empty or its key differs. An empty key names a layer not
// worth keeping; it and a layer that cannot be made are drawn straight into dc.
void PaintThroughCache(HDC dc, PaintCache& cache, SIZE size, const std::wstring& key,
                       const std::function<void(HDC)>& draw);

// Width in pixels of a line of text in the DC's current font.
int TextWidth(HDC dc, const wchar_t* text);

// The 1-pixel anti-aliased outline of the rounded figure over rc, for
// translucent colours. Under Wine's GDI+ such a stroke costs as much as
// blending the figure's whole bounding box, so it is stroked into small copies
// of the DC's pixels along the edges and copied back: the same pixels for a
// fraction of the work.
void DrawRoundOutline(HDC dc, const RECT& rc, int radius, PaletteColor colour);

// The purchase page's countdown "00:MM:SS": the hours stay 00 and the minutes
// are not reduced modulo 60, so 3900 seconds read 00:65:00.
std::wstring CountdownText(int seconds);
