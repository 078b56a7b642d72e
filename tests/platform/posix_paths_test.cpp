// How Windows paths land on Linux: the drives, the roots chosen by the
// environment, relative paths, case-insensitive names and host names that
// have no Windows form.
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.h"
#include "posix_environment.h"
#include "support/scratch.h"

namespace qi::platform {
namespace {

using test::PrivateRoot;
using test::ScopedVariable;
using test::ScratchFolder;

const std::string kInstall = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B";  // "インストール"

std::string Canonical(const std::string& native) { return std::filesystem::canonical(native).string(); }

void TouchHostFile(const std::string& native) {
    int fd = open(native.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0) << native;
    close(fd);
}

TEST(PosixDrives, DriveCIsAFolderOfTheRootLaidOutLikeWindows) {
    PrivateRoot root;
    const std::string driveC = Canonical(root.Folder()) + "/drive_c";
    EXPECT_EQ(NativePath("C:\\"), driveC);
    EXPECT_EQ(NativePath("c:"), driveC);
    for (std::string folder : {"C:\\Program Files", "C:\\windows\\system32", "C:\\windows\\temp"}) {
        EXPECT_TRUE(DirectoryExists(folder)) << folder;
    }
    EXPECT_EQ(TempFolder(), "C:\\windows\\temp\\");
    EXPECT_EQ(SpecialFolder(kCsidlProgramFiles), "C:\\Program Files");
    std::string appData = SpecialFolder(kCsidlAppData);
    EXPECT_TRUE(appData.starts_with("C:\\users\\") && appData.ends_with("\\AppData\\Roaming")) << appData;
    EXPECT_EQ(SpecialFolder(kCsidlPrograms), FromNativePath(root.Folder() + "/applications"));
    EXPECT_EQ(SpecialFolder(kCsidlCommonPrograms), SpecialFolder(kCsidlPrograms));
    EXPECT_EQ(SpecialFolder(0x7F), "");
}

TEST(PosixDrives, DriveZIsTheHostRootAndPathsMapBack) {
    PrivateRoot root;
    const std::string driveC = NativePath("C:\\");
    EXPECT_EQ(NativePath("Z:\\etc\\passwd"), "/etc/passwd");
    EXPECT_EQ(NativePath("z:/etc/"), "/etc");
    EXPECT_EQ(FromNativePath("/etc/passwd"), "Z:\\etc\\passwd");
    EXPECT_EQ(FromNativePath("/"), "Z:\\");
    EXPECT_EQ(FromNativePath(driveC), "C:\\");
    EXPECT_EQ(FromNativePath(driveC + "/windows/../Program Files/"), "C:\\Program Files");
    EXPECT_EQ(NativePath("C:\\" + kInstall), driveC + "/\xE3\x82\xA4\xE3\x83\xB3\xE3\x82\xB9\xE3\x83\x88\xE3\x83\xBC\xE3\x83\xAB");
    EXPECT_EQ(FromNativePath(NativePath("C:\\" + kInstall + "\\x")), "C:\\" + kInstall + "\\x");
    EXPECT_EQ(NativePath("C:\\..\\..\\windows"), driveC + "/windows");  // never above the drive
    EXPECT_TRUE(ModuleFileName().starts_with("Z:\\"));
}

TEST(PosixDrives, OtherDrivesExistOnlyAsLinksInDosdevices) {
    PrivateRoot root;
    EXPECT_FALSE(DirectoryExists("D:\\"));
    EXPECT_FALSE(CreateFolders("D:\\Games\\Title"));
    EXPECT_FALSE(FreeDiskSpace("D:\\Games"));
    EXPECT_FALSE(std::filesystem::exists(root.Folder() + "/dosdevices"));

    ScratchFolder target;
    std::filesystem::create_directories(root.Folder() + "/dosdevices");
    std::filesystem::create_directory_symlink(NativePath(target.Path()), root.Folder() + "/dosdevices/d:");
    test::WriteBytes("d:\\disc.txt", "on the disc");
    EXPECT_EQ(test::ReadBytes(target / "disc.txt"), "on the disc");
    EXPECT_TRUE(FreeDiskSpace("D:\\").has_value());
}

TEST(PosixDrives, RelativePathsFollowTheCurrentDirectory) {
    ScratchFolder scratch;
    const std::string folder = NativePath(scratch.Path());
    const std::string saved = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(folder.c_str()), 0);
    test::WriteBytes("relative.txt", "r");
    EXPECT_EQ(NativePath("sub\\..\\relative.txt"), folder + "/relative.txt");
    EXPECT_EQ(NativePath("\\windows"), NativePath("C:\\windows"));  // the current directory's drive
    EXPECT_EQ(FromNativePath("relative.txt"), scratch / "relative.txt");
    ASSERT_EQ(chdir(saved.c_str()), 0);
    EXPECT_EQ(test::ReadBytes(scratch / "relative.txt"), "r");
}

TEST(PosixDrives, TheEnvironmentChoosesTheRoots) {
    PrivateRoot scratch;
    const std::string base = Canonical(scratch.Folder());
    ScopedVariable sandbox("QINSTALL_ROOT", std::nullopt);
    ScopedVariable prefix("WINEPREFIX", base + "/prefix");
    ScopedVariable data("XDG_DATA_HOME", base + "/data");
    ScopedVariable runtime("XDG_RUNTIME_DIR", base + "/runtime");
    std::filesystem::create_directory(base + "/runtime");

    EXPECT_EQ(NativePath("C:\\"), base + "/prefix/drive_c");
    EXPECT_EQ(SpecialFolder(kCsidlPrograms), FromNativePath(base + "/data/applications"));
    ASSERT_TRUE(OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker", true));
    EXPECT_TRUE(std::filesystem::exists(base + "/data/qinstall/registry.txt"));  // not in the Wine prefix
    auto mutex = CreateNamedMutex("Title");
    ASSERT_TRUE(mutex);
    EXPECT_TRUE(std::filesystem::exists(base + "/runtime/qinstall/mutex-Title"));

    ScopedVariable noPrefix("WINEPREFIX", std::nullopt);
    EXPECT_EQ(NativePath("C:\\"), base + "/data/qinstall/drive_c");
}

TEST(PosixNames, ComponentsResolveIgnoringCaseBeforeNewOnesAreAdded) {
    PrivateRoot root;
    const std::string driveC = NativePath("C:\\");
    std::filesystem::create_directories(driveC + "/Program Files/Maker");
    EXPECT_EQ(NativePath("c:\\PROGRAM FILES\\maker\\New Game\\Setup.EXE"),
              driveC + "/Program Files/Maker/New Game/Setup.EXE");
    ASSERT_TRUE(CreateFolders("C:\\program files\\MAKER\\New Game"));
    EXPECT_TRUE(std::filesystem::is_directory(driveC + "/Program Files/Maker/New Game"));
}

// The program's own renames and deletions keep a folder's names matching
// without the folder being read again; a change from outside is seen too.
TEST(PosixNames, NamesMatchAfterTheProgramsRenamesAndDeletions) {
    ScratchFolder scratch;
    const std::string folder = NativePath(scratch.Path());
    test::WriteBytes(scratch / "Voice.ogg", "a");
    EXPECT_EQ(NativePath(scratch / "VOICE.OGG"), folder + "/Voice.ogg");
    ASSERT_TRUE(RenameFile(scratch / "voice.ogg", scratch / "Clip.OGG"));
    EXPECT_EQ(NativePath(scratch / "clip.ogg"), folder + "/Clip.OGG");
    EXPECT_FALSE(FileExists(scratch / "VOICE.ogg"));
    test::WriteBytes(scratch / "clip.Ogg.~tmp", "b");
    ASSERT_TRUE(RenameFile(scratch / "CLIP.OGG.~TMP", scratch / "CLIP.ogg"));  // replaces Clip.OGG
    EXPECT_EQ(test::ReadBytes(scratch / "clip.ogg"), "b");
    EXPECT_FALSE(FileExists(scratch / "clip.ogg.~tmp"));
    ASSERT_TRUE(RemoveFile(scratch / "cLiP.oGg"));
    EXPECT_FALSE(FileExists(scratch / "clip.ogg"));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    usleep(20000);  // past the resolution of the folder's time
    TouchHostFile(folder + "/Outside.ogg");
    EXPECT_TRUE(FileExists(scratch / "OUTSIDE.OGG"));
}

TEST(PosixNames, HostNamesWithoutAWindowsFormAreNotListed) {
    ScratchFolder scratch;
    const std::string folder = NativePath(scratch.Path());
    // A name with "\", one with "¥" (which would turn into "\"), broken UTF-8.
    for (std::string name : {"ok.txt", "a\\b", "yen\xC2\xA5", "bad\xFF"}) TouchHostFile(folder + "/" + name);
    std::vector<std::string> leftOut;
    auto entries = ListDirectory(scratch.Path(), &leftOut);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "ok.txt");
    EXPECT_EQ(leftOut.size(), 3u);
    EXPECT_THROW(FromNativePath(folder + "/a\\b"), Error);
    EXPECT_THROW(Cp932FromUtf8("\xC2\xA5"), Error);      // "¥"
    EXPECT_THROW(Cp932FromUtf8("\xE3\x80\x9C"), Error);  // "〜", stored as the code of "～"
    for (std::string name : {"a\\b", "yen\xC2\xA5", "bad\xFF"}) std::filesystem::remove(folder + "/" + name);
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
