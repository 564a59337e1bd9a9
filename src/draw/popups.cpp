// The centred cards: account login, code redemption, and the coupon popup
// offered to a non-member who tries to leave.
#include <string>

#include "draw/toolkit.h"
#include "layout/card_layout.h"
#include "mainwnd/main_wnd.h"

namespace {

constexpr PaletteColor kCardOutline = Opaque(80, 80, 80);
constexpr PaletteColor kCouponOverlay = Opaque(0, 0, 0);
constexpr PaletteColor kCouponCardFill = Opaque(35, 35, 35);
constexpr PaletteColor kCouponCardOutline = Translucent(120, 120, 120, 120);
constexpr PaletteColor kBoxFill = Opaque(60, 60, 60);
constexpr PaletteColor kBoxOutline = Opaque(100, 100, 100);
constexpr PaletteColor kCancelFill = Opaque(80, 80, 80);
constexpr PaletteColor kCancelOutline = Opaque(120, 120, 120);
constexpr PaletteColor kBlack = Opaque(0, 0, 0);

// The Latin caption's font height is in pixels, not scaled.
struct HeaderFonts {
    int latinHeight;
    int nameSize;
};
constexpr HeaderFonts kFormHeaderFonts = {12, 16};
constexpr HeaderFonts kCouponHeaderFonts = {13, 18};

// A rounded button: fill, 1-pixel outline, then its label in the DC's font.
void DrawButton(Gdiplus::Graphics& g, HDC dc, const RECT& rc, int radius, PaletteColor fill, PaletteColor outline,
                const wchar_t* label, PaletteColor ink) {
    DrawRoundPanel(g, rc, radius, fill, outline);
    DrawLabel(dc, label, rc, ink, kTextCentre);
}

// An input box: a gold 2-pixel outline while it has the focus, else a grey
// 1-pixel one; its text, or the grey placeholder when there is none, in
// rcText in the DC's font.
void DrawInputBox(Gdiplus::Graphics& g, HDC dc, const RECT& rc, const RECT& rcText, int radius, bool focused,
                  const std::wstring& text, const wchar_t* placeholder) {
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, Width(rc), Height(rc), radius);
    Gdiplus::SolidBrush fill(kBoxFill.Plus());
    Gdiplus::Pen outline(focused ? palette::kGoldFill.Plus() : kBoxOutline.Plus(), focused ? 2.0f : 1.0f);
    g.FillPath(&fill, &path);
    g.DrawPath(&outline, &path);
    if (text.empty()) {
        DrawLabel(dc, placeholder, rcText, palette::kTextDark, kTextLeft);
    } else {
        DrawLabel(dc, text.c_str(), rcText, palette::kTextLight, kTextLeft);
    }
}

// The logo with "ORVANE" and "奥凡" beside it, shown only with a logo, and
// the close cross, always shown.
void DrawCardHeader(CMainWnd& wnd, HDC dc, Gdiplus::Graphics& g, const CardHeader& h, const HeaderFonts& fonts) {
    if (wnd.m_hbmpLogo) {
        BlitBitmap(dc, wnd.m_hbmpLogo, h.logo.left, h.logo.top, Width(h.logo), Height(h.logo));
        {
            ScopedFont latin(dc, CreateFontW(fonts.latinHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                             CLEARTYPE_QUALITY, 0, L"Arial"));
            DrawLabel(dc, L"ORVANE", h.latinCaption, palette::kTextDark, kTextLeft);
        }
        ScopedFont name(dc, wnd.CreateUIFont(fonts.nameSize, 700));
        DrawLabel(dc, L"奥凡", h.chineseCaption, palette::kTextWhite, kTextLeft);
    }
    DrawCloseCross(g, h.cross.x, h.cross.y, h.crossReach.x, h.crossReach.y);
}

}  // namespace

void CMainWnd::DrawLoginPage(HDC dc) {
    const LoginLayout l = LoginLayoutFor(Client());
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawRoundPanel(g, l.card, ScaleX(12), palette::kCardFill, kCardOutline);

    const GdiObject<HFONT> titleFont(CreateUIFont(28, 400));
    const GdiObject<HFONT> boxFont(CreateUIFont(20, 400));
    const GdiObject<HFONT> buttonFont(CreateUIFont(22, 700));
    const GdiObject<HFONT> errorFont(CreateUIFont(18, 400));
    SetBkMode(dc, TRANSPARENT);
    DrawCardHeader(*this, dc, g, l.header, kFormHeaderFonts);
    const ScopedSelect keepFont(dc, titleFont.get());
    DrawLabel(dc, L"匿名登录", l.title, palette::kTextWhite, kTextCentre);

    SelectObject(dc, boxFont.get());
    DrawInputBox(g, dc, l.account, l.accountText, ScaleX(6), m_nFocusField == FocusField::First, m_strAccount, L"请输入账号");
    DrawInputBox(g, dc, l.password, l.passwordText, ScaleX(6), m_nFocusField == FocusField::Password,
                 std::wstring(m_strPassword.size(), L'*'), L"请输入密码");

    SelectObject(dc, buttonFont.get());
    DrawButton(g, dc, l.button, ScaleX(22), palette::kGoldFill, palette::kGoldBorder, L"立即登录", kBlack);

    if (m_bLoginSubmitted) {
        SelectObject(dc, errorFont.get());
        DrawLabel(dc, L"手机号未注册，请先注册！", l.error, palette::kRed, kTextCentre);
    }
}

void CMainWnd::DrawRedeemPage(HDC dc) {
    const RedeemLayout r = RedeemLayoutFor(Client());
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawRoundPanel(g, r.card, ScaleX(12), palette::kCardFill, kCardOutline);

    const GdiObject<HFONT> titleFont(CreateUIFont(28, 400));
    const GdiObject<HFONT> codeFont(CreateUIFont(20, 400));
    const GdiObject<HFONT> buttonFont(CreateUIFont(22, 700));
    SetBkMode(dc, TRANSPARENT);
    DrawCardHeader(*this, dc, g, r.header, kFormHeaderFonts);
    const ScopedSelect keepFont(dc, titleFont.get());
    DrawLabel(dc, L"输入兑换码:", r.title, palette::kTextWhite, kTextCentre);

    SelectObject(dc, codeFont.get());
    DrawInputBox(g, dc, r.input, r.inputText, ScaleX(6), m_nFocusField == FocusField::First, m_strRedeemCode, L"请输入兑换码");

    SelectObject(dc, buttonFont.get());
    DrawButton(g, dc, r.button, ScaleX(22), palette::kGoldFill, palette::kGoldBorder, L"立即兑换", kBlack);

    // Between the box and the button, drawn last.
    if (m_bRedeemSubmitted) {
        SelectObject(dc, codeFont.get());
        DrawLabel(dc, L"兑换失败", r.error, palette::kRed, kTextCentre);
    }
}

void CMainWnd::DrawCouponPopup(HDC dc) {
    const ClientArea client = Client();
    const CouponLayout c = CouponLayoutFor(client);
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    // Opaque: the page beneath is hidden, not dimmed.
    Gdiplus::SolidBrush overlay(kCouponOverlay.Plus());
    g.FillRectangle(&overlay, 0, 0, client.width, client.height);

    FillRoundRect(g, c.card, ScaleX(12), kCouponCardFill);
    DrawRoundOutline(dc, c.card, ScaleX(12), kCouponCardOutline);

    const GdiObject<HFONT> titleFont(CreateUIFont(32, 700));
    const GdiObject<HFONT> lineFont(CreateUIFont(24, 400));
    const GdiObject<HFONT> buttonFont(CreateUIFont(22, 400));
    SetBkMode(dc, TRANSPARENT);
    DrawCardHeader(*this, dc, g, c.header, kCouponHeaderFonts);
    const ScopedSelect keepFont(dc, titleFont.get());
    DrawLabel(dc, m_coupon.title.c_str(), c.title, palette::kTextWhite, kTextCentre);

    // The offer line: three pieces in two colours, centred as one.
    SelectObject(dc, lineFont.get());
    const wchar_t* const texts[] = {L"系统已为您发放", m_coupon.coupon_text.c_str(), L"，"};
    const PaletteColor inks[] = {palette::kTextLight, palette::kGold, palette::kTextLight};
    int widths[3];
    RECT pieces[3];
    for (int i = 0; i < 3; ++i) widths[i] = TextWidth(dc, texts[i]);
    CentrePieces(c.offerLine, widths, 3, pieces);
    for (int i = 0; i < 3; ++i) DrawLabel(dc, texts[i], pieces[i], inks[i], kTextLeft);
    DrawLabel(dc, m_coupon.question.c_str(), c.question, palette::kTextGrey, kTextCentre);

    SelectObject(dc, buttonFont.get());
    DrawButton(g, dc, c.cancel, ScaleX(20), kCancelFill, kCancelOutline, m_coupon.cancel_label.c_str(),
               palette::kTextGrey);
    DrawButton(g, dc, c.confirm, ScaleX(20), palette::kGoldFill, palette::kGoldBorder, m_coupon.confirm_label.c_str(),
               kBlack);
}
