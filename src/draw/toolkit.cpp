// The drawing toolkit: the UI font factory, rounded rectangles, bitmap blits
// and single-line labels.
#include "draw/toolkit.h"

#include <cwchar>

#include "mainwnd/main_wnd.h"

HFONT CMainWnd::CreateUIFont(int size, int weight, BOOL italic) {
    return CreateFontW(ScaleY(size), 0, 0, 0, weight, italic, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"微软雅黑");
}

void AddRoundRect(Gdiplus::GraphicsPath& path, int x, int y, int w, int h, int r) {
    const int d = 2 * r;
    path.AddArc(x, y, d, d, 180.0f, 90.0f);
    path.AddArc(x + w - d, y, d, d, 270.0f, 90.0f);
    path.AddArc(x + w - d, y + h - d, d, d, 0.0f, 90.0f);
    path.AddArc(x, y + h - d, d, d, 90.0f, 90.0f);
    path.CloseFigure();
}

void DrawRoundPanel(Gdiplus::Graphics& g, const RECT& rc, int radius, PaletteColor fill, PaletteColor border) {
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, radius);
    Gdiplus::SolidBrush brush(fill.Plus());
    Gdiplus::Pen pen(border.Plus(), 1.0f);
    g.FillPath(&brush, &path);
    g.DrawPath(&pen, &path);
}

void FillRoundRect(Gdiplus::Graphics& g, const RECT& rc, int radius, PaletteColor fill) {
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, radius);
    Gdiplus::SolidBrush brush(fill.Plus());
    g.FillPath(&brush, &path);
}

void DrawCloseCross(Gdiplus::Graphics& g, int cx, int cy, int dx, int dy) {
    Gdiplus::Pen pen(palette::kTextMid.Plus(), 2.0f);
    pen.SetStartCap(Gdiplus::LineCapRound);
    pen.SetEndCap(Gdiplus::LineCapRound);
    pen.SetDashCap(Gdiplus::DashCapRound);
    g.DrawLine(&pen, cx - dx, cy - dy, cx + dx, cy + dy);
    g.DrawLine(&pen, cx + dx, cy - dy, cx - dx, cy + dy);
}

void DrawHLine(Gdiplus::Graphics& g, const Gdiplus::Pen& pen, const HLine& line) {
    g.DrawLine(&pen, line.left, line.y, line.right, line.y);
}

void BlitBitmap(HDC dc, HBITMAP bitmap, int x, int y, int w, int h) {
    if (!bitmap) return;
    MemoryDC src(dc);
    ScopedSelect select(src.get(), bitmap);
    BITMAP bm = {};
    GetObjectW(bitmap, sizeof(bm), &bm);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, w, h, src.get(), 0, 0, bm.bmWidth, bm.bmHeight, blend);
}

HBITMAP CreateCanvasBitmap(HDC dc, int w, int h) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

void DrawLabel(HDC dc, const wchar_t* text, RECT rc, PaletteColor colour, UINT flags) {
    SetTextColor(dc, colour.Ref());
    DrawTextW(dc, text, -1, &rc, flags);
}

void DrawPagePanel(HDC dc, Gdiplus::Graphics& g, const RECT& rc, int radius) {
    FillRoundRect(g, rc, radius, palette::kPanelFill);
    DrawRoundOutline(dc, rc, radius, palette::kPanelBorder);
}

void CMainWnd::DrawTitledPagePanel(HDC dc, Gdiplus::Graphics& g, const RECT& panel, const wchar_t* title) {
    DrawPagePanel(dc, g, panel, ScaleX(8));
    SetBkMode(dc, TRANSPARENT);
    ScopedFont font(dc, CreateUIFont(24, 700));
    DrawLabel(dc, title, TitledPanelTitle(panel, Client().scale), palette::kTextWhite, kTextCentre);
}

void DrawHomeButton(HDC dc, Gdiplus::Graphics& g, const RECT& rc, int radius) {
    DrawRoundPanel(g, rc, radius, Opaque(80, 80, 80), Opaque(120, 120, 120));
    DrawLabel(dc, L"首页", rc, palette::kTextGrey, kTextCentre);
}

int TextWidth(HDC dc, const wchar_t* text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
    return size.cx;
}

void DrawRoundOutline(HDC dc, const RECT& rc, int radius, PaletteColor colour) {
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, radius);
    Gdiplus::Pen pen(colour.Plus(), 1.0f);

    // A 1-pixel stroke reaches one pixel either side of its line; m leaves room.
    const int m = 2;
    const int corner = radius + m;
    if (2 * corner >= rc.bottom - rc.top || 2 * corner >= rc.right - rc.left) {
        // Corners that meet leave no straight sides to split at.
        Gdiplus::Graphics g(dc);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        g.DrawPath(&pen, &path);
        return;
    }
    // Bands holding every pixel the stroke reaches, none twice: the top and
    // bottom edges with their corners, then the two sides between them.
    const int sideTop = rc.top + corner;
    const int sideBottom = rc.bottom - corner;
    const RECT bands[] = {
        {rc.left - m, rc.top - m, rc.right + m, sideTop},
        {rc.left - m, sideBottom, rc.right + m, rc.bottom + m},
        {rc.left - m, sideTop, rc.left + m, sideBottom},
        {rc.right - m, sideTop, rc.right + m, sideBottom},
    };
    for (const RECT& band : bands) {
        const int w = band.right - band.left;
        const int h = band.bottom - band.top;
        MemoryDC copy(dc);
        GdiObject<HBITMAP> pixels(CreateCanvasBitmap(dc, w, h));
        if (!copy || !pixels) continue;
        ScopedSelect select(copy.get(), pixels.get());
        BitBlt(copy.get(), 0, 0, w, h, dc, band.left, band.top, SRCCOPY);
        {
            Gdiplus::Graphics g(copy.get());
            g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            g.TranslateTransform(static_cast<Gdiplus::REAL>(-band.left), static_cast<Gdiplus::REAL>(-band.top));
            g.DrawPath(&pen, &path);
        }
        BitBlt(dc, band.left, band.top, w, h, copy.get(), 0, 0, SRCCOPY);
    }
}
