// Settings and archive carried by the program file itself: as a resource
// (on Linux an ELF section ".rsrc.BINTYPE.DUMMY") or appended to the file.
#ifndef _WIN32
#include <gtest/gtest.h>

#include "app/app_harness.h"
#include "support/elf_builder.h"

namespace qi {
namespace {

using test::WriteBytes;

class CarriedArchive : public test::AppTest {
protected:
    // The program file with a resource and, appended, an archive whose
    // settings start on another page.
    void Build(const std::string& resource) {
        WriteBytes(programFile, test::ElfWithSection(".rsrc.BINTYPE.DUMMY", resource));
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
