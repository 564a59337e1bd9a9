// The catalogue's CMainWnd members: the built-in offer, fetching games and
// products on the window thread, and the price to pay.
#include "mainwnd/main_wnd.h"
#include "mainwnd/pumped_call.h"
#include "store/catalogue.h"
#include "store/http.h"
#include "util/log.h"

void CMainWnd::InitOfferDefaults() { m_offer = DefaultOffer(); }

void CMainWnd::InitCouponDefaults() { m_coupon = DefaultCoupon(); }

namespace {

// GET an endpoint of the backend while the window keeps answering.
std::optional<HttpReply> GetEndpoint(CMainWnd& wnd, const wchar_t* path) {
    return PumpedCall<HttpReply>::Run(
        wnd, [path](const ApiTarget& api) { return HttpGet(BuildApiUrl(api.base, path), api.cancel); });
}

}  // namespace

void CMainWnd::FetchGames() {
    const std::optional<HttpReply> reply = GetEndpoint(*this, L"games");
    if (!reply || !reply->ok) return;
    WriteLog(L"FetchGames status=" + std::to_wstring(reply->status) + L" resp_len=" +
             std::to_wstring(reply->body.size()));
    if (ParseGamesReply(reply->body, m_aVersions, m_nSelectedVersion)) {
        WriteLog(L"Games parsed count=" + std::to_wstring(m_aVersions.size()));
    }
}

void CMainWnd::FetchProducts() {
    const std::optional<HttpReply> reply = GetEndpoint(*this, L"products");
    if (!reply || !reply->ok) return;
    ParseProductsReply(reply->body, m_offer, m_coupon, m_dPromoPrice);
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
