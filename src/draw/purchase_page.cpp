// The purchase page: the offer panel with the version selector, prices,
// benefits and notes on the left, the countdown and the QR area on the right,
// and the home button. The panel is drawn once into a cached layer; only the
// countdown, the QR square, the result card, the home button and the open
// list are drawn on every repaint.
#include <cwchar>
#include <string>

#include "draw/toolkit.h"
#include "mainwnd/hit_geometry.h"
#include "mainwnd/main_wnd.h"

namespace {

constexpr PaletteColor kSelectorFill = Opaque(45, 45, 45);
constexpr PaletteColor kSelectorBorder = Opaque(80, 80, 80);
constexpr PaletteColor kGiftFill = Opaque(255, 252, 232);
constexpr PaletteColor kGiftInk = Opaque(77, 45, 0);
constexpr PaletteColor kSeparator = Translucent(100, 150, 150, 150);
constexpr PaletteColor kQRContainerFill = Opaque(35, 35, 35);
constexpr PaletteColor kQRContainerBorder = Opaque(60, 60, 60);
constexpr PaletteColor kHomeButton = Opaque(60, 60, 60);

// The last note ends in this many UTF-16 units of highlighted text.
constexpr size_t kNoteTailUnits = 6;

// Formats into a buffer of the text's fixed capacity: a currency, unit or tip
// too long for it is cut short rather than overflowing. MinGW's swprintf cuts
// like snprintf; the final terminator covers runtimes that stop without one.
template <size_t N, typename... Args>
const wchar_t* Format(wchar_t (&buffer)[N], const wchar_t* format, Args... args) {
    std::swprintf(buffer, N, format, args...);
    buffer[N - 1] = L'\0';
    return buffer;
}

// The page's panel and the corners its columns hang from.
struct PurchaseGeometry {
    RECT panel;
    int x0, y0;  // right column head
    int xL, yL;  // left column
    int qx, qy;  // QR container
    int qrX, qrY, qrSide;
    RECT version;
};

PurchaseGeometry Geometry(const CMainWnd& w) {
    RECT client = {};
    GetClientRect(w.m_hWnd, &client);
    PurchaseGeometry p;
    p.panel = CentredPanel(client.right, client.bottom, w.ScaleX(760), w.ScaleY(420));
    const int px = p.panel.left;
    const int py = p.panel.top;
    p.x0 = px + w.ScaleX(420);
    p.y0 = py + w.ScaleY(30);
    p.xL = px + w.ScaleX(40);
    p.yL = py + w.ScaleY(30);
    p.qx = px + w.ScaleX(420);
    p.qy = py + w.ScaleY(120);
    const RECT square = PurchaseQrSquare(client.right, client.bottom, LayoutScale{w.m_fScaleX, w.m_fScaleY});
    p.qrSide = square.right - square.left;
    p.qrX = square.left;
    p.qrY = square.top;
    p.version = {p.xL, p.yL + w.ScaleY(30), p.xL + w.ScaleX(240), p.yL + w.ScaleY(70)};
    return p;
}

}  // namespace

std::wstring CountdownText(int seconds) {
    wchar_t text[32];
    return Format(text, L"%02d:%02d:%02d", 0, seconds / 60, seconds % 60);
}

std::wstring CMainWnd::PurchaseLayerKey() const {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    std::wstring key = CacheKey({client.right, client.bottom}, {m_hbmpBackground, m_hbmpLogo, m_hbmpPayIcon});
    wchar_t prices[80];
    std::swprintf(prices, 80, L"|%.17g|%.17g|", m_bCouponAccepted ? m_dCouponPrice : m_offer.current_price,
                  m_offer.original_price);
    key += prices;
    const bool validVersion = m_nSelectedVersion >= 0 && m_nSelectedVersion < static_cast<int>(m_aVersions.size());
    key += validVersion ? L"v" + m_aVersions[m_nSelectedVersion].name : L"-";
    key += m_nPayState == PAY_STATE_NONE ? L"|tip" : L"|card";
    for (const std::wstring* text : {&m_offer.title, &m_offer.currency, &m_offer.unit, &m_offer.gift_text,
                                     &m_offer.benefit_title, &m_offer.scan_tip}) {
        AppendKeyText(key, *text);
    }
    for (size_t i = 0; i < 2; ++i) {
        key += L"\x1E" + (i < m_offer.benefits.size() ? m_offer.benefits[i] : L"\x1D");
        key += L"\x1E" + (i < m_offer.notes.size() ? m_offer.notes[i] : L"\x1D");
    }
    return key;
}

void CMainWnd::DrawPurchasePage(HDC dc) {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    PaintThroughCache(dc, m_purchaseLayerCache, {client.right, client.bottom}, PurchaseLayerKey(), [this](HDC layer) {
        DrawBackground(layer);
        DrawTitleBar(layer);
        DrawPurchasePanel(layer);
    });
    DrawPurchaseLive(dc);
}

void CMainWnd::DrawPurchasePanel(HDC dc) {
    const PurchaseGeometry p = Geometry(*this);
    const int xL = p.xL;
    const int yL = p.yL;

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    DrawPagePanel(dc, g, p.panel, ScaleX(8));

    const double price = m_bCouponAccepted ? m_dCouponPrice : m_offer.current_price;
    const wchar_t* currency = m_offer.currency.c_str();

    // Every font but the original price's lives for the whole panel; the DC's
    // own font goes back before they are deleted.
    const GdiObject<HFONT> font20(CreateUIFont(20, 400));
    const GdiObject<HFONT> titleFont(CreateUIFont(28, 400));
    const GdiObject<HFONT> priceFont(CreateUIFont(56, 400));
    const GdiObject<HFONT> giftFont(CreateUIFont(17, 400));
    const GdiObject<HFONT> font18(CreateUIFont(18, 400));
    const GdiObject<HFONT> numberFont(CreateUIFont(30, 400));
    const ScopedSelect keepFont(dc, titleFont.get());
    SetBkMode(dc, TRANSPARENT);

    // Right column head: the title and the countdown's label.
    const RECT rcTitle = {p.x0, p.y0, p.x0 + ScaleX(245), p.y0 + ScaleY(30)};
    DrawLabel(dc, m_offer.title.c_str(), rcTitle, palette::kTextWhite, kTextCentre);
    SelectObject(dc, font20.get());
    const RECT rcCountdownLabel = {p.x0 + ScaleX(20), p.y0 + ScaleY(50), p.x0 + ScaleX(180), p.y0 + ScaleY(75)};
    DrawLabel(dc, L"活动时间仅剩:", rcCountdownLabel, palette::kTextLight, kTextLeft);

    // Left column: the version selector.
    const RECT rcLabel = {xL, yL, xL + ScaleX(80), yL + ScaleY(25)};
    DrawLabel(dc, L"当前版本:", rcLabel, palette::kTextLight, kTextLeft);
    const RECT& rcVersion = p.version;
    DrawRoundPanel(g, rcVersion, ScaleX(5), kSelectorFill, kSelectorBorder);
    if (m_nSelectedVersion >= 0 && m_nSelectedVersion < static_cast<int>(m_aVersions.size())) {
        const RECT rcVersionText = {rcVersion.left + ScaleX(18), rcVersion.top, rcVersion.right - ScaleX(40),
                                    rcVersion.bottom};
        DrawLabel(dc, m_aVersions[m_nSelectedVersion].name.c_str(), rcVersionText, palette::kTextLight, kTextLeft);
    }
    const RECT rcArrow = {rcVersion.right - ScaleX(35), rcVersion.top, rcVersion.right - ScaleX(5), rcVersion.bottom};
    DrawLabel(dc, L"▼", rcArrow, palette::kTextDim, kTextCentre);

    // Price row: the price to pay, then the list price struck through.
    const int yP = yL + ScaleY(85);
    const RECT rcPriceLabel = {xL, yP, xL + ScaleX(75), yP + ScaleY(30)};
    DrawLabel(dc, L"限时特惠:", rcPriceLabel, palette::kTextLight, kTextLeft);
    SelectObject(dc, priceFont.get());
    wchar_t currentPrice[32];
    const RECT rcPrice = {xL + ScaleX(65), yP - ScaleY(5), xL + ScaleX(235), yP + ScaleY(35)};
    DrawLabel(dc, Format(currentPrice, L"%ls%.2f", currency, price), rcPrice, palette::kYellow, kTextLeft);
    {
        ScopedFont originalFont(dc, CreateUIFont(18, 400));
        wchar_t originalPrice[64];
        const RECT rcOriginal = {xL + ScaleX(205), yP + ScaleY(5), xL + ScaleX(345), yP + ScaleY(30)};
        DrawLabel(dc, Format(originalPrice, L"原价 %ls%.2f", currency, m_offer.original_price), rcOriginal,
                  palette::kTextDark, kTextLeft);
        // A fixed length, whatever the width of the text.
        Gdiplus::Pen strikeoutPen(palette::kTextDark.Plus(), 1.0f);
        g.DrawLine(&strikeoutPen, xL + ScaleX(203), yP + ScaleY(18), xL + ScaleX(278), yP + ScaleY(18));
    }

    const RECT rcGiftBtn = {xL, yP + ScaleY(45), xL + ScaleX(205), yP + ScaleY(45) + ScaleY(30)};
    DrawRoundPanel(g, rcGiftBtn, ScaleX(5), kGiftFill, kGiftInk);
    SelectObject(dc, giftFont.get());
    DrawLabel(dc, m_offer.gift_text.c_str(), rcGiftBtn, kGiftInk, kTextCentre);

    // Benefits: the heading and at most two lines.
    SelectObject(dc, font18.get());
    int yB = rcGiftBtn.top + ScaleY(50);
    const RECT rcBenefitTitle = {xL, yB, xL + ScaleX(100), yB + ScaleY(25)};
    DrawLabel(dc, m_offer.benefit_title.c_str(), rcBenefitTitle, palette::kPaleGold, kTextLeft);
    for (int i = 0; i < 2 && i < static_cast<int>(m_offer.benefits.size()); ++i) {
        const RECT rcLine = {xL, yB + ScaleY(22 * i + 25), xL + ScaleX(340), yB + ScaleY(22 * i + 47)};
        DrawLabel(dc, m_offer.benefits[i].c_str(), rcLine, palette::kPaleGold, kTextLeft);
    }
    yB += ScaleY(75);
    Gdiplus::Pen separator(kSeparator.Plus(), 1.0f);
    g.DrawLine(&separator, xL, yB, xL + ScaleX(240), yB);
    yB += ScaleY(10);

    // Notes: at most two; the last one ends in a highlighted tail.
    const int notes = m_offer.notes.size() < 2 ? static_cast<int>(m_offer.notes.size()) : 2;
    for (int i = 0; i < notes; ++i) {
        const std::wstring& note = m_offer.notes[i];
        RECT rcNote = {xL, yB + ScaleY(22 * i), xL + ScaleX(340), yB + ScaleY(22 * i + 22)};
        if (i < notes - 1 || note.size() <= kNoteTailUnits) {
            DrawLabel(dc, note.c_str(), rcNote, palette::kTextLight, kTextLeft);
            continue;
        }
        const std::wstring frontText = note.substr(0, note.size() - kNoteTailUnits);
        const std::wstring tailText = note.substr(note.size() - kNoteTailUnits);
        DrawLabel(dc, frontText.c_str(), rcNote, palette::kTextLight, kTextLeft);
        rcNote.left += TextWidth(dc, frontText.c_str());
        DrawLabel(dc, tailText.c_str(), rcNote, palette::kPaleGold, kTextLeft);
    }

    // QR area: the amount to pay in three pieces on one line, then the code.
    const int qx = p.qx;
    const int qy = p.qy;
    const RECT rcQRContainer = {qx, qy, qx + ScaleX(250), qy + ScaleY(250)};
    DrawRoundPanel(g, rcQRContainer, ScaleX(5), kQRContainerFill, kQRContainerBorder);

    const RECT rcQRTitle = {qx + ScaleX(50), qy + ScaleY(10), qx + ScaleX(280), qy + ScaleY(35)};
    wchar_t pricePrefix[32];
    wchar_t priceNumber[16];
    wchar_t priceSuffix[32];
    SelectObject(dc, font20.get());
    Format(pricePrefix, L"仅需 %ls", currency);
    DrawLabel(dc, pricePrefix, rcQRTitle, palette::kTextLight, kTextLeft);
    const int prefixWidth = TextWidth(dc, pricePrefix);
    SelectObject(dc, numberFont.get());
    Format(priceNumber, L"%.2f", price);
    RECT rcPriceNumber = rcQRTitle;
    rcPriceNumber.left += prefixWidth;
    DrawLabel(dc, priceNumber, rcPriceNumber, palette::kGold, kTextLeft);
    const int numberWidth = TextWidth(dc, priceNumber);
    SelectObject(dc, font20.get());
    RECT rcPriceSuffix = rcQRTitle;
    rcPriceSuffix.left += prefixWidth + numberWidth;
    DrawLabel(dc, Format(priceSuffix, L" /%ls", m_offer.unit.c_str()), rcPriceSuffix, palette::kTextLight, kTextLeft);

    // The hint under the QR square, while no result card covers it.
    if (m_nPayState == PAY_STATE_NONE) {
        SelectObject(dc, font18.get());
        const int tipTop = p.qrY + p.qrSide + ScaleY(10);
        const int tipBottom = p.qrY + p.qrSide + ScaleY(35);
        if (m_hbmpPayIcon) {
            const int icon = ScaleX(18);
            const int iconX = qx + ScaleX(55);
            BlitBitmap(dc, m_hbmpPayIcon, iconX, p.qrY + p.qrSide + ScaleY(13), icon, icon);
            const RECT rcScanTip = {iconX + icon + ScaleX(5), tipTop, qx + ScaleX(280), tipBottom};
            DrawLabel(dc, m_offer.scan_tip.c_str(), rcScanTip, palette::kGreen, kTextLeft);
        } else {
            wchar_t scanText[64];
            const RECT rcScanTip = {qx, tipTop, qx + ScaleX(280), tipBottom};
            DrawLabel(dc, Format(scanText, L"✓ %ls", m_offer.scan_tip.c_str()), rcScanTip, palette::kGreen,
                      kTextCentre);
        }
    }
}

void CMainWnd::DrawPurchaseLive(HDC dc) {
    const PurchaseGeometry p = Geometry(*this);
    // The drop list and the click test use this page's selector while it is shown.
    m_rcVersionCombo = p.version;

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    SetBkMode(dc, TRANSPARENT);
    {
        ScopedFont countdownFont(dc, CreateUIFont(35, 400));
        const RECT rcCountdown = {p.x0 + ScaleX(120), p.y0 + ScaleY(50), p.x0 + ScaleX(290), p.y0 + ScaleY(75)};
        DrawLabel(dc, CountdownText(m_nCountdownSeconds).c_str(), rcCountdown, palette::kCountdownRed, kTextLeft);
    }

    Gdiplus::SolidBrush white(palette::kTextWhite.Plus());
    g.FillRectangle(&white, p.qrX, p.qrY, p.qrSide, p.qrSide);
    DrawPayQRCode(dc, p.qrX, p.qrY, p.qrSide);
    if (m_nPayState != PAY_STATE_NONE) DrawPayStatusOverlay(dc);

    // The label takes the font last used above it: the scan hint's, or the
    // amount's when a result card replaced the hint.
    const RECT rcHomeBtn = {ScaleX(20), ScaleY(60), ScaleX(80), ScaleY(90)};
    FillRoundRect(g, rcHomeBtn, ScaleX(5), kHomeButton);
    ScopedFont homeFont(dc, CreateUIFont(m_nPayState == PAY_STATE_NONE ? 18 : 20, 400));
    DrawLabel(dc, L"首页", rcHomeBtn, palette::kTextLight, kTextCentre);

    if (m_bDropListOpen) DrawVersionDropList(dc, g);
}
