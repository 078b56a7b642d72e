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

// A Windows program whose security directory names a certificate table of
// 16 bytes at tableStart, which ends the file.
std::string SignedProgram(const std::string& signedPart, int padding) {
    std::string pe(0x40 + 24 + 96 + 16 * 8, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    pe.replace(0x3C, 4, test::Le32(0x40));
    pe.replace(0x40, 4, std::string("PE\0\0", 4));
    pe[0x40 + 24] = 0x0B;  // PE32
    pe[0x40 + 25] = 0x01;
    pe.replace(0x40 + 24 + 92, 4, test::Le32(16));
    const std::string body = pe + signedPart + std::string(static_cast<size_t>(padding), '\0');
    pe.replace(0x40 + 24 + 96 + 4 * 8, 8, test::Le32(static_cast<int32_t>(body.size())) + test::Le32(16));
    return pe + signedPart + std::string(static_cast<size_t>(padding), '\0') + std::string(16, 'C');
}

TEST(ExeTrailer, IsFoundBeforeTheCertificateTableOfASignedProgram) {
    const int64_t program = 0x40 + 24 + 96 + 16 * 8;
    const std::string archive = "archive" + test::Le32(static_cast<int32_t>(program)) + "qr";
    EXPECT_EQ(TrailerOf(SignedProgram(archive, 0)), program);
    EXPECT_EQ(TrailerOf(SignedProgram(archive, 7)), program) << "padded to a multiple of 8";
    EXPECT_EQ(TrailerOf(SignedProgram(archive + "x", 2)), std::nullopt) << "padding that is not zeros";
    EXPECT_EQ(TrailerOf(SignedProgram("archive", 0)), std::nullopt) << "signed, but no archive";
}

}  // namespace
}  // namespace qi
