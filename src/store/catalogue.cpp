// The catalogue's CMainWnd members: the built-in offer, fetching games and
// products on the window thread, and the price to pay.
#include "mainwnd/main_wnd.h"
#include "store/catalogue.h"
#include "store/http.h"
#include "util/log.h"

void CMainWnd::InitOfferDefaults() { m_offer = DefaultOffer(); }

void CMainWnd::InitCouponDefaults() { m_coupon = DefaultCoupon(); }

void CMainWnd::FetchGames() {
    std::string reply;
    DWORD status = 0;
    if (!HttpRequest(BuildApiUrl(m_strApiBase, L"games"), L"GET", std::string(), reply, &status)) return;
    WriteLog(L"FetchGames status=" + std::to_wstring(status) + L" resp_len=" + std::to_wstring(reply.size()));
    if (ParseGamesReply(reply, m_aVersions, m_nSelectedVersion)) {
        WriteLog(L"Games parsed count=" + std::to_wstring(m_aVersions.size()));
    }
}

void CMainWnd::FetchProducts() {
    std::string reply;
    if (!HttpRequest(BuildApiUrl(m_strApiBase, L"products"), L"GET", std::string(), reply)) return;
    ParseProductsReply(reply, m_offer, m_coupon, m_dPromoPrice);
}

void CMainWnd::ApplyPriceFields(const std::string& text) {
    ApplyPriceFieldsTo(text, m_offer, m_coupon, m_dPromoPrice);
}

double CMainWnd::CouponPrice() const {
    return ComputeCouponPrice(m_dPromoPrice, m_offer.current_price, m_coupon.discount);
}

std::wstring CMainWnd::FormatPrice() const {
    return FormatPriceText(m_bCouponAccepted ? m_dCouponPrice : m_offer.current_price);
}
