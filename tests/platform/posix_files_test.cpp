// Linux file behaviour that Windows gives by itself: a read-only file turns
// writers away even when the program runs as the superuser, which ignores
// missing write bits.
#ifndef _WIN32
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
