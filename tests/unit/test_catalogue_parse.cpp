// The catalogue and offer: built-in values, the games and products replies,
// the price update rule, the coupon price and the price text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/catalogue.h"

namespace {

std::vector<std::wstring> Names(const std::vector<GameInfo>& versions) {
    std::vector<std::wstring> names;
    for (const GameInfo& g : versions) names.push_back(g.name);
    return names;
}

std::vector<GameInfo> Previous() { return {GameInfo{L"old-1"}, GameInfo{L"old-2"}}; }

// Offer and coupon as the window holds them after construction.
struct OfferState {
    ProductOffer offer = DefaultOffer();
    CouponOffer coupon = DefaultCoupon();
    double promo = 0.0;

    void Products(const std::string& arrayText) {
        ParseProductsReply(R"({"code":0,"msg":"ok","data":[)" + arrayText + "]}", offer, coupon, promo);
    }
};

}  // namespace

TEST(CatalogueDefaults, OfferAndCouponTexts) {
    const ProductOffer offer = DefaultOffer();
    EXPECT_EQ(offer.title, L"奥凡全版本限时特惠");
    EXPECT_EQ(offer.current_price, 39.0);
    EXPECT_EQ(offer.original_price, 99.0);
    EXPECT_EQ(offer.currency, L"¥");
    EXPECT_EQ(offer.unit, L"终身会员");
    EXPECT_EQ(offer.gift_text, L"附加赠送：一次付费送全版本畅玩");
    EXPECT_EQ(offer.benefit_title, L"权益说明：");
    EXPECT_EQ(offer.benefits, (std::vector<std::wstring>{L"终身会员、永久使用、不限安装次数、", L"极速下载、纯净无广告、专属客服"}));
    EXPECT_EQ(offer.notes, (std::vector<std::wstring>{L"支持单机、联机、稳定不黑屏、不闪退", L"不能玩全额退款、可联系客服处理"}));
    EXPECT_EQ(offer.scan_tip, L"请使用支付宝扫码支付");
    EXPECT_EQ(offer.countdown_minutes, 5);

    const CouponOffer coupon = DefaultCoupon();
    EXPECT_EQ(coupon.title, L"恭喜您获得专属福利！");
    EXPECT_EQ(coupon.discount, 20.0);
    EXPECT_EQ(coupon.coupon_text, L"【20.00元优惠券】");
    EXPECT_EQ(coupon.question, L"当前订单可用，是否继续购买？");
    EXPECT_EQ(coupon.cancel_label, L"取消");
    EXPECT_EQ(coupon.confirm_label, L"确定");
}

TEST(CatalogueGames, NamesInReplyOrderAndFirstSelected) {
    std::vector<GameInfo> versions = Previous();
    int selected = 1;
    ASSERT_TRUE(ParseGamesReply(
        "{\"code\":0,\"data\":{\"games\":[\"v1.0\",\"\xE5\x85\xA8\xE7\x89\x88\",\"v3\"]},\"msg\":\"ok\"}", versions,
        selected));
    EXPECT_EQ(Names(versions), (std::vector<std::wstring>{L"v1.0", L"全版", L"v3"}));
    EXPECT_EQ(selected, 0);
}

TEST(CatalogueGames, EmptyArrayEmptiesTheListAndKeepsTheIndex) {
    std::vector<GameInfo> versions = Previous();
    int selected = 1;
    EXPECT_TRUE(ParseGamesReply(R"({"data":{"games":[]}})", versions, selected));
    EXPECT_TRUE(versions.empty());
    EXPECT_EQ(selected, 1);
}

TEST(CatalogueGames, MissingGamesKeyEmptiesTheList) {
    std::vector<GameInfo> versions = Previous();
    int selected = 1;
    EXPECT_FALSE(ParseGamesReply(R"({"data":{"other":["x"]}})", versions, selected));
    EXPECT_TRUE(versions.empty());
    EXPECT_EQ(selected, 1);
}

TEST(CatalogueGames, NoDataObjectOrUnclosedArrayKeepsThePreviousList) {
    const char* replies[] = {
        "",
        R"({"code":404,"msg":"not found","data":null})",
        R"(<html>bad gateway</html>)",
        R"({"data":{"games":["v1","v2")",
        R"({"data":{"games":["v1","v2)",
    };
    for (const char* reply : replies) {
        std::vector<GameInfo> versions = Previous();
        int selected = 1;
        EXPECT_FALSE(ParseGamesReply(reply, versions, selected)) << reply;
        EXPECT_EQ(Names(versions), Names(Previous())) << reply;
        EXPECT_EQ(selected, 1);
    }
}

TEST(CatalogueGames, BracketsQuotesAndEscapesInsideNamesSurvive) {
    std::vector<GameInfo> versions;
    int selected = 3;
    ASSERT_TRUE(ParseGamesReply(R"({"data":{"games":["a]b","say \"hi\"","c\\d","\u5168[x]"]}})", versions, selected));
    EXPECT_EQ(Names(versions), (std::vector<std::wstring>{L"a]b", L"say \"hi\"", L"c\\d", L"全[x]"}));
    EXPECT_EQ(selected, 0);
}

TEST(CatalogueGames, OnlyTheArraysOwnStringsAreNames) {
    std::vector<GameInfo> versions;
    int selected = 0;
    ASSERT_TRUE(ParseGamesReply(R"({"data":{"games":[1,"a",{"k":"v"},["n"],"b",null],"after":["z"]}})", versions,
                                selected));
    EXPECT_EQ(Names(versions), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(CatalogueProducts, PromoBelowCurrentBecomesTheCoupon) {
    OfferState s;
    s.Products(R"({"currency":"$","original_price":120,"current_price":39.0,"promo_price":29.9,"countdown_minutes":10})");
    EXPECT_EQ(s.offer.currency, L"$");
    EXPECT_DOUBLE_EQ(s.offer.original_price, 120.0);
    EXPECT_DOUBLE_EQ(s.offer.current_price, 39.0);
    EXPECT_DOUBLE_EQ(s.promo, 29.9);
    EXPECT_NEAR(s.coupon.discount, 9.1, 1e-9);
    EXPECT_EQ(s.coupon.coupon_text, L"【9.10元优惠券】");
    EXPECT_EQ(s.offer.countdown_minutes, 10);
}

TEST(CatalogueProducts, PromoZeroAbsentOrNotBelowKeepsTheCoupon) {
    const char* products[] = {
        R"({"current_price":39.0,"promo_price":0})",
        R"({"current_price":39.0})",
        R"({"current_price":39.0,"promo_price":39.0})",
        R"({"current_price":39.0,"promo_price":45})",
        R"({"current_price":39.0,"promo_price":null})",
    };
    for (const char* p : products) {
        OfferState s;
        s.Products(p);
        EXPECT_EQ(s.promo, 0.0) << p;
        EXPECT_EQ(s.coupon.discount, 20.0) << p;
        EXPECT_EQ(s.coupon.coupon_text, L"【20.00元优惠券】") << p;
    }
}

TEST(CatalogueProducts, EarlierCouponStaysWhenALaterReplyHasNoPromo) {
    OfferState s;
    s.Products(R"({"current_price":39.0,"promo_price":30})");
    s.Products(R"({"current_price":35.0})");
    EXPECT_DOUBLE_EQ(s.offer.current_price, 35.0);
    EXPECT_DOUBLE_EQ(s.promo, 30.0);
    EXPECT_DOUBLE_EQ(s.coupon.discount, 9.0);
    EXPECT_EQ(s.coupon.coupon_text, L"【9.00元优惠券】");
}

TEST(CatalogueProducts, PromoIsComparedWithTheJustUpdatedCurrentPrice) {
    OfferState s;
    s.Products(R"({"current_price":25,"promo_price":29.9})");
    EXPECT_EQ(s.promo, 0.0);
    EXPECT_EQ(s.coupon.discount, 20.0);
}

TEST(CatalogueProducts, SecondProductSuppliesAMissingPromo) {
    OfferState s;
    s.Products(R"({"name":"a","current_price":49},{"name":"b","current_price":10,"promo_price":19})");
    EXPECT_DOUBLE_EQ(s.offer.current_price, 49.0);
    EXPECT_DOUBLE_EQ(s.promo, 19.0);
    EXPECT_DOUBLE_EQ(s.coupon.discount, 30.0);
    EXPECT_EQ(s.coupon.coupon_text, L"【30.00元优惠券】");
}

TEST(CatalogueProducts, CountdownTruncatedAndBelowOneBecomesFive) {
    struct Case {
        const char* value;
        int minutes;
    };
    const Case cases[] = {{"2.9", 2}, {"0", 5}, {"-3", 5}, {"0.5", 5}, {"1", 1}, {"99999999999", 5}};
    for (const Case& c : cases) {
        OfferState s;
        s.offer.countdown_minutes = 7;
        s.Products(std::string(R"({"countdown_minutes":)") + c.value + "}");
        EXPECT_EQ(s.offer.countdown_minutes, c.minutes) << c.value;
    }
    OfferState s;
    s.offer.countdown_minutes = 7;
    s.Products(R"({"current_price":39})");
    EXPECT_EQ(s.offer.countdown_minutes, 7);
}

TEST(CatalogueProducts, ReplyWithoutACompleteDataArrayChangesNothing) {
    const char* replies[] = {
        "",
        R"({"code":500,"data":null})",
        R"({"data":[{"current_price":1,"promo_price":0.5,"countdown_minutes":0})",
        R"({"data":{"current_price":1}})",
    };
    for (const char* reply : replies) {
        ProductOffer offer = DefaultOffer();
        offer.countdown_minutes = 0;
        CouponOffer coupon = DefaultCoupon();
        double promo = 0.0;
        ParseProductsReply(reply, offer, coupon, promo);
        EXPECT_EQ(offer.current_price, 39.0) << reply;
        EXPECT_EQ(offer.countdown_minutes, 0) << reply;
        EXPECT_EQ(coupon.coupon_text, L"【20.00元优惠券】") << reply;
        EXPECT_EQ(promo, 0.0) << reply;
    }
}

TEST(CatalogueProducts, PricesAsQuotedStringsAndCurrencyInUtf8) {
    OfferState s;
    s.Products("{\"currency\":\"\xE5\x85\x83\",\"current_price\":\"19.90\",\"original_price\":\"59\"}");
    EXPECT_EQ(s.offer.currency, L"元");
    EXPECT_DOUBLE_EQ(s.offer.current_price, 19.9);
    EXPECT_DOUBLE_EQ(s.offer.original_price, 59.0);
}

TEST(CataloguePrices, CouponTextFormatAndLimit) {
    EXPECT_EQ(CouponText(9.1), L"【9.10元优惠券】");
    EXPECT_EQ(CouponText(0.005), L"【0.01元优惠券】");
    const std::wstring huge = CouponText(1e300);
    EXPECT_EQ(huge.size(), 63u);
    EXPECT_EQ(huge.substr(0, 2), L"【1");
}

TEST(CataloguePrices, CouponPriceRule) {
    EXPECT_DOUBLE_EQ(ComputeCouponPrice(29.9, 39.0, 9.1), 29.9);
    EXPECT_DOUBLE_EQ(ComputeCouponPrice(0.0, 39.0, 20.0), 19.0);
    EXPECT_DOUBLE_EQ(ComputeCouponPrice(39.0, 39.0, 20.0), 19.0);
    EXPECT_DOUBLE_EQ(ComputeCouponPrice(45.0, 39.0, 5.0), 34.0);
    EXPECT_DOUBLE_EQ(ComputeCouponPrice(0.0, 15.0, 20.0), 0.0);
    EXPECT_DOUBLE_EQ(ComputeCouponPrice(-1.0, 39.0, 20.0), 19.0);
}

TEST(CataloguePrices, PriceTextHasTwoDecimals) {
    EXPECT_EQ(FormatPriceText(39.0), L"39.00");
    EXPECT_EQ(FormatPriceText(29.9), L"29.90");
    EXPECT_EQ(FormatPriceText(0.0), L"0.00");
    EXPECT_EQ(FormatPriceText(19.999), L"20.00");
}
