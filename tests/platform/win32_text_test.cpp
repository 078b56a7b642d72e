// Code page 932 <-> UTF-8 through the system's conversion tables.
#ifdef _WIN32
#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qi::platform {
namespace {

TEST(Win32Text, JapaneseTextRoundTrips) {
    const std::string cp932 =
        "\x93\xFA\x96\x7B\x8C\xEA\x83\x5C\x83\x74\x83\x67\x95\x5C\x8E\xA6"  // 日本語ソフト表示
        " \xB1\xB2 C:\\";                                                   // half-width ｱｲ
    const std::string utf8 = "日本語ソフト表示 ｱｲ C:\\";
    EXPECT_EQ(Utf8FromCp932(cp932), utf8);
    EXPECT_EQ(Cp932FromUtf8(utf8), cp932);
    EXPECT_EQ(Utf8FromCp932(""), "");
    EXPECT_EQ(Cp932FromUtf8(""), "");
    EXPECT_EQ(Utf8FromCp932(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Win32Text, UnconvertibleInputRaisesInsteadOfQuestionMarks) {
    EXPECT_THROW(Utf8FromCp932("abc\x82"), Error);  // a lead byte without its second byte
    EXPECT_THROW(Cp932FromUtf8("한글"), Error);     // Hangul is not in code page 932
    EXPECT_THROW(Cp932FromUtf8("caf\xC3"), Error);  // cut UTF-8 sequence
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
