// The purchase page: the offer panel with the version selector, prices,
// benefits and notes on the left, the countdown and the QR area on the right,
// and the home button. The panel is drawn once into a cached layer; only the
// countdown, the QR square, the result card, the home button and the open
// list are drawn on every repaint.
#include <cwchar>
#include <string>

#include "draw/toolkit.h"
#include "layout/purchase_layout.h"
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

}  // namespace

std::wstring CountdownText(int seconds) {
    wchar_t text[32];
    return Format(text, L"%02d:%02d:%02d", 0, seconds / 60, seconds % 60);
}

std::wstring CMainWnd::PurchaseLayerKey() const {
    std::wstring key = BackgroundKey(ClientSize(), m_hbmpLogo, m_hbmpPayIcon);
    if (key.empty()) return key;
    wchar_t prices[80];
    std::swprintf(prices, 80, L"|%.17g|%.17g|", m_bCouponAccepted ? m_dCouponPrice : m_offer.current_price,
                  m_offer.original_price);
    key += prices;
    const bool validVersion = m_nSelectedVersion >= 0 && m_nSelectedVersion < static_cast<int>(m_aVersions.size());
    key += validVersion ? L"v" + m_aVersions[m_nSelectedVersion].name : L"-";
    key += m_nPayState == PayState::PAY_STATE_NONE ? L"|tip" : L"|card";
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
    PaintThroughCache(dc, m_purchaseLayerCache, ClientSize(), PurchaseLayerKey(), [this](HDC layer) {
        DrawBackground(layer);
        DrawTitleBar(layer);
        DrawPurchasePanel(layer);
    });
    DrawPurchaseLive(dc);
}

void CMainWnd::DrawPurchasePanel(HDC dc) {
    const PurchaseLayout p = PurchaseLayoutFor(Client(), static_cast<int>(m_aVersions.size()), m_hbmpPayIcon != nullptr);

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
    DrawLabel(dc, m_offer.title.c_str(), p.title, palette::kTextWhite, kTextCentre);
    SelectObject(dc, font20.get());
    DrawLabel(dc, L"活动时间仅剩:", p.countdownLabel, palette::kTextLight, kTextLeft);

    // Left column: the version selector.
    DrawLabel(dc, L"当前版本:", p.versionLabel, palette::kTextLight, kTextLeft);
    DrawRoundPanel(g, p.selector, ScaleX(5), kSelectorFill, kSelectorBorder);
    if (m_nSelectedVersion >= 0 && m_nSelectedVersion < static_cast<int>(m_aVersions.size())) {
        DrawLabel(dc, m_aVersions[m_nSelectedVersion].name.c_str(), p.selectorText, palette::kTextLight, kTextLeft);
    }
    DrawLabel(dc, L"▼", p.selectorArrow, palette::kTextDim, kTextCentre);

    // Price row: the price to pay, then the list price struck through.
    DrawLabel(dc, L"限时特惠:", p.priceLabel, palette::kTextLight, kTextLeft);
    SelectObject(dc, priceFont.get());
    wchar_t currentPrice[32];
    DrawLabel(dc, Format(currentPrice, L"%ls%.2f", currency, price), p.price, palette::kYellow, kTextLeft);
    {
        ScopedFont originalFont(dc, CreateUIFont(18, 400));
        wchar_t originalPrice[64];
        DrawLabel(dc, Format(originalPrice, L"原价 %ls%.2f", currency, m_offer.original_price), p.originalPrice,
                  palette::kTextDark, kTextLeft);
        Gdiplus::Pen strikeoutPen(palette::kTextDark.Plus(), 1.0f);
        DrawHLine(g, strikeoutPen, p.strikeout);
    }

    DrawRoundPanel(g, p.gift, ScaleX(5), kGiftFill, kGiftInk);
    SelectObject(dc, giftFont.get());
    DrawLabel(dc, m_offer.gift_text.c_str(), p.gift, kGiftInk, kTextCentre);

    // Benefits: the heading and at most two lines.
    SelectObject(dc, font18.get());
    DrawLabel(dc, m_offer.benefit_title.c_str(), p.benefitTitle, palette::kPaleGold, kTextLeft);
    for (int i = 0; i < 2 && i < static_cast<int>(m_offer.benefits.size()); ++i) {
        DrawLabel(dc, m_offer.benefits[i].c_str(), p.benefits[i], palette::kPaleGold, kTextLeft);
    }
    Gdiplus::Pen separator(kSeparator.Plus(), 1.0f);
    DrawHLine(g, separator, p.separator);

    // Notes: at most two; the last one ends in a highlighted tail.
    const int notes = m_offer.notes.size() < 2 ? static_cast<int>(m_offer.notes.size()) : 2;
    for (int i = 0; i < notes; ++i) {
        const std::wstring& note = m_offer.notes[i];
        RECT rcNote = p.notes[i];
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
    DrawRoundPanel(g, p.qrContainer, ScaleX(5), kQRContainerFill, kQRContainerBorder);
    wchar_t pricePrefix[32];
    wchar_t priceNumber[16];
    wchar_t priceSuffix[32];
    SelectObject(dc, font20.get());
    Format(pricePrefix, L"仅需 %ls", currency);
    DrawLabel(dc, pricePrefix, p.qrTitle, palette::kTextLight, kTextLeft);
    const int prefixWidth = TextWidth(dc, pricePrefix);
    SelectObject(dc, numberFont.get());
    Format(priceNumber, L"%.2f", price);
    RECT rcPriceNumber = p.qrTitle;
    rcPriceNumber.left += prefixWidth;
    DrawLabel(dc, priceNumber, rcPriceNumber, palette::kGold, kTextLeft);
    const int numberWidth = TextWidth(dc, priceNumber);
    SelectObject(dc, font20.get());
    RECT rcPriceSuffix = p.qrTitle;
    rcPriceSuffix.left += prefixWidth + numberWidth;
    DrawLabel(dc, Format(priceSuffix, L" /%ls", m_offer.unit.c_str()), rcPriceSuffix, palette::kTextLight, kTextLeft);

    // The hint under the QR square, while no result card covers it.
    if (m_nPayState == PayState::PAY_STATE_NONE) {
        SelectObject(dc, font18.get());
        if (m_hbmpPayIcon) {
            BlitBitmap(dc, m_hbmpPayIcon, p.payIcon.left, p.payIcon.top, Width(p.payIcon), Height(p.payIcon));
            DrawLabel(dc, m_offer.scan_tip.c_str(), p.scanTip, palette::kGreen, kTextLeft);
        } else {
            wchar_t scanText[64];
            DrawLabel(dc, Format(scanText, L"✓ %ls", m_offer.scan_tip.c_str()), p.scanTip, palette::kGreen,
                      kTextCentre);
        }
    }
}

void CMainWnd::DrawPurchaseLive(HDC dc) {
    const PurchaseLayout p = PurchaseLayoutFor(Client(), static_cast<int>(m_aVersions.size()), m_hbmpPayIcon != nullptr);

    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    SetBkMode(dc, TRANSPARENT);
    {
        ScopedFont countdownFont(dc, CreateUIFont(35, 400));
        DrawLabel(dc, CountdownText(m_nCountdownSeconds).c_str(), p.countdown, palette::kCountdownRed, kTextLeft);
    }

    const RECT& square = p.qrSquare;
    Gdiplus::SolidBrush white(palette::kTextWhite.Plus());
    g.FillRectangle(&white, square.left, square.top, Width(square), Height(square));
    DrawPayQRCode(dc, square.left, square.top, Width(square));
    if (m_nPayState != PayState::PAY_STATE_NONE) DrawPayStatusOverlay(dc);

    // The label takes the font last used above it: the scan hint's, or the
    // amount's when a result card replaced the hint.
    FillRoundRect(g, p.homeBtn, ScaleX(5), kHomeButton);
    ScopedFont homeFont(dc, CreateUIFont(m_nPayState == PayState::PAY_STATE_NONE ? 18 : 20, 400));
    DrawLabel(dc, L"首页", p.homeBtn, palette::kTextLight, kTextCentre);

    if (m_bDropListOpen) DrawVersionDropList(dc, g);
}
