#include <gtest/gtest.h>

#include "wizard/run_harness.h"
#include "wizard/work_folder.h"

namespace qi {
namespace {

using test::Dos;
using test::Entry;
using test::ReadBytes;

class UpdateRun : public test::RunTest {
protected:
    // The disc folder now carries an update package of the same game.
    void NewPackage(const std::vector<test::TestEntry>& entries,
                    const std::vector<std::pair<std::string, std::string>>& files = {}) {
        form.reset();
        archive.reset();
        settings.UpdateMode = true;
        settings.Installed = false;
        settings.InstalledFiles.clear();
        settings.SourceFiles.clear();
        PutSourceFiles(files);
        PutArchive(entries);
    }
    // Runs the package's copy page with the data component left unchosen.
    TFormType& RunUpdate() {
        TFormType& f = Create();
        EXPECT_FALSE(f.CheckData.Checked);
        f.ShowPage(WizardPage::Copy);
        return f;
    }
};

// An installation with its settings file and data file: the package's
// archive is merged in, its files are added to the record, and the
// installed project file is kept under its original name once.
TEST_F(UpdateRun, InstalledDataFileTakesTwoUpdates) {
    PutSourceFiles({{"game.exe", "exe"}});
    PutArchive({Entry("quor.qpb", "first project", Dos(2020, 1, 1)), Entry("a.txt", "a", Dos(2020, 1, 1))});
    Install();
    ASSERT_EQ(PageName(*form), "exit");
    const int installedCount = Saved().InstalledFileCount();

    NewPackage({Entry("quor.qpb", "second project", Dos(2021, 1, 1)), Entry("b.txt", "b", Dos(2021, 1, 1))},
               {{"patch.txt", "patch"}, {"bgm.ogg", "sound"}});
    TFormType& f = RunUpdate();
    EXPECT_TRUE(boxes.asked.empty());
    EXPECT_EQ(PageName(f), "exit");
    EXPECT_EQ(DataEntry("/original_quor.qpb"), "first project");
    EXPECT_EQ(DataEntry("quor.qpb"), "second project");
    EXPECT_EQ(DataEntry("a.txt"), "a");
    EXPECT_EQ(DataEntry("b.txt"), "b");
    EXPECT_EQ(ReadBytes(target / "bgm.ogg"), "sound");  // no component filter in an update
    TQuorInstallSet saved = Saved();
    EXPECT_FALSE(saved.UpdateMode);  // the installed settings, not the package's
    EXPECT_TRUE(Listed(saved, "patch.txt"));
    EXPECT_TRUE(Listed(saved, "bgm.ogg"));
    EXPECT_EQ(saved.InstalledFileCount(), installedCount + 2);
    EXPECT_EQ(pump.openedFolders.size(), 1u);  // only the installation made shortcuts

    NewPackage({Entry("quor.qpb", "third project", Dos(2022, 1, 1))});
    RunUpdate();
    EXPECT_EQ(PageName(*form), "exit");
    EXPECT_EQ(DataEntry("/original_quor.qpb"), "first project");
    EXPECT_EQ(DataEntry("quor.qpb"), "third project");
    TVrFileCollection data;
    data.Open(target / "game.dat");
    EXPECT_TRUE(data.Verify());
}

TEST_F(UpdateRun, PlainFilesOnlyMakeNoDataFile) {
    PutSourceFiles({{"game.exe", "exe"}});
    Create().ShowPage(WizardPage::Copy);  // installed without the data component
    ASSERT_EQ(PageName(*form), "exit");
    NewPackage({}, {{"game.exe", "exe 2"}});
    platform::RemoveFile(disc / "game.dat");
    RunUpdate();
    EXPECT_EQ(PageName(*form), "exit");
    EXPECT_EQ(ReadBytes(target / "game.exe"), "exe 2");
    EXPECT_FALSE(platform::FileExists(target / "game.dat"));
    EXPECT_FALSE(Listed(Saved(), "game.dat"));
}

// A game kept as one executable with its data appended.
class ExecutableUpdate : public UpdateRun {
protected:
    void SetUp() override {
        UpdateRun::SetUp();
        TMemoryStream image;
        settings.SaveToStream(image);
        std::string settingsImage(image.Bytes().begin(), image.Bytes().end());
        installed = test::ExecutableWith(
            program, test::Archive({Entry("install.dat", settingsImage, Dos(2020, 1, 1)),
                                    Entry("a.txt", "old a", Dos(2020, 1, 1)), Entry("b.txt", "b", Dos(2020, 1, 1))},
                                   102));
        test::WriteBytes(target / "game.exe", installed);
        temp = AddBackslash(platform::TempFolder());
    }
    std::string AppendedEntry(const std::string& exe, const std::string& name) const {
        TVrFileCollection data;
        data.Open(exe);
        TMemoryStream content;
        data.ExtractToStream(content, name);
        return std::string(content.Bytes().begin(), content.Bytes().end());
    }
    const std::string program = std::string("MZ\0\1program part", 17);
    std::string installed;
    std::string temp;
};

TEST_F(ExecutableUpdate, ArchiveRebuiltBehindTheSameProgram) {
    // Earlier work folders are left alone; this run takes the next free name.
    platform::CreateFolders(temp + "~qkupdate\\");
    platform::CreateFolders(temp + "~qkupdate2\\");
    platform::RemoveFolder(temp + "~qkupdate3\\");
    NewPackage({Entry("a.txt", "new a", Dos(2021, 1, 1)), Entry("c.txt", "c", Dos(2021, 1, 1))},
               {{"patch.txt", "patch"}});
    bool workFolderSeen = false;
    pump.onMessages = [&] { workFolderSeen = workFolderSeen || platform::DirectoryExists(temp + "~qkupdate3\\"); };
    TFormType& f = RunUpdate();
    bool leftOver = platform::DirectoryExists(temp + "~qkupdate3\\");
    platform::RemoveFolder(temp + "~qkupdate\\");
    platform::RemoveFolder(temp + "~qkupdate2\\");

    EXPECT_TRUE(boxes.asked.empty());
    EXPECT_EQ(PageName(f), "exit");
    EXPECT_TRUE(workFolderSeen);
    EXPECT_FALSE(leftOver);
    std::string updated = ReadBytes(target / "game.exe");
    EXPECT_EQ(updated.substr(0, program.size()), program);
    EXPECT_EQ(updated.substr(updated.size() - 6), test::Le32(static_cast<int32_t>(program.size())) + "qr");
    EXPECT_EQ(AppendedEntry(target / "game.exe", "a.txt"), "new a");
    EXPECT_EQ(AppendedEntry(target / "game.exe", "b.txt"), "b");
    EXPECT_EQ(AppendedEntry(target / "game.exe", "c.txt"), "c");
    EXPECT_EQ(ReadBytes(target / "patch.txt"), "patch");
    // Nothing is recorded for a game without settings file.
    EXPECT_FALSE(platform::FileExists(target / "install.dat"));
    EXPECT_EQ(settings.GetValue("InstallPath", ""), "");
}

TEST_F(ExecutableUpdate, PackageBringsANewProgram) {
    const std::string newProgram = "MZ new program";
    NewPackage({Entry("game.exe", newProgram, Dos(2021, 1, 1), 1), Entry("c.txt", "c", Dos(2021, 1, 1))});
    settings.ExtractFiles = true;  // the new program is not written out as a loose file
    RunUpdate();
    EXPECT_EQ(PageName(*form), "exit");
    std::string updated = ReadBytes(target / "game.exe");
    EXPECT_EQ(updated.substr(0, newProgram.size()), newProgram);
    EXPECT_EQ(AppendedEntry(target / "game.exe", "a.txt"), "old a");
    EXPECT_EQ(AppendedEntry(target / "game.exe", "c.txt"), "c");
    EXPECT_FALSE(AppendedEntry(target / "game.exe", "install.dat").empty());
}

// Runs that cannot finish leave the installed program as it was: a package
// that processes no disc, and a new program that cannot take the installed
// one's place.
TEST_F(ExecutableUpdate, AnUpdateThatCannotFinishLeavesTheGameUntouched) {
    NewPackage({Entry("a.txt", "new a", Dos(2021, 1, 1))});
    settings.SetDiscCount(0);
    EXPECT_THROW(RunUpdate(), Error);
    EXPECT_EQ(ReadBytes(target / "game.exe"), installed);

    NewPackage({Entry("a.txt", "new a", Dos(2021, 1, 1))});
    ASSERT_TRUE(platform::CreateFolders(target / "game.exe.new"));  // the copy beside it cannot be made
    EXPECT_THROW(RunUpdate(), Error);
    platform::RemoveFolder(target / "game.exe.new");
    EXPECT_EQ(ReadBytes(target / "game.exe"), installed);
}

TEST(WorkFolder, EachCallGetsAFolderOfItsOwn) {
    test::ScratchFolder parent;
    const std::string first = CreateWorkFolder("~work", parent.Path());
    EXPECT_EQ(first, parent / "~work\\");
    EXPECT_EQ(CreateWorkFolder("~work", parent.Path()), parent / "~work2\\");
    test::WriteBytes(parent / "file", "not a folder");
    EXPECT_THROW(CreateWorkFolder("~work", parent / "file"), Error);
}

}  // namespace
}  // namespace qi
