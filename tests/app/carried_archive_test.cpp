// Settings and archive carried by the program file itself: as a resource
// (on Linux an ELF section ".rsrc.BINTYPE.DUMMY") or appended to the file.
#ifndef _WIN32
#include <gtest/gtest.h>

#include "app/app_harness.h"

namespace qi {
namespace {

using test::WriteBytes;

void Put(std::string& bytes, size_t at, uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// A 64-bit relocatable ELF file with one section of the given name and data.
std::string ElfWithSection(const std::string& name, const std::string& data) {
    std::string bytes(64, '\0');
    const uint64_t dataOffset = bytes.size();
    bytes += data;
    const uint64_t namesOffset = bytes.size();
    const std::string names = std::string(1, '\0') + name + '\0' + ".shstrtab" + '\0';
    bytes += names;
    bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
    const size_t table = bytes.size();
    bytes.resize(table + 3 * 64, '\0');
    auto section = [&](size_t index, uint32_t nameAt, uint32_t type, uint64_t offset, uint64_t size) {
        size_t at = table + index * 64;
        Put(bytes, at, nameAt, 4);
        Put(bytes, at + 4, type, 4);
        Put(bytes, at + 24, offset, 8);
        Put(bytes, at + 32, size, 8);
    };
    section(1, 1, 1, dataOffset, data.size());
    section(2, static_cast<uint32_t>(name.size() + 2), 3, namesOffset, names.size());
    bytes.replace(0, 7, std::string("\x7F" "ELF") + '\x02' + '\x01' + '\x01');
    Put(bytes, 16, 1, 2);
    Put(bytes, 18, 62, 2);
    Put(bytes, 20, 1, 4);
    Put(bytes, 40, table, 8);
    Put(bytes, 52, 64, 2);
    Put(bytes, 58, 64, 2);
    Put(bytes, 60, 3, 2);
    Put(bytes, 62, 2, 2);
    return bytes;
}

class CarriedArchive : public test::AppTest {
protected:
    // The program file with a resource and, appended, an archive whose
    // settings start on another page.
    void Build(const std::string& resource) {
        WriteBytes(programFile, ElfWithSection(".rsrc.BINTYPE.DUMMY", resource));
        settings.LicenseText = "license";
        WriteBytes(work / "appended.pak", ArchiveBytes());
        AppendArchiveToExe(programFile, work / "appended.pak");
        settings.LicenseText.clear();
    }
    test::ScratchFolder work;
};

TEST_F(CarriedArchive, AResourceArchiveIsPreferredToAnAppendedOne) {
    settings.HelloText = "hello";
    Build(ArchiveBytes());
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.End, SetupEnd::Finished);
    EXPECT_TRUE(app->ResourceArchive());
    EXPECT_FALSE(app->AppendedArchive());
    EXPECT_EQ(host.wizardPages, std::vector<std::string>{"Hello"});
    EXPECT_EQ(host.wizardArchives, std::vector<int>{3});
}

TEST_F(CarriedArchive, AResourceThatIsNoArchiveIsIgnored) {
    Build("not an archive");
    SetupOutcome outcome = Run({disc.Path()});
    EXPECT_EQ(outcome.End, SetupEnd::Finished);
    EXPECT_FALSE(app->ResourceArchive());
    EXPECT_TRUE(app->AppendedArchive());
    EXPECT_EQ(host.wizardPages, std::vector<std::string>{"License"});
}

// An update package named as Linux programs are named opens the archive it
// carries through its trailer and reaches the wizard.
TEST_F(CarriedArchive, AnUpdateWithoutExtensionReachesTheWizard) {
    settings.UpdateMode = true;
    programFile = disc / "update";
    WriteBytes(programFile, "\x7F" "ELF update program");
    WriteBytes(work / "appended.pak", ArchiveBytes());
    AppendArchiveToExe(programFile, work / "appended.pak");
    SetupOutcome outcome = Run();
    EXPECT_EQ(outcome.End, SetupEnd::Finished) << (host.errors.empty() ? "" : host.errors[0]);
    EXPECT_TRUE(app->AppendedArchive());
    EXPECT_EQ(host.wizardArchives, std::vector<int>{3});
}

}  // namespace
}  // namespace qi
#endif
