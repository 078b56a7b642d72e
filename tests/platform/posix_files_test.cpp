// Linux file behaviour that Windows gives by itself: a read-only file turns
// writers away even when the program runs as the superuser, which ignores
// missing write bits. And the unnamed new files of Linux.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/platform.h"
#include "support/scratch.h"

namespace qi::platform {
namespace {

TEST(PosixFiles, ReadOnlyFilesTurnWritersAwayForEveryUser) {
    test::ScratchFolder scratch;
    const std::string locked = scratch / "locked.txt", other = scratch / "other.txt";
    test::WriteBytes(locked, "keep");
    test::WriteBytes(other, "other");
    ASSERT_TRUE(SetAttributes(locked, kAttrReadOnly));

    EXPECT_THROW(OpenFile(locked, Access::ReadWrite, Share::Read, Disposition::OpenExisting), Error);
    EXPECT_THROW(OpenFile(locked, Access::Write, Share::None, Disposition::CreateAlways), Error);
    EXPECT_FALSE(CopyFileTo(other, locked, false));
    EXPECT_FALSE(RenameFile(other, locked));
    EXPECT_EQ(test::ReadBytes(locked), "keep");
    EXPECT_TRUE(SetFileDosTime(locked, uint32_t{21 << 9 | 2 << 5 | 3} << 16));  // times may still change

    ASSERT_TRUE(SetAttributes(locked, kAttrNormal));
    EXPECT_TRUE(RenameFile(other, locked));
    EXPECT_EQ(test::ReadBytes(locked), "other");
}

// A link put where the program writes leads nowhere: the file it points to
// keeps its bytes and its read-only bit.
TEST(PosixFiles, LinksAtAFileNameAreNeitherWrittenNorChangedThrough) {
    test::ScratchFolder scratch;
    const std::string target = scratch / "target.txt", link = scratch / "link.txt", source = scratch / "source.txt";
    test::WriteBytes(target, "keep");
    test::WriteBytes(source, "new");
    ASSERT_TRUE(SetAttributes(target, kAttrReadOnly));
    ASSERT_EQ(symlink(NativePath(target).c_str(), NativePath(link).c_str()), 0);

    EXPECT_FALSE(SetAttributes(link, kAttrNormal));
    EXPECT_TRUE(GetAttributes(target) & kAttrReadOnly);
    EXPECT_THROW(OpenFile(link, Access::Write, Share::None, Disposition::CreateNew), Error);
    EXPECT_THROW(OpenFile(link, Access::Write, Share::None, Disposition::CreateAlways), Error);
    EXPECT_FALSE(CopyFileTo(source, link, true));
    EXPECT_TRUE(CopyFileTo(source, link, false));  // the link is replaced
    EXPECT_FALSE(IsLink(link));
    EXPECT_EQ(test::ReadBytes(link), "new");
    EXPECT_EQ(test::ReadBytes(target), "keep");
    ASSERT_TRUE(SetAttributes(target, kAttrNormal));
}

// One look at a name tells a file, a folder and a link apart (a link to
// nothing included), in whatever case the name is asked.
TEST(PosixFiles, KindOfNameTakesALinkAsItself) {
    test::ScratchFolder scratch;
    test::WriteBytes(scratch / "File.txt", "x");
    ASSERT_TRUE(CreateFolders(scratch / "folder"));
    ASSERT_EQ(symlink("nowhere", NativePath(scratch / "dangling").c_str()), 0);
    ASSERT_EQ(symlink(NativePath(scratch / "File.txt").c_str(), NativePath(scratch / "tofile").c_str()), 0);

    EXPECT_EQ(KindOfName(scratch / "FILE.TXT"), NameKind::File);
    EXPECT_EQ(KindOfName(scratch / "folder"), NameKind::Folder);
    EXPECT_EQ(KindOfName(scratch / "dangling"), NameKind::Link);
    EXPECT_EQ(KindOfName(scratch / "tofile"), NameKind::Link);
    EXPECT_EQ(KindOfName(scratch / "missing"), NameKind::Missing);
}

// An unnamed file shows nowhere until it is named, replaces nothing, and
// leaves nothing when it is dropped.
TEST(PosixFiles, UnnamedFilesAppearWholeAndReplaceNothing) {
    test::ScratchFolder scratch;
    const std::string name = scratch / "voice.ogg";
    const uint32_t dosTime = uint32_t{21 << 9 | 2 << 5 | 3} << 16 | 10 << 11;
    auto file = CreateUnnamedFile(name);
    ASSERT_TRUE(file);
    file->Write("clip", 4);
    EXPECT_TRUE(ListDirectory(scratch.Path()).empty());
    ASSERT_TRUE(NameUnnamedFile(*file, name, dosTime));
    file.reset();
    EXPECT_EQ(test::ReadBytes(name), "clip");
    EXPECT_EQ(GetFileDosTime(name), dosTime);

    EXPECT_FALSE(CreateUnnamedFile(scratch / "VOICE.OGG"));  // the name is taken, in any case
    const std::string later = scratch / "later.ogg";
    file = CreateUnnamedFile(later);
    ASSERT_TRUE(file);
    test::WriteBytes(later, "theirs");
    EXPECT_FALSE(NameUnnamedFile(*file, later, 0));
    EXPECT_EQ(test::ReadBytes(later), "theirs");
    file = CreateUnnamedFile(scratch / "dropped.ogg");
    file.reset();
    EXPECT_EQ(ListDirectory(scratch.Path()).size(), 2u);
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
