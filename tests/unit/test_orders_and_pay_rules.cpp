// Orders replies and the payment flow's rules: status words and texts, the
// amount text, the intent body and countdown, the status reply, and which
// order amounts match the price to pay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/orders.h"
#include "store/pay_rules.h"
#include "store/pay_workers.h"
#include "store/support.h"

namespace {

std::string Reply(const std::string& data) { return R"({"code":0,"msg":"ok","data":)" + data + "}"; }

}  // namespace

// The same rule as a status check: "success" and "payed" are both paid.
TEST(OrdersReply, StatusWordsMapExactlyAndEverythingElseIsPending) {
    const std::pair<const wchar_t*, OrderStatus> cases[] = {
        {L"success", OrderStatus::Completed}, {L"payed", OrderStatus::Completed},  {L"failed", OrderStatus::Failed},
        {L"expired", OrderStatus::Expired},   {L"refunded", OrderStatus::Refunded}, {L"pending", OrderStatus::Pending},
        {L"SUCCESS", OrderStatus::Pending},   {L"Payed", OrderStatus::Pending},     {L"Expired", OrderStatus::Pending},
        {L"paid", OrderStatus::Pending},      {L"", OrderStatus::Pending},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseOrderStatus(c.first), c.second) << testing::PrintToString(std::wstring(c.first));
    }
}

TEST(OrdersReply, RecordsInReplyOrderWithAmountStatusAndTime) {
    const OrdersFetch fetch = ParseOrdersReply(
        Reply(R"([{"order_no":"A1","status":"success","game_name":"奥凡 经典版","alipay_trade_no":"T9",)"
              R"("pay_amount":39,"created_at":"2026-01-01 10:00:00","updated_at":"2026-01-01 10:05:00",)"
              R"("download_url":"https://dl/x?a=1&b=\"2\""},)"
              R"({"order_no":"B2","pay_amount":"19.9","created_at":"2026-01-02 09:00:00","updated_at":""},)"
              R"({"order_no":"C3","status":"Pending"}])"),
        L"¥");
    ASSERT_EQ(fetch.outcome, OrdersFetch::Outcome::Parsed);
    ASSERT_EQ(fetch.orders.size(), 3u);
    const OrderInfo& a = fetch.orders[0];
    EXPECT_EQ(a.order_no, L"A1");
    EXPECT_EQ(a.alipay_trade_no, L"T9");
    EXPECT_EQ(a.game_name, L"奥凡 经典版");
    EXPECT_EQ(a.amount_text, L"¥39.00");
    EXPECT_EQ(a.status, OrderStatus::Completed);
    EXPECT_EQ(a.download_url, L"https://dl/x?a=1&b=\"2\"");
    EXPECT_EQ(a.time_text, L"2026-01-01 10:05:00") << "updated_at wins over created_at";
    EXPECT_EQ(fetch.orders[1].amount_text, L"¥19.90");
    EXPECT_EQ(fetch.orders[1].status, OrderStatus::Pending) << "a missing status is pending";
    EXPECT_EQ(fetch.orders[1].time_text, L"2026-01-02 09:00:00") << "an empty updated_at falls back";
    EXPECT_EQ(fetch.orders[2].status, OrderStatus::Pending);
    EXPECT_EQ(fetch.orders[2].amount_text, L"¥0.00");
}

TEST(OrdersReply, EmptyArrayMissingArrayAndFailureAreTold) {
    EXPECT_EQ(ParseOrdersReply(Reply("[]"), L"¥").outcome, OrdersFetch::Outcome::Parsed);
    EXPECT_TRUE(ParseOrdersReply(Reply("[]"), L"¥").orders.empty());
    for (const char* reply : {"", "not json", R"({"code":500,"msg":"x","data":null})", R"({"data":{"a":1}})"}) {
        EXPECT_EQ(ParseOrdersReply(reply, L"¥").outcome, OrdersFetch::Outcome::NoArray) << reply;
    }
    // A refused connection is a failure, which keeps the window's list; every
    // request, failed or not, takes the next number.
    RequestSequence sequence;
    const OrdersFetch refused = FetchOrdersList(ApiTarget{L"http://127.0.0.1:1/api/v1"}, L"M", L"¥", sequence);
    EXPECT_EQ(refused.outcome, OrdersFetch::Outcome::Failed);
    EXPECT_EQ(refused.sequence, 1u);
    EXPECT_EQ(FetchOrdersList(ApiTarget{L""}, L"M", L"¥", sequence).sequence, 2u);
}

TEST(OrdersReply, AmountTextIsCutToThirtyOneUnitsNeverInsideAPair) {
    EXPECT_EQ(FormatAmountText(L"CNY", 39.0), L"CNY39.00");
    EXPECT_EQ(FormatAmountText(L"¥", -0.5), L"¥-0.50");
    EXPECT_EQ(FormatAmountText(L"¥", 1e300).size(), kAmountTextChars);
    const std::wstring longCurrency(40, L'$');
    EXPECT_EQ(FormatAmountText(longCurrency, 1.0), std::wstring(31, L'$'));
    // 30 units of text, then a character outside the BMP that would be split.
    const std::wstring pair = L"\U0001F4B0";
    EXPECT_EQ(FormatAmountText(std::wstring(30, L'x') + pair, 1.0), std::wstring(30, L'x'));
}

TEST(PayRules, CountdownFromTheIntentOrTheOffer) {
    struct Case {
        const char* data;
        int minutes;
        int seconds;
    };
    const Case cases[] = {
        {R"({"countdown_seconds":0})", 10, 600},
        {R"({"countdown_seconds":0})", 0, 300},
        {R"({})", 0, 300},
        {R"({"countdown_seconds":-5})", 2, 120},
        {R"({"countdown_seconds":125.9})", 10, 125},
        {R"({"countdown_seconds":"90"})", 10, 90},
        {R"({"countdown_seconds":99999999999})", 10, 86400},
        {R"({})", 2000000000, 86400},
        {R"({})", 1440, 86400},
        {R"({})", 1439, 86340},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountdownSecondsFromIntent(c.data, c.minutes), c.seconds) << c.data << " " << c.minutes;
    }
}

TEST(PayRules, StatusWordsAndTheStatusReply) {
    EXPECT_TRUE(IsPaidStatus(L"success"));
    EXPECT_TRUE(IsPaidStatus(L"payed"));
    EXPECT_TRUE(IsLapsedStatus(L"failed"));
    EXPECT_TRUE(IsLapsedStatus(L"expired"));
    for (const wchar_t* other : {L"Success", L"PAYED", L"paid", L"pending", L"error", L"Failed", L""}) {
        EXPECT_FALSE(IsPaidStatus(other) || IsLapsedStatus(other)) << testing::PrintToString(std::wstring(other));
    }
    EXPECT_EQ(ParsePayStatusReply(Reply(R"({"status":"payed","order_no":"X"})")), "payed");
    for (const char* bad : {"", R"({"code":0,"status":"success"})", R"({"data":{"order_no":"X"}})",
                            R"({"data":{"status":7}})", R"({"data":null})"}) {
        EXPECT_EQ(ParsePayStatusReply(bad), "error") << bad;
    }
}

TEST(PayRules, OnlyAYenAmountMatchesThePriceText) {
    EXPECT_TRUE(AmountMatchesPrice(L"¥39.00", L"39.00"));
    EXPECT_TRUE(AmountMatchesPrice(L"39.00", L"39.00"));
    EXPECT_TRUE(AmountMatchesPrice(L"约¥39.00", L"39.00"));
    EXPECT_FALSE(AmountMatchesPrice(L"CNY39.00", L"39.00"));
    EXPECT_FALSE(AmountMatchesPrice(L"¥39.0", L"39.00"));
    EXPECT_FALSE(AmountMatchesPrice(L"¥19.00", L"39.00"));
}

TEST(PayRules, IntentBodyHasNoBlanksAndEscapesItsStrings) {
    EXPECT_EQ(BuildPayIntentBody(L"USER-1-2", L"奥凡 经典版", L"chan", false),
              "{\"machine_code\":\"USER-1-2\",\"game_name\":\"\xE5\xA5\xA5\xE5\x87\xA1 "
              "\xE7\xBB\x8F\xE5\x85\xB8\xE7\x89\x88\",\"channel_code\":\"chan\",\"apply_discount\":false}");
    EXPECT_EQ(BuildPayIntentBody(L"M", L"a\"b\\c\nd", L"", true),
              "{\"machine_code\":\"M\",\"game_name\":\"a\\\"b\\\\c d\",\"channel_code\":\"\",\"apply_discount\":true}");
}

TEST(SupportAddress, RelativeAddressesTakeTheBaseOriginWithItsPort) {
    struct Case {
        const char* reply;
        const wchar_t* base;
        const wchar_t* url;
    };
    const Case cases[] = {
        {R"({"data":{"qq_image_url":"/static/qq.png"}})", L"https://api.example.com/api/v1",
         L"https://api.example.com:443/static/qq.png"},
        {R"({"data":{"qq_image_url":"/static/qq.png"}})", L"http://api.example.com/api/v1",
         L"http://api.example.com:80/static/qq.png"},
        {R"({"data":{"qq_image_url":"/q.png?v=2"}})", L"http://127.0.0.1:8001/api/v1",
         L"http://127.0.0.1:8001/q.png?v=2"},
        {R"({"qq_image_url":"/bare.png"})", L"http://h:9/api", L"http://h:9/bare.png"},
        {R"({"data":{"qq_image_url":"https://cdn.example.net/kf.png"}})", L"http://h/api",
         L"https://cdn.example.net/kf.png"},
        {R"({"data":{"qq_image_url":""}})", L"http://h/api", L""},
        {R"({"data":{"other":"/x.png"}})", L"http://h/api", L""},
        {R"({"data":{"qq_image_url":"/x.png"}})", L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SupportImageUrl(c.reply, c.base), c.url) << c.reply;
    }
    EXPECT_EQ(GameDownloadPath(L"奥凡 经典版"),
              L"games/download?name=%E5%A5%A5%E5%87%A1%20%E7%BB%8F%E5%85%B8%E7%89%88");
}
