// Key lookup, value kinds, string decoding and byte escaping of the JSON
// helpers.
#include <gtest/gtest.h>

#include <string>

#include "util/encode.h"
#include "util/json.h"

namespace {

const std::string kUntouched = "untouched";

std::string GetString(const std::string& json, const char* key) {
    std::string out = kUntouched;
    return JsonGetString(json, key, out) ? out : "<not found:" + out + ">";
}

}  // namespace

TEST(JsonLookup, AbsentKeyLeavesEveryOutputUntouched) {
    const std::string json = R"({"a":"x","n":5})";
    std::string s = kUntouched;
    double d = 7.5;
    uint32_t u = 42;
    EXPECT_FALSE(JsonGetString(json, "b", s));
    EXPECT_FALSE(JsonGetNumber(json, "b", d));
    EXPECT_FALSE(JsonGetUInt(json, "b", u));
    EXPECT_EQ(s, kUntouched);
    EXPECT_EQ(d, 7.5);
    EXPECT_EQ(u, 42u);
    EXPECT_FALSE(JsonGetString("", "a", s));
    EXPECT_FALSE(JsonGetString(json, nullptr, s));
}

TEST(JsonLookup, KeyMatchIsExactAndCaseSensitive) {
    EXPECT_EQ(GetString(R"({"Token":"A","token":"b"})", "token"), "b");
    EXPECT_EQ(GetString(R"({"tokens":"A","token":"b"})", "token"), "b");
    EXPECT_EQ(GetString(R"({"my_token":"A"})", "token"), "<not found:untouched>");
}

TEST(JsonLookup, FirstOccurrenceInReadingOrderWinsRegardlessOfNesting) {
    const std::string json = R"({"outer":{"status":"inner"},"status":"top"})";
    EXPECT_EQ(GetString(json, "status"), "inner");
}

TEST(JsonLookup, BlanksAroundTheColonAreSkipped) {
    EXPECT_EQ(GetString(R"({ "a" : "x" })", "a"), "x");
    EXPECT_EQ(GetString("{\"a\"\t:\r\n  \"x\"}", "a"), "x");
    double d = 0;
    ASSERT_TRUE(JsonGetNumber("{\"n\" :\n 3.25}", "n", d));
    EXPECT_EQ(d, 3.25);
}

TEST(JsonLookup, MissingColonOrValueIsNotFound) {
    std::string s = kUntouched;
    double d = 1;
    uint32_t u = 1;
    EXPECT_FALSE(JsonGetString(R"(["a"])", "a", s));
    EXPECT_FALSE(JsonGetString(R"({"a":)", "a", s));
    EXPECT_FALSE(JsonGetNumber(R"({"a":   )", "a", d));
    EXPECT_FALSE(JsonGetUInt(R"({"a":)", "a", u));
    EXPECT_EQ(s, kUntouched);
}

TEST(JsonString, ValueOfAnotherKindIsNotFound) {
    EXPECT_EQ(GetString(R"({"a":null,"b":"y"})", "a"), "<not found:untouched>");
    EXPECT_EQ(GetString(R"({"token": null, "machine_code":"X"})", "token"), "<not found:untouched>");
    EXPECT_EQ(GetString(R"({"a":12,"b":"y"})", "a"), "<not found:untouched>");
    EXPECT_EQ(GetString(R"({"a":true,"b":"y"})", "a"), "<not found:untouched>");
    EXPECT_EQ(GetString(R"({"a":false,"b":"y"})", "a"), "<not found:untouched>");
    EXPECT_EQ(GetString(R"({"a":{"b":"y"}})", "a"), "<not found:untouched>");
    EXPECT_EQ(GetString(R"({"a":["y"]})", "a"), "<not found:untouched>");
}

TEST(JsonString, EmptyAndUnterminatedValues) {
    EXPECT_EQ(GetString(R"({"a":""})", "a"), "");
    EXPECT_EQ(GetString(R"({"a":"abc)", "a"), "<not found:untouched>");
    EXPECT_EQ(GetString(R"({"a":"abc\")", "a"), "<not found:untouched>");
}

TEST(JsonString, EscapesAreDecoded) {
    EXPECT_EQ(GetString(R"({"s":"say \"hi\""})", "s"), "say \"hi\"");
    EXPECT_EQ(GetString(R"({"u":"https:\/\/x"})", "u"), "https://x");
    EXPECT_EQ(GetString(R"({"p":"C:\\dir\\"})", "p"), "C:\\dir\\");
    EXPECT_EQ(GetString(R"({"c":"\b\f\n\r\t"})", "c"), "\b\f\n\r\t");
    EXPECT_EQ(GetString(R"({"s":"a\\","t":"b"})", "s"), "a\\");
}

TEST(JsonString, UnicodeEscapesBecomeUtf8) {
    EXPECT_EQ(GetString(R"({"n":"\u5965\u51e1"})", "n"), "\xE5\xA5\xA5\xE5\x87\xA1");  // 奥凡
    EXPECT_EQ(GetString(R"({"n":"\u0041\u00e9"})", "n"), "A\xC3\xA9");
    EXPECT_EQ(GetString(R"({"n":"\u00E9"})", "n"), "\xC3\xA9");
    EXPECT_EQ(GetString(R"({"e":"\ud83d\ude00"})", "e"), "\xF0\x9F\x98\x80");  // U+1F600
    EXPECT_EQ(GetString(R"({"e":"\uDBFF\uDFFF"})", "e"), "\xF4\x8F\xBF\xBF");  // U+10FFFF
}

TEST(JsonString, UnpairedSurrogatesBecomeReplacementCharacter) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(GetString(R"({"e":"\ud83dx"})", "e"), fffd + "x");
    EXPECT_EQ(GetString(R"({"e":"\ude00"})", "e"), fffd);
    EXPECT_EQ(GetString(R"({"e":"\ud83d\u0041"})", "e"), fffd + "A");
    EXPECT_EQ(GetString(R"({"e":"\ud83d\ud83d\ude00"})", "e"), fffd + "\xF0\x9F\x98\x80");
}

TEST(JsonString, MalformedEscapesAreKeptVerbatim) {
    EXPECT_EQ(GetString(R"({"s":"\x41"})", "s"), "\\x41");
    EXPECT_EQ(GetString(R"({"s":"\u12"})", "s"), "\\u12");
    EXPECT_EQ(GetString(R"({"s":"\uZZZZ"})", "s"), "\\uZZZZ");
}

TEST(JsonString, RawUtf8IsCopiedUnchanged) {
    EXPECT_EQ(GetString("{\"n\":\"\xE5\xA5\xA5\xE5\x87\xA1 v1\"}", "n"), "\xE5\xA5\xA5\xE5\x87\xA1 v1");
}

TEST(JsonDecode, StringEndAgreesWithDecoder) {
    const std::string text = R"("a\"b\\" tail)";
    EXPECT_EQ(JsonStringEnd(text, 0), 8u);
    std::string out;
    ASSERT_TRUE(JsonDecodeString(text, 0, out));
    EXPECT_EQ(out, "a\"b\\");
    EXPECT_EQ(JsonStringEnd(R"("open\")", 0), std::string::npos);
    EXPECT_EQ(JsonStringEnd("x\"\"", 0), std::string::npos);
    EXPECT_FALSE(JsonDecodeString("x", 0, out));
    EXPECT_EQ(out, "a\"b\\");
}

TEST(JsonNumber, ReadsNumbersAndQuotedNumbers) {
    double d = 0;
    ASSERT_TRUE(JsonGetNumber(R"({"price":"19.90"})", "price", d));
    EXPECT_DOUBLE_EQ(d, 19.9);
    EXPECT_EQ(GetString(R"({"price":"19.90"})", "price"), "19.90");
    ASSERT_TRUE(JsonGetNumber(R"({"n":-2.5})", "n", d));
    EXPECT_EQ(d, -2.5);
    ASSERT_TRUE(JsonGetNumber(R"({"n":0})", "n", d));
    EXPECT_EQ(d, 0.0);
    ASSERT_TRUE(JsonGetNumber(R"({"n":"12abc"})", "n", d));
    EXPECT_EQ(d, 12.0);
}

TEST(JsonNumber, StopsWhereTheNumberTextEnds) {
    double d = 0;
    ASSERT_TRUE(JsonGetNumber(R"({"n":1.2.3})", "n", d));
    EXPECT_DOUBLE_EQ(d, 1.2);
    ASSERT_TRUE(JsonGetNumber(R"({"n":1e5})", "n", d));
    EXPECT_EQ(d, 1.0);
    ASSERT_TRUE(JsonGetNumber(R"({"n":7)", "n", d));
    EXPECT_EQ(d, 7.0);
    ASSERT_TRUE(JsonGetNumber(R"({"n":12.})", "n", d));
    EXPECT_EQ(d, 12.0);
}

TEST(JsonNumber, OtherKindsAndOverflowAreNotFound) {
    double d = 3.5;
    EXPECT_FALSE(JsonGetNumber(R"({"n":null,"m":5})", "n", d));
    EXPECT_FALSE(JsonGetNumber(R"({"n":true,"m":5})", "n", d));
    EXPECT_FALSE(JsonGetNumber(R"({"n":false,"m":5})", "n", d));
    EXPECT_FALSE(JsonGetNumber(R"({"n":{"m":5}})", "n", d));
    EXPECT_FALSE(JsonGetNumber(R"({"n":[5]})", "n", d));
    EXPECT_FALSE(JsonGetNumber(R"({"n":"abc","m":5})", "n", d));
    EXPECT_FALSE(JsonGetNumber(R"({"n":"","m":5})", "n", d));
    EXPECT_FALSE(JsonGetNumber(R"({"n":-,"m":5})", "n", d));
    EXPECT_FALSE(JsonGetNumber(R"({"n":-.})", "n", d));
    EXPECT_FALSE(JsonGetNumber("{\"n\":1" + std::string(400, '0') + "}", "n", d));
    EXPECT_EQ(d, 3.5);
}

TEST(JsonUInt, ReadsDigitsOnly) {
    uint32_t u = 0;
    ASSERT_TRUE(JsonGetUInt(R"({"uid":12.5})", "uid", u));
    EXPECT_EQ(u, 12u);
    ASSERT_TRUE(JsonGetUInt(R"({"uid":1e5})", "uid", u));
    EXPECT_EQ(u, 1u);
    ASSERT_TRUE(JsonGetUInt(R"({"uid":"007"})", "uid", u));
    EXPECT_EQ(u, 7u);
    ASSERT_TRUE(JsonGetUInt(R"({"uid": 4294967295})", "uid", u));
    EXPECT_EQ(u, 4294967295u);
    ASSERT_TRUE(JsonGetUInt(R"({"uid":0})", "uid", u));
    EXPECT_EQ(u, 0u);
}

TEST(JsonUInt, NegativeOverflowAndOtherKindsAreNotFound) {
    uint32_t u = 99;
    EXPECT_FALSE(JsonGetUInt(R"({"n":-2.5})", "n", u));
    EXPECT_FALSE(JsonGetUInt(R"({"n":"-5"})", "n", u));
    EXPECT_FALSE(JsonGetUInt(R"({"n":4294967296})", "n", u));
    EXPECT_FALSE(JsonGetUInt(R"({"n":99999999999999999999999})", "n", u));
    EXPECT_FALSE(JsonGetUInt(R"({"n":null,"uid2":5})", "n", u));
    EXPECT_FALSE(JsonGetUInt(R"({"n":true,"m":5})", "n", u));
    EXPECT_FALSE(JsonGetUInt(R"({"n":false,"m":5})", "n", u));
    EXPECT_FALSE(JsonGetUInt(R"({"n":{"m":5}})", "n", u));
    EXPECT_FALSE(JsonGetUInt(R"({"n":[5]})", "n", u));
    EXPECT_EQ(u, 99u);
}

TEST(JsonEscapeBytes, EscapesQuoteAndBackslashBlanksControlBytes) {
    EXPECT_EQ(JsonEscapeBytes("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(JsonEscapeBytes("line1\r\nline2\tx"), "line1  line2 x");
    EXPECT_EQ(JsonEscapeBytes(std::string("\x00\x1f\x20\x7f", 4)), "  \x20\x7f");
    EXPECT_EQ(JsonEscapeBytes("\xE5\xA5\xA5/"), "\xE5\xA5\xA5/");
    EXPECT_EQ(JsonEscapeBytes(""), "");
}

TEST(JsonEscapeBytes, EscapedTextReadsBackThroughTheDecoder) {
    const std::string original = "say \"hi\" C:\\x\\ \xE5\xA5\xA5\n";
    std::string back;
    ASSERT_TRUE(JsonGetString("{\"k\":\"" + JsonEscapeBytes(original) + "\"}", "k", back));
    EXPECT_EQ(back, "say \"hi\" C:\\x\\ \xE5\xA5\xA5 ");
}

TEST(UrlEncodeBytes, KeepsUnreservedAndEncodesEverythingElse) {
    EXPECT_EQ(UrlEncodeBytes("AZaz09-_.~"), "AZaz09-_.~");
    EXPECT_EQ(UrlEncodeBytes("a b/\xC3\xA9"), "a%20b%2F%C3%A9");
    EXPECT_EQ(UrlEncodeBytes(":?&=+%"), "%3A%3F%26%3D%2B%25");
    EXPECT_EQ(UrlEncodeBytes(std::string("\x00\xff", 2)), "%00%FF");
    EXPECT_EQ(UrlEncodeBytes(""), "");
}
