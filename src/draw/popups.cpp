// The centred cards: account login, code redemption, and the coupon popup
// offered to a non-member who tries to leave.
#include <string>

#include "draw/toolkit.h"
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

// Header geometry in layout units from the card's corner (the Latin caption's
// height is in pixels). The close cross sits level with the logo's top.
struct HeaderLook {
    int side, left, top;
    int latinHeight, latinBottom;
    int nameTop, nameBottom, nameSize;
};
constexpr HeaderLook kFormHeader = {35, 30, 25, 12, 16, 15, 35, 16};
constexpr HeaderLook kCouponHeader = {40, 20, 15, 13, 18, 17, 40, 18};

struct Card {
    int x, y, w, h;
    RECT Rect() const { return {x, y, x + w, y + h}; }
    // A band across the whole card between two offsets from its top.
    RECT Row(int top, int bottom) const { return {x, y + top, x + w, y + bottom}; }
};

// A card of w x h pixels centred in the client area (integer halves).
Card CentredCard(HWND wnd, int w, int h) {
    RECT client = {};
    GetClientRect(wnd, &client);
    return {(client.right - w) / 2, (client.bottom - h) / 2, w, h};
}

// A rect of w x h pixels centred across the card, top pixels below its top.
RECT CentredIn(const Card& card, int top, int w, int h) {
    const int left = card.x + (card.w - w) / 2;
    return {left, card.y + top, left + w, card.y + top + h};
}

// A rounded button: fill, 1-pixel outline, then its label in the DC's font.
void DrawButton(Gdiplus::Graphics& g, HDC dc, const RECT& rc, int radius, PaletteColor fill, PaletteColor outline,
                const wchar_t* label, PaletteColor ink) {
    DrawRoundPanel(g, rc, radius, fill, outline);
    DrawLabel(dc, label, rc, ink, kTextCentre);
}

// An input box: a gold 2-pixel outline while it has the focus, else a grey
// 1-pixel one; its text, or the grey placeholder when there is none, inset by
// pad on both sides in the DC's font.
void DrawInputBox(Gdiplus::Graphics& g, HDC dc, const RECT& rc, int radius, int pad, bool focused,
                  const std::wstring& text, const wchar_t* placeholder) {
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, radius);
    Gdiplus::SolidBrush fill(kBoxFill.Plus());
    Gdiplus::Pen outline(focused ? palette::kGoldFill.Plus() : kBoxOutline.Plus(), focused ? 2.0f : 1.0f);
    g.FillPath(&fill, &path);
    g.DrawPath(&outline, &path);
    const RECT rcText = {rc.left + pad, rc.top, rc.right - pad, rc.bottom};
    if (text.empty()) {
        DrawLabel(dc, placeholder, rcText, palette::kTextDark, kTextLeft);
    } else {
        DrawLabel(dc, text.c_str(), rcText, palette::kTextLight, kTextLeft);
    }
}

// The logo with "ORVANE" and "奥凡" beside it, shown only with a logo, and
// the close cross, always shown.
void DrawCardHeader(CMainWnd& wnd, HDC dc, Gdiplus::Graphics& g, const Card& card, const HeaderLook& look) {
    const int s = wnd.ScaleX(look.side);
    const int lx = card.x + wnd.ScaleX(look.left);
    const int ly = card.y + wnd.ScaleY(look.top);
    if (wnd.m_hbmpLogo) {
        BlitBitmap(dc, wnd.m_hbmpLogo, lx, ly, s, s);
        const int textLeft = lx + s + wnd.ScaleX(8);
        const int textRight = lx + wnd.ScaleX(180);
        {
            ScopedFont latin(dc, CreateFontW(look.latinHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Arial"));
            const RECT rcOrvane = {textLeft, ly, textRight, ly + wnd.ScaleY(look.latinBottom)};
            DrawLabel(dc, L"ORVANE", rcOrvane, palette::kTextDark, kTextLeft);
        }
        ScopedFont name(dc, wnd.CreateUIFont(look.nameSize, 700));
        const RECT rcChinese = {textLeft, ly + wnd.ScaleY(look.nameTop), textRight, ly + wnd.ScaleY(look.nameBottom)};
        DrawLabel(dc, L"奥凡", rcChinese, palette::kTextWhite, kTextLeft);
    }
    DrawCloseCross(g, card.x + card.w - wnd.ScaleX(30), ly, wnd.ScaleX(8), wnd.ScaleY(8));
}

}  // namespace

void CMainWnd::DrawLoginPage(HDC dc) {
    const Card card = CentredCard(m_hWnd, ScaleX(500), ScaleY(380));
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawRoundPanel(g, card.Rect(), ScaleX(12), palette::kCardFill, kCardOutline);

    const GdiObject<HFONT> titleFont(CreateUIFont(28, 400));
    const GdiObject<HFONT> boxFont(CreateUIFont(20, 400));
    const GdiObject<HFONT> buttonFont(CreateUIFont(22, 700));
    const GdiObject<HFONT> errorFont(CreateUIFont(18, 400));
    SetBkMode(dc, TRANSPARENT);
    DrawCardHeader(*this, dc, g, card, kFormHeader);
    const ScopedSelect keepFont(dc, titleFont.get());
    DrawLabel(dc, L"匿名登录", card.Row(ScaleY(80), ScaleY(110)), palette::kTextWhite, kTextCentre);

    SelectObject(dc, boxFont.get());
    const RECT rcPhone = CentredIn(card, ScaleY(130), ScaleX(340), ScaleY(45));
    DrawInputBox(g, dc, rcPhone, ScaleX(6), ScaleX(15), m_nFocusField == 1, m_strAccount, L"请输入账号");
    const RECT rcPass = CentredIn(card, ScaleY(130) + ScaleY(60), ScaleX(340), ScaleY(45));
    DrawInputBox(g, dc, rcPass, ScaleX(6), ScaleX(15), m_nFocusField == 2, std::wstring(m_strPassword.size(), L'*'),
                 L"请输入密码");

    SelectObject(dc, buttonFont.get());
    const RECT rcBtn = CentredIn(card, ScaleY(280), ScaleX(180), ScaleY(45));
    DrawButton(g, dc, rcBtn, ScaleX(22), palette::kGoldFill, palette::kGoldBorder, L"立即登录", kBlack);

    if (m_bLoginSubmitted) {
        SelectObject(dc, errorFont.get());
        const RECT rcError = {card.x, rcBtn.bottom + ScaleY(10), card.x + card.w, rcBtn.bottom + ScaleY(35)};
        DrawLabel(dc, L"手机号未注册，请先注册！", rcError, palette::kRed, kTextCentre);
    }
}

void CMainWnd::DrawRedeemPage(HDC dc) {
    const Card card = CentredCard(m_hWnd, ScaleX(500), ScaleY(320));
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawRoundPanel(g, card.Rect(), ScaleX(12), palette::kCardFill, kCardOutline);

    const GdiObject<HFONT> titleFont(CreateUIFont(28, 400));
    const GdiObject<HFONT> codeFont(CreateUIFont(20, 400));
    const GdiObject<HFONT> buttonFont(CreateUIFont(22, 700));
    SetBkMode(dc, TRANSPARENT);
    DrawCardHeader(*this, dc, g, card, kFormHeader);
    const ScopedSelect keepFont(dc, titleFont.get());
    DrawLabel(dc, L"输入兑换码:", card.Row(ScaleY(90), ScaleY(120)), palette::kTextWhite, kTextCentre);

    SelectObject(dc, codeFont.get());
    const RECT rcInput = CentredIn(card, ScaleY(140), ScaleX(340), ScaleY(45));
    DrawInputBox(g, dc, rcInput, ScaleX(6), ScaleX(15), m_nFocusField == 1, m_strRedeemCode, L"请输入兑换码");

    SelectObject(dc, buttonFont.get());
    const RECT rcBtn = CentredIn(card, ScaleY(230), ScaleX(180), ScaleY(45));
    DrawButton(g, dc, rcBtn, ScaleX(22), palette::kGoldFill, palette::kGoldBorder, L"立即兑换", kBlack);

    // Between the box and the button, drawn last.
    if (m_bRedeemSubmitted) {
        SelectObject(dc, codeFont.get());
        const RECT rcError = {card.x, rcInput.bottom + ScaleY(10), card.x + card.w, rcInput.bottom + ScaleY(35)};
        DrawLabel(dc, L"兑换失败", rcError, palette::kRed, kTextCentre);
    }
}

void CMainWnd::DrawCouponPopup(HDC dc) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    // Opaque: the page beneath is hidden, not dimmed.
    Gdiplus::SolidBrush overlay(kCouponOverlay.Plus());
    g.FillRectangle(&overlay, 0, 0, client.right, client.bottom);

    const Card card = CentredCard(m_hWnd, ScaleX(500), ScaleY(320));
    FillRoundRect(g, card.Rect(), ScaleX(12), kCouponCardFill);
    DrawRoundOutline(dc, card.Rect(), ScaleX(12), kCouponCardOutline);

    const GdiObject<HFONT> titleFont(CreateUIFont(32, 700));
    const GdiObject<HFONT> lineFont(CreateUIFont(24, 400));
    const GdiObject<HFONT> buttonFont(CreateUIFont(22, 400));
    SetBkMode(dc, TRANSPARENT);
    DrawCardHeader(*this, dc, g, card, kCouponHeader);
    const ScopedSelect keepFont(dc, titleFont.get());
    DrawLabel(dc, m_coupon.title.c_str(), card.Row(ScaleY(70), ScaleY(110)), palette::kTextWhite, kTextCentre);

    // The offer line: three pieces in two colours, centred as one.
    SelectObject(dc, lineFont.get());
    struct Piece {
        const wchar_t* text;
        PaletteColor ink;
        int width;
    };
    Piece pieces[] = {{L"系统已为您发放", palette::kTextLight, 0},
                      {m_coupon.coupon_text.c_str(), palette::kGold, 0},
                      {L"，", palette::kTextLight, 0}};
    int total = 0;
    for (Piece& piece : pieces) {
        piece.width = TextWidth(dc, piece.text);
        total += piece.width;
    }
    int left = card.x + (card.w - total) / 2;
    const int top = card.y + ScaleY(130);
    for (const Piece& piece : pieces) {
        const RECT rc = {left, top, left + piece.width, top + ScaleY(35)};
        DrawLabel(dc, piece.text, rc, piece.ink, kTextLeft);
        left += piece.width;
    }
    DrawLabel(dc, m_coupon.question.c_str(), card.Row(ScaleY(175), ScaleY(210)), palette::kTextGrey, kTextCentre);

    SelectObject(dc, buttonFont.get());
    const int buttonTop = card.y + card.h - ScaleY(80);
    const int cancelLeft = card.x + card.w / 2 - ScaleX(40) - ScaleX(120);
    const RECT rcCancelBtn = {cancelLeft, buttonTop, cancelLeft + ScaleX(120), buttonTop + ScaleY(40)};
    DrawButton(g, dc, rcCancelBtn, ScaleX(20), kCancelFill, kCancelOutline, m_coupon.cancel_label.c_str(),
               palette::kTextGrey);
    const int confirmLeft = card.x + card.w / 2 + ScaleX(40);
    const RECT rcConfirmBtn = {confirmLeft, buttonTop, confirmLeft + ScaleX(120), buttonTop + ScaleY(40)};
    DrawButton(g, dc, rcConfirmBtn, ScaleX(20), palette::kGoldFill, palette::kGoldBorder,
               m_coupon.confirm_label.c_str(), kBlack);
}
