#include <gtest/gtest.h>

#include <stdexcept>

#include "json.h"

namespace qpack {
namespace {

TEST(Json, ParsesWhatSettingsFilesHold) {
    Json j = ParseJson(R"({"a": [1, -9223372036854775808, 9223372036854775807], "t": "\u661f\ud83d\ude00\n",
                           "f": false, "n": null, "o": {}})");
    const Json* a = j.Find("a");
    ASSERT_TRUE(a);
    int64_t v = 0;
    ASSERT_TRUE(a->Items()[1].AsInt64(v));
    EXPECT_EQ(v, INT64_MIN);
    ASSERT_TRUE(a->Items()[2].AsInt64(v));
    EXPECT_EQ(v, INT64_MAX);
    EXPECT_EQ(j.Find("t")->Text(), "\xE6\x98\x9F\xF0\x9F\x98\x80\n");
    EXPECT_FALSE(j.Find("f")->AsBool());
    EXPECT_EQ(j.Find("n")->kind(), Json::Kind::Null);

    // Written and parsed again, the document is the same.
    EXPECT_EQ(ParseJson(j.Dump()).Dump(), j.Dump());
    EXPECT_EQ(ParseJson(j.Dump(0)).Dump(0), j.Dump(0));
}

TEST(Json, NumbersThatAreNotInt64AreRefused) {
    int64_t v = 0;
    EXPECT_FALSE(ParseJson("9223372036854775808").AsInt64(v));
    EXPECT_FALSE(ParseJson("1.5").AsInt64(v));
    EXPECT_FALSE(ParseJson("1e3").AsInt64(v));
    EXPECT_FALSE(ParseJson("\"12\"").AsInt64(v));
}

TEST(Json, FaultsNameTheirPlace) {
    for (const char* bad : {"", "{", "[1,]", "{\"a\":1,\"a\":2}", "\"\\ud800\"", "\"\\udc00\"", "01x",
                            "\"tab\there\"", "{\"a\" 1}", "[1] 2", "tru", "\"\\q\""}) {
        EXPECT_THROW(ParseJson(bad), std::runtime_error) << bad;
    }
    try {
        ParseJson("{\n  \"a\": ?\n}");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("line 2 column 8"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ParseJson(std::string(100, '[') + std::string(100, ']')), std::runtime_error);
}

}  // namespace
}  // namespace qpack
