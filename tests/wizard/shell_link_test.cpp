#include "wizard/shell_link.h"

#include <gtest/gtest.h>

#include "base/path_helpers.h"
#include "platform/platform.h"
#include "support/scratch.h"

namespace qi {
namespace {

#ifdef _WIN32
const std::string kLinkExtension = ".lnk";
#else
const std::string kLinkExtension = ".desktop";
#endif

TEST(ShellLink, HotKeyWordMovesTheModifiers) {
    EXPECT_EQ(ShellHotKeyWord(scCtrl | scShift | 0x74), 0x0374);  // Ctrl+Shift+F5
    EXPECT_EQ(ShellHotKeyWord(scAlt | 'A'), 0x0441);
    EXPECT_EQ(ShellHotKeyWord(0x74), 0x0074);
    EXPECT_EQ(ShellHotKeyWord(0), 0);
    EXPECT_EQ(ShellHotKeyWord(0x1FFF), 0x1FFF);  // the low 13 bits pass unchanged
}

TEST(ShellLink, TargetFillsEmptyDescriptionAndWorkingFolder) {
    TShellLink link;
    link.SetFileName("C:\\Games\\Title\\game.exe");
    EXPECT_EQ(link.Description, "game");
    EXPECT_EQ(link.WorkDir, "C:\\Games\\Title");
    link.SetFileName("C:\\other.exe");  // set values stay
    EXPECT_EQ(link.Description, "game");
    EXPECT_EQ(link.WorkDir, "C:\\Games\\Title");

    TShellLink root;
    root.SetFileName("C:\\setup.exe");
    EXPECT_EQ(root.WorkDir, "C:\\");
    TShellLink assigned;
    assigned.AssignFileName("C:\\Games\\game.exe");
    EXPECT_EQ(assigned.Description, "");
    EXPECT_EQ(assigned.WorkDir, "");
}

// Each test works in a sub-folder of its own of the Programs menu.
class ShortcutFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        sub = std::string("QiShortcutTest-") + info->name();
        menu = AddBackslash(platform::SpecialFolder(platform::kCsidlCommonPrograms));
        ASSERT_NE(menu, "\\");
        DeleteShortcutFolder(lnkCommonPrograms, sub);
    }
    void TearDown() override { DeleteShortcutFolder(lnkCommonPrograms, sub); }
    std::string sub;
    std::string menu;
};

TEST_F(ShortcutFolder, LinksAreWrittenIntoTheSubFolderAndDeletedWithIt) {
    test::ScratchFolder install;
    test::WriteBytes(install / "game.exe", "MZ");
    CreateShortcut("Game", install / "game.exe", "", 0, 0, TWindowState::wsNormal, sub, lnkCommonPrograms,
                   install.Path(), "Game");
    CreateShortcut("Game のアンインストール", install / "install.exe", "", 1, 0, TWindowState::wsNormal, sub,
                   lnkCommonPrograms, install.Path(), "Game のアンインストール");
    std::string folder = menu + sub + "\\";
    ASSERT_TRUE(platform::FileExists(folder + "Game" + kLinkExtension));
    ASSERT_TRUE(platform::FileExists(folder + "Game のアンインストール" + kLinkExtension));
    std::string bytes = test::ReadBytes(folder + "Game" + kLinkExtension);
#ifdef _WIN32
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("L\0\0\0", 4));  // the shell-link header size
#else
    std::string native = platform::NativePath(install / "game.exe");
    EXPECT_NE(bytes.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(bytes.find("\nExec=wine \"" + native + "\"\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\nPath=" + platform::NativePath(install.Path())), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\nName=Game\n"), std::string::npos);
    EXPECT_NE(bytes.find("\nIcon=wine\n"), std::string::npos);
    std::string uninstall = test::ReadBytes(folder + "Game のアンインストール" + kLinkExtension);
    EXPECT_NE(uninstall.find("\nName=Game " + platform::Utf8FromCp932("のアンインストール") + "\n"), std::string::npos);
#endif

    // The menu itself is never touched without a sub-folder.
    test::WriteBytes(menu + sub + "-keep.txt", "keep");
    DeleteShortcutFolder(lnkCommonPrograms, "");
    EXPECT_TRUE(platform::FileExists(menu + sub + "-keep.txt"));
    DeleteShortcutFolder(lnkCommonPrograms, sub);
    EXPECT_FALSE(platform::DirectoryExists(folder));
    EXPECT_TRUE(platform::FileExists(menu + sub + "-keep.txt"));
    platform::RemoveFile(menu + sub + "-keep.txt");
}

TEST_F(ShortcutFolder, EmptyTargetPointsAtTheRunningProgram) {
    TShellLink link;
    link.LinkType = lnkCommonPrograms;
    link.SubDir = sub;
    link.Name = "Self";
    link.CreateLink();
    std::string program = platform::ModuleFileName();
    EXPECT_EQ(link.FileName(), program);
    std::string name = ExtractFileName(program);
    EXPECT_EQ(link.Description, name.substr(0, name.size() - ExtractFileExt(name).size()));
    EXPECT_TRUE(platform::FileExists(menu + sub + "\\Self" + kLinkExtension));
}

// A title from a game's settings names the sub-folder; one that climbs out
// must neither write nor delete outside the game's own folder.
TEST_F(ShortcutFolder, NamesThatLeaveTheMenuAreRefused) {
    test::ScratchFolder install;
    test::WriteBytes(menu + sub + "-keep.txt", "keep");
    for (const std::string bad : {"..", "..\\..\\Startup", "\\Rooted", "C:\\Elsewhere"}) {
        EXPECT_THROW(CreateShortcut("Game", install / "game.exe", "", 0, 0, TWindowState::wsNormal, bad,
                                    lnkCommonPrograms, install.Path(), "Game"),
                     EShellLinkError)
            << bad;
        DeleteShortcutFolder(lnkCommonPrograms, bad);
    }
    EXPECT_THROW(CreateShortcut("..\\Game", install / "game.exe", "", 0, 0, TWindowState::wsNormal, sub,
                                lnkCommonPrograms, install.Path(), "Game"),
                 EShellLinkError);
    EXPECT_TRUE(platform::FileExists(menu + sub + "-keep.txt"));
    EXPECT_FALSE(platform::FileExists(menu + "Game" + kLinkExtension));
    platform::RemoveFile(menu + sub + "-keep.txt");
}

TEST(ShellLink, MissingSpecialFolderIsReported) {
    TShellLink link;
    link.LinkType = lnkReserved5;
    link.Name = "x";
    EXPECT_THROW(link.CreateLink(), EShellLinkError);
}

TEST(FileOperation, FlagsAndOperations) {
    TFileOperation op;
    EXPECT_EQ(op.ShellFlags(), 0x40u | 0x80u);
    op.Options = {fofSilent, fofNoConfirmation, fofFilesOnly, fofWantMappingHandle, fofNoErrorUI, fofNoConfirmMkdir};
    EXPECT_EQ(op.ShellFlags(), 0x4u | 0x10u | 0x80u | 0x400u | 0x200u);

    test::ScratchFolder dir;
    test::WriteBytes(dir / "a.txt", "a");
    test::WriteBytes(dir / "b.txt", "b");
    EXPECT_FALSE(op.Execute(foCopy, ShellNameList({dir / "a.txt", dir / "b.txt"}), ShellNameList({dir / "copy"})));
    EXPECT_EQ(test::ReadBytes(dir / "copy\\a.txt"), "a");
    EXPECT_EQ(test::ReadBytes(dir / "copy\\b.txt"), "b");
    EXPECT_FALSE(op.Execute(foRename, ShellNameList({dir / "a.txt"}), ShellNameList({dir / "c.txt"})));
    EXPECT_EQ(test::ReadBytes(dir / "c.txt"), "a");
    EXPECT_FALSE(op.Execute(foDelete, ShellNameList({dir / "copy"}), ShellNameList({})));
    EXPECT_FALSE(platform::DirectoryExists(dir / "copy"));
    EXPECT_TRUE(platform::FileExists(dir / "b.txt"));

    // A move whose copy fails (its destination lies inside a file) keeps
    // what it could not copy.
    EXPECT_FALSE(op.Execute(foMove, ShellNameList({dir / "b.txt"}), ShellNameList({dir / "c.txt\\moved"})));
    EXPECT_EQ(test::ReadBytes(dir / "b.txt"), "b");
}

}  // namespace
}  // namespace qi
