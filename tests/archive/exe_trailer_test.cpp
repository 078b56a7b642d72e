// The trailer of an executable with an appended archive, at its edges.
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "archive/exe_trailer.h"

namespace qi {
namespace {

std::optional<int64_t> TrailerOf(const std::string& bytes) {
    TMemoryStream file;
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return ReadExeTrailer(file);
}

TEST(ExeTrailer, NamesTheProgramPartOnlyWhenItFitsTheFile) {
    TMemoryStream written;
    written.WriteBuffer("MZ+archive", 10);
    WriteExeTrailer(written, 2);
    EXPECT_EQ(ReadExeTrailer(written), 2);

    EXPECT_EQ(TrailerOf("abc" + test::Le32(3) + "qr"), 3) << "an empty archive part";
    EXPECT_EQ(TrailerOf(test::Le32(0) + "qr"), 0);
    EXPECT_EQ(TrailerOf(std::string("\0\0\0qr", 5)), std::nullopt) << "shorter than a trailer";
    EXPECT_EQ(TrailerOf("abc" + test::Le32(4) + "qr"), std::nullopt) << "longer than the file holds";
    EXPECT_EQ(TrailerOf("abc" + test::Le32(-1) + "qr"), std::nullopt) << "negative";
    EXPECT_EQ(TrailerOf("abc" + test::Le32(3) + "qR"), std::nullopt) << "no mark";
}

}  // namespace
}  // namespace qi
