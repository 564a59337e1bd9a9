// Identity cut from the executable's name, the login body and the reading of
// login replies.
#include <gtest/gtest.h>

#include <string>

#include "config/autologin.h"
#include "util/json.h"

namespace {

struct ExeCase {
    const wchar_t* file;
    const wchar_t* channel;
    const wchar_t* click;
};

}  // namespace

TEST(LoginExeName, ChannelAndClickIdFromFileName) {
    const ExeCase cases[] = {
        {L"OrvaneDownloader.exe", L"OrvaneDownloader", L""},
        {L"OrvaneDownloader_1001.exe", L"1001", L""},
        {L"OrvaneDownloader_1001_abc.exe", L"1001", L"abc"},
        {L"a_b_c_d.exe", L"c", L"d"},
        // Capital extension: nothing is cut, so it stays part of the codes.
        {L"OrvaneDownloader.EXE", L"OrvaneDownloader.EXE", L""},
        {L"OrvaneDownloader_7.EXE", L"7.EXE", L""},
        {L"Orvane_7_x.EXE", L"7", L"x.EXE"},
        // Cut at the last ".exe" only.
        {L"a.exe_b.exe", L"b", L""},
    };
    for (const ExeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "file " << std::string(c.file, c.file + wcslen(c.file)));
        EXPECT_EQ(ChannelCodeFromFileName(c.file), c.channel);
        EXPECT_EQ(ClickIdFromFileName(c.file), c.click);
    }
}

TEST(LoginExeName, FileNameIsTheTextAfterTheLastBackslash) {
    EXPECT_EQ(ExeFileNameFromPath(L"C:\\Program Files\\Orvane\\OrvaneDownloader_1001.exe"),
              L"OrvaneDownloader_1001.exe");
    EXPECT_EQ(ExeFileNameFromPath(L"OrvaneDownloader.exe"), L"OrvaneDownloader.exe");
    EXPECT_EQ(ExeFileNameFromPath(L"C:\\dir\\"), L"");
}

TEST(LoginExeName, RunningTestProgramGivesItsOwnName) {
    const std::wstring name = GetExeFileName();
    EXPECT_EQ(name, L"orvane_tests.exe");
    EXPECT_EQ(GetChannelCode(), L"tests");
    EXPECT_EQ(GetClickId(), L"");
}

TEST(LoginBody, PiecesInOrderWithoutBlanks) {
    EXPECT_EQ(BuildLoginBody(L"OrvaneDownloader_1001_abc.exe", L"1001", L"abc", L"USER-1A2B3C4D-0f1e2d3c"),
              R"({"exe_name":"OrvaneDownloader_1001_abc.exe","channel_code":"1001","qhclickid":"abc",)"
              R"("machine_code":"USER-1A2B3C4D-0f1e2d3c"})");
}

TEST(LoginBody, ValuesAreEscapedSoTheBodyStaysOneObject) {
    const std::string body = BuildLoginBody(L"a\"b.exe", L"c\\d", L"x\ny", L"渠道");
    EXPECT_EQ(body, "{\"exe_name\":\"a\\\"b.exe\",\"channel_code\":\"c\\\\d\",\"qhclickid\":\"x y\","
                    "\"machine_code\":\"\xE6\xB8\xA0\xE9\x81\x93\"}");
    std::string exe;
    ASSERT_TRUE(JsonGetString(body, "exe_name", exe));
    EXPECT_EQ(exe, "a\"b.exe");
    std::string machine;
    ASSERT_TRUE(JsonGetString(body, "machine_code", machine));
    EXPECT_EQ(machine, "\xE6\xB8\xA0\xE9\x81\x93");
}

TEST(LoginParse, FieldsFromTheDataObject) {
    LoginResult r;
    const std::string reply =
        R"({"code":0,"msg":"ok","data":{"uid":42,"machine_id":7,"level":"vip","token":"tk-1",)"
        R"("machine_code":"USER-00000001-abcdef12","channel_code":"1001","qhclickid":"abc"}})";
    ASSERT_TRUE(ParseLoginResponse(reply, r));
    EXPECT_EQ(r.uid, 42u);
    EXPECT_EQ(r.machine_id, 7u);
    EXPECT_EQ(r.level, L"vip");
    EXPECT_EQ(r.token, L"tk-1");
    EXPECT_EQ(r.machine_code, L"USER-00000001-abcdef12");
    EXPECT_EQ(r.channel_code, L"1001");
    EXPECT_EQ(r.qhclickid, L"abc");
}

TEST(LoginParse, TopLevelFieldsWhenThereIsNoDataObject) {
    LoginResult r;
    ASSERT_TRUE(ParseLoginResponse(R"({"uid":5,"token":"t","machine_code":"m"})", r));
    EXPECT_EQ(r.uid, 5u);
    EXPECT_EQ(r.token, L"t");
    EXPECT_EQ(r.machine_code, L"m");
    EXPECT_EQ(r.machine_id, 0u);
    EXPECT_EQ(r.level, L"");
}

TEST(LoginParse, DataNullFallsBackToTheWholeReply) {
    LoginResult r;
    EXPECT_FALSE(ParseLoginResponse(R"({"code":500,"msg":"boom","data":null})", r));
    EXPECT_EQ(r.uid, 0u);
    EXPECT_TRUE(r.token.empty());
}

TEST(LoginParse, EachRequiredFieldMissingOrZeroFails) {
    const char* replies[] = {
        R"({"data":{"uid":0,"token":"t","machine_code":"m"}})",
        R"({"data":{"token":"t","machine_code":"m"}})",
        R"({"data":{"uid":3,"machine_code":"m"}})",
        R"({"data":{"uid":3,"token":"","machine_code":"m"}})",
        R"({"data":{"uid":3,"token":"t"}})",
    };
    for (const char* reply : replies) {
        LoginResult r;
        EXPECT_FALSE(ParseLoginResponse(reply, r)) << reply;
    }
}

TEST(LoginParse, NestedUidBeforeTheOwnOneWins) {
    LoginResult r;
    ASSERT_TRUE(ParseLoginResponse(R"({"data":{"inviter":{"uid":9},"uid":4,"token":"t","machine_code":"m"}})", r));
    EXPECT_EQ(r.uid, 9u);
}

TEST(LoginParse, NullTokenIsNotTakenFromTheNextKey) {
    LoginResult r;
    EXPECT_FALSE(ParseLoginResponse(R"({"data":{"uid":4,"token": null,"machine_code":"m"}})", r));
    EXPECT_TRUE(r.token.empty());
    EXPECT_EQ(r.machine_code, L"m");
}

TEST(LoginParse, Utf8AndEscapedStringsAreDecoded) {
    LoginResult r;
    ASSERT_TRUE(ParseLoginResponse(
        "{\"data\":{\"uid\":1,\"level\":\"\xE9\xBB\x84\xE9\x87\x91\",\"token\":\"a\\\"b\",\"machine_code\":\"m\"}}", r));
    EXPECT_EQ(r.level, L"黄金");
    EXPECT_EQ(r.token, L"a\"b");
}

TEST(LoginParse, TruncatedOrGarbageReplyFails) {
    const std::string full = R"({"data":{"uid":12,"token":"tok","machine_code":"mc"}})";
    for (size_t cut = 0; cut < full.size() - 4; ++cut) {
        LoginResult r;
        EXPECT_FALSE(ParseLoginResponse(full.substr(0, cut), r)) << full.substr(0, cut);
    }
    LoginResult r;
    EXPECT_FALSE(ParseLoginResponse(std::string("\xff\xfe\0{[\"", 6), r));
    EXPECT_FALSE(ParseLoginResponse("<html>502 Bad Gateway</html>", r));
}
