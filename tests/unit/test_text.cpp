// UTF-16/UTF-8 conversion, escaping of UTF-16 text and time formatting.
#include <gtest/gtest.h>

#include <cwctype>

#include "util/text.h"

TEST(TextConversion, RoundTripsChineseAndAstralCharacters) {
    const std::wstring title = L"\u5965\u51e1\u5b89\u88c5\u52a9\u624b";  // 奥凡安装助手
    const std::string utf8 = "\xE5\xA5\xA5\xE5\x87\xA1\xE5\xAE\x89\xE8\xA3\x85\xE5\x8A\xA9\xE6\x89\x8B";
    EXPECT_EQ(WideToUtf8(title), utf8);
    EXPECT_EQ(Utf8ToWide(utf8), title);
    EXPECT_EQ(WideToUtf8(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), L"\xD83D\xDE00");
}

TEST(TextConversion, EmptyAndEmbeddedNulSurvive) {
    EXPECT_EQ(WideToUtf8(L""), "");
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(TextConversion, InvalidInputIsReplacedNotReported) {
    EXPECT_EQ(Utf8ToWide("a\xFF" "b"), L"a\xFFFD" L"b");
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextEscaping, JsonEscapeWorksOnTheUtf8Bytes) {
    EXPECT_EQ(JsonEscape(L"line1\r\nline2"), "line1  line2");
    EXPECT_EQ(JsonEscape(L"say \"vip\" \\"), "say \\\"vip\\\" \\\\");
    EXPECT_EQ(JsonEscape(L"\u5965"), "\xE5\xA5\xA5");
}

TEST(TextEscaping, UrlEncodeGivesAsciiPercentEncoding) {
    EXPECT_EQ(UrlEncode(L"a b/\u00e9"), L"a%20b%2F%C3%A9");
    EXPECT_EQ(UrlEncode(L"\u5965\u51e1 v1.0"), L"%E5%A5%A5%E5%87%A1%20v1.0");
    EXPECT_EQ(UrlEncode(L"https://x"), L"https%3A%2F%2Fx");
    EXPECT_EQ(UrlEncode(L""), L"");
}

TEST(TimeFormat, FieldsArePaddedToFixedWidths) {
    SYSTEMTIME st = {};
    st.wYear = 2025;
    st.wMonth = 5;
    st.wDay = 1;
    st.wHour = 9;
    st.wMinute = 3;
    st.wSecond = 7;
    st.wMilliseconds = 45;
    EXPECT_EQ(FormatTime(st, false), L"2025-05-01 09:03:07");
    EXPECT_EQ(FormatTime(st, true), L"2025-05-01 09:03:07.045");
    st.wMilliseconds = 7;
    EXPECT_EQ(FormatTime(st, true), L"2025-05-01 09:03:07.007");
    st = SYSTEMTIME{999, 12, 0, 31, 23, 59, 59, 999};
    EXPECT_EQ(FormatTime(st, true), L"0999-12-31 23:59:59.999");
}

TEST(TimeFormat, LocalTimeHasTheNineteenCharacterShape) {
    const std::wstring now = FormatLocalTime();
    ASSERT_EQ(now.size(), 19u);
    const std::wstring shape = L"dddd-dd-dd dd:dd:dd";
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == L'd') {
            EXPECT_TRUE(std::iswdigit(now[i])) << "position " << i;
        } else {
            EXPECT_EQ(now[i], shape[i]) << "position " << i;
        }
    }
    SYSTEMTIME st;
    GetLocalTime(&st);
    EXPECT_EQ(now.substr(0, 4), std::to_wstring(st.wYear));
}
