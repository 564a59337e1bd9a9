// The purchase page's QR square (the code, or the animated placeholder while
// it is fetched) and the dimmed card that reports the payment's result.
#include <cmath>

#include "draw/toolkit.h"
#include "layout/purchase_layout.h"
#include "mainwnd/main_wnd.h"

namespace {

constexpr PaletteColor kPlaceholderTop = Opaque(250, 250, 252);
constexpr PaletteColor kPlaceholderBottom = Opaque(245, 245, 248);
constexpr PaletteColor kPlaceholderBorder = Opaque(230, 230, 235);
constexpr PaletteColor kQRBorder = Opaque(230, 230, 230);
constexpr PaletteColor kLoadingText = Opaque(100, 100, 110);
constexpr BYTE kSpinnerR = 24, kSpinnerG = 144, kSpinnerB = 255;

struct Ring {
    int divisor;  // radius = side / divisor
    float width;
    BYTE alpha;
    float startPerDegree;  // start angle = spinner angle x this
    float sweep;
};

constexpr Ring kRings[] = {
    {3, 3.0f, 30, 0.5f, 270.0f},
    {4, 4.0f, 50, -0.8f, 200.0f},
    {5, 3.0f, 80, 1.2f, 120.0f},
};

struct ResultTexts {
    const wchar_t* title;
    PaletteColor titleColour;
    const wchar_t* sub;
    const wchar_t* hint;  // null: no hint row
};

constexpr ResultTexts kSuccess = {L"✓ 支付成功", palette::kGreen, L"订单已生成，正在跳转...", nullptr};
constexpr ResultTexts kFailure = {L"✗ 支付失败", palette::kRed, L"支付未完成，请重试", L"订单已保存，可在订单列表查看"};

}  // namespace

void CMainWnd::DrawPayQRCode(HDC dc, int x, int y, int size) {
    const int s = size;
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);

    if (m_hbmpPayQR) {
        Gdiplus::SolidBrush white(palette::kTextWhite.Plus());
        g.FillRectangle(&white, x, y, s, s);
        BlitBitmap(dc, m_hbmpPayQR, x, y, s, s);
        Gdiplus::Pen border(kQRBorder.Plus(), 1.0f);
        g.DrawRectangle(&border, x, y, s - 1, s - 1);
        return;
    }

    Gdiplus::LinearGradientBrush wash(Gdiplus::Point(x, y), Gdiplus::Point(x + s, y + s), kPlaceholderTop.Plus(),
                                      kPlaceholderBottom.Plus());
    g.FillRectangle(&wash, x, y, s, s);
    Gdiplus::Pen border(kPlaceholderBorder.Plus(), 1.0f);
    g.DrawRectangle(&border, x, y, s - 1, s - 1);

    const int cx = x + s / 2;
    const int cy = y + s / 2;
    const float a = static_cast<float>(m_nSpinnerAngle);
    for (const Ring& ring : kRings) {
        const int r = s / ring.divisor;
        Gdiplus::Pen pen(Gdiplus::Color(ring.alpha, kSpinnerR, kSpinnerG, kSpinnerB), ring.width);
        pen.SetLineCap(Gdiplus::LineCapRound, Gdiplus::LineCapRound, Gdiplus::DashCapRound);
        g.DrawArc(&pen, cx - r, cy - r, 2 * r, 2 * r, a * ring.startPerDegree, ring.sweep);
    }

    // The dot breathes with the spinner: 8 pixels, give or take a tenth.
    const float pulse = 1.0f + 0.1f * std::sin(a * 3.14159f / 180.0f);
    const int d = static_cast<int>(8.0f * pulse);
    Gdiplus::SolidBrush dot(Gdiplus::Color(255, kSpinnerR, kSpinnerG, kSpinnerB));
    g.FillEllipse(&dot, cx - d / 2, cy - d / 2, d, d);

    SetBkMode(dc, TRANSPARENT);
    ScopedFont font(dc, CreateUIFont(16, 400));
    DrawLabel(dc, L"正在生成支付码...", QrLoadingText({x, y, x + s, y + s}, Client().scale), kLoadingText, kTextCentre);
}

void CMainWnd::DrawPayStatusOverlay(HDC dc) {
    const ClientArea client = Client();
    const PayResultLayout r = PayResultLayoutFor(client);
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::SolidBrush dim(palette::kDimOverlay.Plus());
    g.FillRectangle(&dim, 0, 0, client.width, client.height);
    DrawRoundPanel(g, r.card, ScaleX(12), palette::kCardFill, palette::kCardBorder);

    const ResultTexts& texts = m_nPayState == PayState::PAY_STATE_SUCCESS ? kSuccess : kFailure;
    SetBkMode(dc, TRANSPARENT);
    {
        ScopedFont title(dc, CreateUIFont(28, 700));
        DrawLabel(dc, texts.title, r.title, texts.titleColour, kTextCentre);
    }
    ScopedFont sub(dc, CreateUIFont(18, 400));
    DrawLabel(dc, texts.sub, r.sub, palette::kTextGrey, kTextCentre);
    if (texts.hint) DrawLabel(dc, texts.hint, r.hint, palette::kTextDim, kTextCentre);
}
