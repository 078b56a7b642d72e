#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/path_helpers.h"

namespace qi {
namespace {

// "表" is 0x95 0x5C in code page 932: its second byte looks like "\".
const std::string kHyou = "\x95\x5C";

TEST(Cp932Text, SecondByteIsNeverADelimiter) {
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0xFC));
    EXPECT_FALSE(IsLeadByte(0xA0));  // half-width katakana are single bytes
    EXPECT_FALSE(IsLeadByte('\\'));

    std::string path = "C:\\" + kHyou;
    EXPECT_FALSE(IsPathDelimiter(path, path.size() - 1));
    EXPECT_EQ(AddBackslash(path), path + "\\");
    EXPECT_EQ(LastDelimiter("\\", path), 2u);
    EXPECT_EQ(ExtractFileName(path), kHyou);
    EXPECT_EQ(ExtractFileExt("dir.d\\" + kHyou), "");
    EXPECT_EQ(ExtractFileExt("a\\Game.EXE"), ".EXE");
}

TEST(Cp932Text, CaseFoldsOnlySingleByteLetters) {
    // The second byte of "ａ" (0x82 0x81) and of "ア" (0x83 0x41 'A') must stay.
    std::string mixed = "abc\x83\x41xyz\x82\x81";
    EXPECT_EQ(UpperCase(mixed), "ABC\x83\x41XYZ\x82\x81");
    EXPECT_EQ(LowerCase("ABC\x83\x41"), "abc\x83\x41");
    EXPECT_TRUE(SameText("Data\\A.txt", "data\\a.TXT"));
    EXPECT_FALSE(SameText("\x83\x41", "\x83\x61"));
    EXPECT_LT(CompareText("a", "B"), 0);
}

TEST(PathHelpers, AddBackslashAndParentKeyPath) {
    EXPECT_EQ(AddBackslash("C:\\Games"), "C:\\Games\\");
    EXPECT_EQ(AddBackslash("C:\\Games\\"), "C:\\Games\\");
    EXPECT_EQ(AddBackslash(""), "\\");

    std::string key = "Maker\\Series\\Game";
    ParentKeyPath(key);
    EXPECT_EQ(key, "Maker\\Series");
    key = "Game\\";
    ParentKeyPath(key);
    EXPECT_EQ(key, "");
    ParentKeyPath(key);
    EXPECT_EQ(key, "");
    key = "Maker\\" + kHyou;
    ParentKeyPath(key);
    EXPECT_EQ(key, "Maker");
}

TEST(PathHelpers, FormatThousands) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(100000), "100,000");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatThousands(9223372036854775807LL), "9,223,372,036,854,775,807");
    EXPECT_EQ(FormatThousands(-1000), "-1,000");
    EXPECT_EQ(FormatThousands(-100), "-100");
}

}  // namespace
}  // namespace qi
