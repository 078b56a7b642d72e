// Windows-only file and folder behaviour: error texts, code page 932 names
// whose second byte is "\", DOS times on read-only files, system folders.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "support/scratch.h"

namespace qi::platform {
namespace {

using test::ScratchFolder;

// "表" and "ソ" in code page 932: both end in the byte 0x5C.
const std::string kHyo = "\x95\x5C";
const std::string kSoft = "\x83\x5C\x83\x74\x83\x67";  // "ソフト"

std::unique_ptr<File> Open(const std::string& path, Access access, Share share) {
    return OpenFile(path, access, share, Disposition::OpenExisting);
}

TEST(Win32Files, OpenFailureNamesTheFileAndTheReason) {
    ScratchFolder scratch;
    std::string path = scratch / "missing.dat";
    try {
        Open(path, Access::Read, Share::Read);
        FAIL() << "opening a missing file succeeded";
    } catch (const Error& error) {
        std::string message = error.what();
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find("(error 2)"), std::string::npos) << message;
    }
}

TEST(Win32Files, FailedTransfersRaiseInsteadOfLookingLikeTheEnd) {
    ScratchFolder scratch;
    std::string path = scratch / "one-way.bin";
    test::WriteBytes(path, "abc");
    char buffer[4];
    {
        auto writer = Open(path, Access::Write, Share::None);
        EXPECT_THROW(writer->Read(buffer, sizeof buffer), Error);
    }
    auto reader = Open(path, Access::Read, Share::None);
    EXPECT_THROW(reader->Write("x", 1), Error);
    EXPECT_NO_THROW(reader->Flush());
}

TEST(Win32Folders, DoubleByteNamesWhoseSecondByteIsABackslash) {
    ScratchFolder scratch;
    std::string inner = scratch / (kHyo + "\\" + kSoft + "\\");
    ASSERT_TRUE(CreateFolders(inner));
    EXPECT_TRUE(DirectoryExists(inner));
    EXPECT_TRUE(CreateFolders(inner));  // already there

    auto top = ListDirectory(scratch.Path());
    ASSERT_EQ(top.size(), 1u);  // no stray folder cut at the 0x5C trail byte
    EXPECT_EQ(top[0].name, kHyo);
    EXPECT_TRUE(top[0].attributes & kAttrDirectory);

    // A folder named without a trailing delimiter, ending in a trail byte 0x5C.
    auto below = ListDirectory(scratch / kHyo);
    ASSERT_EQ(below.size(), 1u);
    EXPECT_EQ(below[0].name, kSoft);

    std::string file = scratch / (kHyo + "\\" + kHyo);
    test::WriteBytes(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(FileExists(scratch / kHyo));
}

TEST(Win32Folders, CreateFoldersFailsBelowAFile) {
    ScratchFolder scratch;
    test::WriteBytes(scratch / "file", "x");
    EXPECT_FALSE(CreateFolders(scratch / "file\\sub\\"));
    EXPECT_FALSE(CreateFolders(scratch / "file"));
}

TEST(Win32Files, DosTimeRoundTripAlsoOnReadOnlyFiles) {
    ScratchFolder scratch;
    std::string path = scratch / "dated.txt";
    test::WriteBytes(path, "x");
    // 2001-02-03 04:05:06: date (21 << 9 | 2 << 5 | 3), time (4 << 11 | 5 << 5 | 3).
    const uint32_t dosTime = uint32_t{21 << 9 | 2 << 5 | 3} << 16 | (4 << 11 | 5 << 5 | 3);
    ASSERT_TRUE(SetFileDosTime(path, dosTime));
    EXPECT_EQ(GetFileDosTime(path), dosTime);

    ASSERT_TRUE(SetAttributes(path, kAttrReadOnly));
    EXPECT_TRUE(SetFileDosTime(path, dosTime + 1));
    EXPECT_EQ(GetFileDosTime(path), dosTime + 1);
    EXPECT_FALSE(RemoveFile(path));
    SetAttributes(path, kAttrNormal);

    EXPECT_FALSE(GetFileDosTime(scratch / "missing").has_value());
    EXPECT_FALSE(SetFileDosTime(scratch / "missing", dosTime));
}

TEST(Win32Folders, SystemAndShellFolders) {
    EXPECT_TRUE(DirectoryExists(WindowsFolder()));
    EXPECT_TRUE(DirectoryExists(SystemFolder()));
    std::string appData = SpecialFolder(kCsidlAppData);
    EXPECT_FALSE(appData.empty());
    EXPECT_EQ(SpecialFolder(0x7F), "");  // no such folder number
    std::string missing = TempFolder() + "qi-no-such-file.tmp";
    EXPECT_EQ(ShortPathName(missing), missing);
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
