// Cutting the "data" member out of replies and walking arrays of objects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/reply.h"
#include "util/json.h"

namespace {

std::vector<std::string> Objects(const std::string& arr) {
    std::vector<std::string> seen;
    ForEachObject(arr, [&](const std::string& obj) { seen.push_back(obj); });
    return seen;
}

}  // namespace

TEST(ExtractDataObject, CutsTheDataObject) {
    std::string obj;
    ASSERT_TRUE(ExtractDataObject(R"({"code":0,"data":{"token":"t","uid":7},"msg":"ok"})", obj));
    EXPECT_EQ(obj, R"({"token":"t","uid":7})");
}

TEST(ExtractDataObject, KeepsNestedObjectsAndStopsAtItsOwnBrace) {
    std::string obj;
    ASSERT_TRUE(ExtractDataObject(R"({"data":{"a":{"b":{}},"c":1},"more":{"x":2}})", obj));
    EXPECT_EQ(obj, R"({"a":{"b":{}},"c":1})");
}

TEST(ExtractDataObject, BracesInsideStringsDoNotCount) {
    std::string obj;
    const std::string reply = R"({"data":{"name":"a}b{","q":"say \"}\"","n":1},"x":2})";
    ASSERT_TRUE(ExtractDataObject(reply, obj));
    EXPECT_EQ(obj, R"({"name":"a}b{","q":"say \"}\"","n":1})");
    uint32_t n = 0;
    ASSERT_TRUE(JsonGetUInt(obj, "n", n));
    EXPECT_EQ(n, 1u);
}

TEST(ExtractDataObject, TruncatedObjectRunsToTheEnd) {
    std::string obj;
    ASSERT_TRUE(ExtractDataObject(R"({"data":{"a":{"b":1})", obj));
    EXPECT_EQ(obj, R"({"a":{"b":1})");
    ASSERT_TRUE(ExtractDataObject(R"({"data":{"a":"open })", obj));
    EXPECT_EQ(obj, R"({"a":"open })");
}

TEST(ExtractDataObject, FirstBraceAfterDataEvenOutsideTheMember) {
    std::string obj;
    ASSERT_TRUE(ExtractDataObject(R"({"data":null,"extra":{"k":1}})", obj));
    EXPECT_EQ(obj, R"({"k":1})");
}

TEST(ExtractDataObject, NotFoundLeavesOutputUntouched) {
    std::string obj = "before";
    EXPECT_FALSE(ExtractDataObject("", obj));
    EXPECT_FALSE(ExtractDataObject(R"({"code":0,"msg":"ok"})", obj));
    EXPECT_FALSE(ExtractDataObject(R"({"data":null,"msg":"fail"})", obj));
    EXPECT_FALSE(ExtractDataObject(R"({"data":null,"msg":"not {here}"})", obj));
    EXPECT_FALSE(ExtractDataObject(R"({"data":"{x}"})", obj));
    EXPECT_FALSE(ExtractDataObject(R"({"metadata":{"a":1}})", obj));
    EXPECT_EQ(obj, "before");
}

TEST(ExtractDataArray, CutsTheTextBetweenMatchingBrackets) {
    std::string arr;
    ASSERT_TRUE(ExtractDataArray(R"({"data":[{"a":1},{"a":2}],"total":2})", arr));
    EXPECT_EQ(arr, R"({"a":1},{"a":2})");
    ASSERT_TRUE(ExtractDataArray(R"({"data":[]})", arr));
    EXPECT_EQ(arr, "");
    ASSERT_TRUE(ExtractDataArray(R"({"data":[[1,[2]],3]})", arr));
    EXPECT_EQ(arr, "[1,[2]],3");
}

TEST(ExtractDataArray, BracketInsideAStringKeepsAllObjects) {
    const std::string reply =
        R"({"code":0,"data":[{"order_no":"A1","download_url":"http://x/f?[v]=1]"},)"
        R"({"order_no":"A2","name":"[\"]\"]"}]})";
    std::string arr;
    ASSERT_TRUE(ExtractDataArray(reply, arr));
    const auto objs = Objects(arr);
    ASSERT_EQ(objs.size(), 2u);
    std::string no;
    ASSERT_TRUE(JsonGetString(objs[1], "order_no", no));
    EXPECT_EQ(no, "A2");
    std::string url;
    ASSERT_TRUE(JsonGetString(objs[0], "download_url", url));
    EXPECT_EQ(url, "http://x/f?[v]=1]");
}

TEST(ExtractDataArray, FirstBracketAfterDataIsUsed) {
    std::string arr;
    ASSERT_TRUE(ExtractDataArray(R"({"data":{"games":["a","b"]},"x":[9]})", arr));
    EXPECT_EQ(arr, R"("a","b")");
}

TEST(ExtractDataArray, MissingOrUnmatchedBracketIsNotFound) {
    std::string arr = "before";
    EXPECT_FALSE(ExtractDataArray(R"({"data":[{"a":1})", arr));
    EXPECT_FALSE(ExtractDataArray(R"({"data":[{"a":"]"})", arr));
    EXPECT_FALSE(ExtractDataArray(R"({"data":{"a":1}})", arr));
    EXPECT_FALSE(ExtractDataArray(R"({"data":"[1]"})", arr));
    EXPECT_FALSE(ExtractDataArray(R"({"list":[1]})", arr));
    EXPECT_FALSE(ExtractDataArray("", arr));
    EXPECT_EQ(arr, "before");
}

TEST(ForEachObject, VisitsTopLevelObjectsInOrder) {
    const auto objs = Objects(R"({"a":1}, {"b":{"c":2}} ,{})");
    ASSERT_EQ(objs.size(), 3u);
    EXPECT_EQ(objs[0], R"({"a":1})");
    EXPECT_EQ(objs[1], R"({"b":{"c":2}})");
    EXPECT_EQ(objs[2], "{}");
}

TEST(ForEachObject, SkipsBracesInStringsBetweenAndInsideObjects) {
    const auto objs = Objects(R"("x{y}", {"n":"}{"}, "{", {"m":1})");
    ASSERT_EQ(objs.size(), 2u);
    EXPECT_EQ(objs[0], R"({"n":"}{"})");
    EXPECT_EQ(objs[1], R"({"m":1})");
}

TEST(ForEachObject, TruncatedLastObjectRunsToTheEnd) {
    const auto objs = Objects(R"({"a":1},{"b":{"c":2})");
    ASSERT_EQ(objs.size(), 2u);
    EXPECT_EQ(objs[1], R"({"b":{"c":2})");
}

TEST(ForEachObject, NoObjectsMeansNoVisits) {
    EXPECT_TRUE(Objects("").empty());
    EXPECT_TRUE(Objects(R"("a","b",1,2)").empty());
    EXPECT_TRUE(Objects(R"("unterminated {)").empty());
}
