// Names: code page 932 text, double-byte names whose second byte is "\",
// and names that match ignoring case as on Windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "support/scratch.h"

namespace qi::platform {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

const std::string kInstall = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B";  // "インストール"
const std::string kHyo = "\x95\x5C";                                               // "表", second byte "\"
const std::string kSoft = "\x83\x5C\x83\x74\x83\x67";                              // "ソフト"

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : ListDirectory(folder)) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Text, JapaneseTextRoundTrips) {
    const std::string utf8 = "\xE3\x82\xA4\xE3\x83\xB3\xE3\x82\xB9\xE3\x83\x88\xE3\x83\xBC\xE3\x83\xAB";
    EXPECT_EQ(Utf8FromCp932(kInstall), utf8);
    EXPECT_EQ(Cp932FromUtf8(utf8), kInstall);
    EXPECT_EQ(Cp932FromUtf8(Utf8FromCp932(kSoft + "\xB1")), kSoft + "\xB1");  // with a half-width katakana
    EXPECT_EQ(Utf8FromCp932("plain"), "plain");
}

TEST(Text, UnconvertibleInputRaisesInsteadOfQuestionMarks) {
    EXPECT_THROW(Utf8FromCp932("a\x81\x20z"), Error);  // a lead byte without a valid second byte
    EXPECT_THROW(Utf8FromCp932("a\x83"), Error);       // a lead byte at the very end
    EXPECT_THROW(Cp932FromUtf8("\xED\x95\x9C"), Error);  // a Hangul syllable
    EXPECT_THROW(Cp932FromUtf8("\xC3"), Error);        // broken UTF-8
}

TEST(Names, SecondBytesThatLookLikeDelimitersStayInTheName) {
    ScratchFolder scratch;
    std::string folder = scratch / (kHyo + "\\");
    ASSERT_TRUE(CreateFolders(folder + kSoft));
    WriteBytes(folder + kInstall + ".txt", "x");
    EXPECT_EQ(Names(scratch.Path()), std::vector<std::string>{kHyo});
    EXPECT_EQ(Names(folder), (std::vector<std::string>{kInstall + ".txt", kSoft}));
    EXPECT_TRUE(DirectoryExists(scratch / kHyo));
    EXPECT_TRUE(FileExists(folder + kInstall + ".txt"));
}

TEST(Names, ExistingNamesMatchIgnoringCaseAndNewOnesKeepTheirCase) {
    ScratchFolder scratch;
    ASSERT_TRUE(CreateFolders(scratch / "Data"));
    WriteBytes(scratch / "DATA\\Read Me.Txt", "text");
    ASSERT_TRUE(CreateFolders(scratch / "data\\Sub"));

    EXPECT_EQ(Names(scratch.Path()), std::vector<std::string>{"Data"});
    EXPECT_EQ(Names(scratch / "dAtA"), (std::vector<std::string>{"Read Me.Txt", "Sub"}));
    EXPECT_TRUE(FileExists(scratch / "data\\READ ME.TXT"));
    EXPECT_EQ(ReadBytes(scratch / "data\\read me.txt"), "text");
    EXPECT_TRUE(DirectoryExists(scratch / "DATA\\SUB\\"));

    WriteBytes(scratch / "DATA\\READ ME.TXT", "again");  // replaces, adds no second file
    EXPECT_EQ(Names(scratch / "Data"), (std::vector<std::string>{"Read Me.Txt", "Sub"}));
    EXPECT_TRUE(RemoveFile(scratch / "data\\read ME.txt"));
    EXPECT_TRUE(RemoveFolder(scratch / "DATA\\sub"));
}

TEST(Folders, CreateListAndRemove) {
    ScratchFolder scratch;
    ASSERT_TRUE(CreateFolders(scratch / "a\\b\\c\\"));
    EXPECT_TRUE(CreateFolders(scratch / "a\\b"));  // already there
    WriteBytes(scratch / "a\\file.txt", "x");
    auto entries = ListDirectory(scratch / "a");
    std::sort(entries.begin(), entries.end(), [](auto& x, auto& y) { return x.name < y.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "b");
    EXPECT_TRUE(entries[0].attributes & kAttrDirectory);
    EXPECT_EQ(entries[1].name, "file.txt");
    EXPECT_FALSE(entries[1].attributes & kAttrDirectory);

    EXPECT_FALSE(RemoveFolder(scratch / "a\\b"));  // not empty
    EXPECT_FALSE(CreateFolders(scratch / "a\\file.txt\\sub"));
    EXPECT_TRUE(RemoveFolder(scratch / "a\\b\\c"));
    EXPECT_TRUE(RemoveFolder(scratch / "a\\b\\"));
    EXPECT_TRUE(ListDirectory(scratch / "a\\missing").empty());
}

TEST(Folders, FreeSpaceAlsoForAFolderStillToBeCreated) {
    ScratchFolder scratch;
    auto space = FreeDiskSpace(scratch / "not\\yet\\there\\");
    ASSERT_TRUE(space.has_value());
    EXPECT_GT(*space, 0);
}

}  // namespace
}  // namespace qi::platform
