// Services around the files: named mutexes, the shell, resources of program
// files and the folders the system asks for by purpose.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/platform.h"

namespace qi::platform {
namespace {

std::string UniqueName(const std::string& stem) {
    return stem + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

TEST(NamedMutexes, OneHolderAtATime) {
    std::string name = UniqueName("C:-GAMES-QI-TEST-");
    EXPECT_FALSE(MutexExists(name));
    {
        auto first = CreateNamedMutex(name);
        ASSERT_TRUE(first);
        EXPECT_TRUE(MutexExists(name));
        EXPECT_FALSE(CreateNamedMutex(name));
        EXPECT_TRUE(MutexExists(name));  // the refused second start leaves the first one's mutex
        EXPECT_FALSE(MutexExists(name + "-other"));
    }
    EXPECT_FALSE(MutexExists(name));
    EXPECT_TRUE(CreateNamedMutex(name));
}

TEST(Shell, OpeningAMissingFileReportsFileNotFound) {
    EXPECT_EQ(ShellOpen(TempFolder() + UniqueName("qi-missing-") + ".exe", "", ""), 2);
}

TEST(Resources, MissingModulesAndResourcesGiveNothing) {
    EXPECT_FALSE(LoadModuleResource(TempFolder() + UniqueName("qi-missing-") + ".exe", "DUMMY", "BINTYPE"));
    EXPECT_FALSE(LoadModuleResource(ModuleFileName(), "DUMMY", "BINTYPE"));
}

TEST(KnownFolders, FoldersExistAndTheProgramIsFound) {
    std::string temp = TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(DirectoryExists(temp));
    EXPECT_TRUE(DirectoryExists(WindowsFolder()));
    EXPECT_TRUE(DirectoryExists(SystemFolder()));
    for (int csidl : {kCsidlPrograms, kCsidlAppData, kCsidlLocalAppData, kCsidlProgramFiles, kCsidlPersonal}) {
        std::string folder = SpecialFolder(csidl);
        EXPECT_TRUE(DirectoryExists(folder)) << csidl << ": " << folder;
    }
    EXPECT_TRUE(FileExists(ModuleFileName()));
    EXPECT_NE(ModuleFileName().find("test_platform"), std::string::npos);
}

}  // namespace
}  // namespace qi::platform
