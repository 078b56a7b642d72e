// Windows-only services: named mutexes, the shell, resources of program files.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <chrono>

#include "platform/platform.h"

namespace qi::platform {
namespace {

std::string UniqueName(const std::string& stem) {
    return stem + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

TEST(Win32Mutex, OneHolderAtATime) {
    std::string name = UniqueName("C:-GAMES-QI-TEST-");
    EXPECT_FALSE(MutexExists(name));
    {
        auto first = CreateNamedMutex(name);
        ASSERT_TRUE(first);
        EXPECT_TRUE(MutexExists(name));
        EXPECT_FALSE(CreateNamedMutex(name));
        EXPECT_TRUE(MutexExists(name));  // the refused second start leaves the first one's mutex
    }
    EXPECT_FALSE(MutexExists(name));
    EXPECT_TRUE(CreateNamedMutex(name));
}

TEST(Win32Shell, OpeningAMissingFileReportsFileNotFound) {
    EXPECT_EQ(ShellOpen(TempFolder() + UniqueName("qi-missing-") + ".exe", "", ""), 2);
}

TEST(Win32Resources, VersionResourceOfASystemLibrary) {
    // Every system library carries a version block (resource 1 of type 16)
    // that starts with three 16-bit words and the UTF-16 key "VS_VERSION_INFO".
    auto data = LoadModuleResource(SystemFolder() + "\\kernel32.dll", "#1", "#16");
    ASSERT_TRUE(data.has_value());
    ASSERT_GT(data->size(), 6u + 30u);
    std::string key;
    for (size_t i = 6; i < 36; i += 2) key += static_cast<char>((*data)[i]);
    EXPECT_EQ(key, "VS_VERSION_INFO");
}

TEST(Win32Resources, MissingModuleOrResourceGivesNothing) {
    EXPECT_FALSE(LoadModuleResource(TempFolder() + UniqueName("qi-missing-") + ".exe", "DUMMY", "BINTYPE"));
    EXPECT_FALSE(LoadModuleResource(ModuleFileName(), "DUMMY", "BINTYPE"));
    EXPECT_FALSE(LoadModuleResource(SystemFolder() + "\\kernel32.dll", "DUMMY", "BINTYPE"));
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
