// The drawing toolkit: the UI font factory, rounded rectangles, bitmap blits
// and single-line labels.
#include "draw/toolkit.h"

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
