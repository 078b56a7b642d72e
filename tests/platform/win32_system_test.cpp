// Windows-only: resources of system libraries.
#ifdef _WIN32
#include <gtest/gtest.h>

#include "platform/platform.h"

namespace qi::platform {
namespace {

TEST(Win32Resources, VersionResourceOfASystemLibrary) {
    // Every system library carries a version block (resource 1 of type 16)
    // that starts with three 16-bit words and the UTF-16 key "VS_VERSION_INFO".
    auto data = LoadModuleResource(SystemFolder() + "\\kernel32.dll", "#1", "#16");
    ASSERT_TRUE(data.has_value());
    ASSERT_GT(data->size(), 6u + 30u);
    std::string key;
    for (size_t i = 6; i < 36; i += 2) key += static_cast<char>((*data)[i]);
    EXPECT_EQ(key, "VS_VERSION_INFO");
    EXPECT_FALSE(LoadModuleResource(SystemFolder() + "\\kernel32.dll", "DUMMY", "BINTYPE"));
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
