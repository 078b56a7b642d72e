// Files through the platform layer: sharing between openers, 64-bit
// positions, copies, renames, attributes and write times.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/scratch.h"

namespace qi::platform {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

// The three ways the archive code opens files: read denying writers (0x20),
// read/write denying writers (0x22), and create.
std::unique_ptr<File> OpenReader(const std::string& path) {
    return OpenFile(path, Access::Read, Share::Read, Disposition::OpenExisting);
}
std::unique_ptr<File> OpenAppender(const std::string& path) {
    return OpenFile(path, Access::ReadWrite, Share::Read, Disposition::OpenExisting);
}
std::unique_ptr<File> OpenCreator(const std::string& path) {
    return OpenFile(path, Access::ReadWrite, Share::None, Disposition::CreateAlways, true);
}

std::string ReadAll(File& file) {
    std::string bytes(static_cast<size_t>(file.Size()), '\0');
    file.Seek(0);
    bytes.resize(static_cast<size_t>(file.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
    return bytes;
}

// 2001-02-03 04:05:06 as DOS date and time.
constexpr uint32_t kDosTime = uint32_t{21 << 9 | 2 << 5 | 3} << 16 | (4 << 11 | 5 << 5 | 3);

TEST(FileSharing, ReadersThatDenyWritersShareTheFile) {
    ScratchFolder scratch;
    std::string path = scratch / "game.dat";
    WriteBytes(path, "data");
    auto first = OpenReader(path);
    auto second = OpenReader(path);
    EXPECT_EQ(ReadAll(*first), "data");
    EXPECT_EQ(ReadAll(*second), "data");
}

TEST(FileSharing, AnAppenderAndReadersExcludeEachOther) {
    ScratchFolder scratch;
    std::string path = scratch / "game.dat";
    WriteBytes(path, "data");
    {
        auto reader = OpenReader(path);
        try {
            OpenAppender(path);
            ADD_FAILURE() << "an appender opened a file that a reader denies to writers";
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find("game.dat"), std::string::npos) << error.what();
        }
    }
    auto appender = OpenAppender(path);
    EXPECT_THROW(OpenReader(path), Error);
    EXPECT_THROW(OpenAppender(path), Error);
}

TEST(FileSharing, ACreatorExcludesEveryoneAndLosesWithoutHarm) {
    ScratchFolder scratch;
    std::string path = scratch / "game.dat";
    WriteBytes(path, "keep");
    {
        auto reader = OpenReader(path);
        EXPECT_THROW(OpenCreator(path), Error);
        EXPECT_EQ(ReadAll(*reader), "keep");  // the refused creator emptied nothing
    }
    auto creator = OpenCreator(path);
    EXPECT_EQ(creator->Size(), 0);
    EXPECT_THROW(OpenReader(path), Error);
    EXPECT_THROW(OpenAppender(path), Error);
    EXPECT_THROW(OpenCreator(path), Error);
}

TEST(FileHandles, PositionsBeyondFourGigabytesAndTruncation) {
    ScratchFolder scratch;
    std::string path = scratch / "big.dat";
    const int64_t far = (int64_t{5} << 30) + 3;
    {
        auto file = OpenCreator(path);
        EXPECT_EQ(file->Seek(far), far);
        EXPECT_EQ(file->Write("xyz", 3), 3);
        EXPECT_EQ(file->Position(), far + 3);
        EXPECT_EQ(file->Size(), far + 3);
        file->Seek(far + 1);
        char byte = 0;
        EXPECT_EQ(file->Read(&byte, 1), 1);
        EXPECT_EQ(byte, 'y');
        EXPECT_EQ(file->Read(&byte, 1), 1);
        EXPECT_EQ(file->Read(&byte, 1), 0);  // the end
        file->Seek(2);
        file->Truncate();
        file->Flush();
        EXPECT_EQ(file->Size(), 2);
    }
    EXPECT_EQ(ReadBytes(path), std::string(2, '\0'));
}

TEST(FileHandles, MissingFilesAndFoldersDoNotOpen) {
    ScratchFolder scratch;
    EXPECT_THROW(OpenReader(scratch / "missing.dat"), Error);
    EXPECT_THROW(OpenCreator(scratch / "no\\such\\folder.dat"), Error);
    EXPECT_THROW(OpenReader(scratch.Path()), Error);
}

TEST(FileCopies, CopyKeepsContentAttributesAndWriteTime) {
    ScratchFolder scratch;
    std::string source = scratch / "source.txt", copy = scratch / "copy.txt";
    WriteBytes(source, "content");
    ASSERT_TRUE(SetFileDosTime(source, kDosTime));
    ASSERT_TRUE(SetAttributes(source, kAttrReadOnly));

    ASSERT_TRUE(CopyFileTo(source, copy, true));
    EXPECT_EQ(ReadBytes(copy), "content");
    EXPECT_TRUE(GetAttributes(copy) & kAttrReadOnly);
    EXPECT_EQ(GetFileDosTime(copy), kDosTime);

    SetAttributes(source, kAttrNormal);
    SetAttributes(copy, kAttrNormal);
}

TEST(FileCopies, DestinationsThatMustStayAreLeftAlone) {
    ScratchFolder scratch;
    std::string source = scratch / "source.txt", dest = scratch / "dest.txt";
    WriteBytes(source, "new");
    WriteBytes(dest, "old");
    EXPECT_FALSE(CopyFileTo(source, dest, true));
    EXPECT_EQ(ReadBytes(dest), "old");
    {
        auto reader = OpenReader(dest);
        EXPECT_FALSE(CopyFileTo(source, dest, false));
    }
    EXPECT_EQ(ReadBytes(dest), "old");
    EXPECT_FALSE(CopyFileTo(source, source, false));
    EXPECT_EQ(ReadBytes(source), "new");
    EXPECT_FALSE(CopyFileTo(scratch / "missing.txt", scratch / "other.txt", false));
    EXPECT_FALSE(FileExists(scratch / "other.txt"));

    EXPECT_TRUE(CopyFileTo(source, dest, false));
    EXPECT_EQ(ReadBytes(dest), "new");
}

TEST(FileNames, RenameReplacesTheDestination) {
    ScratchFolder scratch;
    std::string from = scratch / "from.txt", to = scratch / "to.txt";
    WriteBytes(from, "from");
    WriteBytes(to, "to");
    ASSERT_TRUE(RenameFile(from, to));
    EXPECT_FALSE(FileExists(from));
    EXPECT_EQ(ReadBytes(to), "from");
    EXPECT_FALSE(RenameFile(from, to));
}

TEST(FileAttributes, ReadOnlyFilesStayAndFoldersAreFolders) {
    ScratchFolder scratch;
    std::string path = scratch / "locked.txt";
    WriteBytes(path, "x");
    EXPECT_TRUE(GetAttributes(path) & kAttrArchive);
    EXPECT_FALSE(GetAttributes(path) & (kAttrReadOnly | kAttrDirectory));
    ASSERT_TRUE(SetAttributes(path, kAttrReadOnly));
    EXPECT_TRUE(GetAttributes(path) & kAttrReadOnly);
    EXPECT_FALSE(RemoveFile(path));
    EXPECT_TRUE(FileExists(path));
    ASSERT_TRUE(SetAttributes(path, kAttrNormal));
    EXPECT_TRUE(RemoveFile(path));
    EXPECT_FALSE(FileExists(path));

    EXPECT_TRUE(GetAttributes(scratch.Path()) & kAttrDirectory);
    EXPECT_EQ(GetAttributes(path), kInvalidAttributes);
    EXPECT_FALSE(SetAttributes(path, kAttrNormal));
    EXPECT_FALSE(RemoveFile(scratch.Path()));
}

TEST(FileTimes, DosTimesRoundTripInLocalTime) {
    ScratchFolder scratch;
    std::string path = scratch / "dated.txt";
    WriteBytes(path, "x");
    // 1999-12-31 23:59:58 and 2100-06-15 12:00:00 (beyond 32-bit seconds).
    const uint32_t endOfYear = uint32_t{19 << 9 | 12 << 5 | 31} << 16 | (23 << 11 | 59 << 5 | 29);
    const uint32_t farFuture = uint32_t{120 << 9 | 6 << 5 | 15} << 16 | (12 << 11);
    for (uint32_t dosTime : {kDosTime, endOfYear, farFuture}) {
        ASSERT_TRUE(SetFileDosTime(path, dosTime));
        EXPECT_EQ(GetFileDosTime(path), dosTime);
    }
    const uint32_t thirteenthMonth = uint32_t{21 << 9 | 13 << 5 | 1} << 16;
    EXPECT_FALSE(SetFileDosTime(path, thirteenthMonth));
    EXPECT_FALSE(GetFileDosTime(scratch / "missing.txt"));
}

}  // namespace
}  // namespace qi::platform
