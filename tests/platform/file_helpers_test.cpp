// The file helpers over the platform layer: listing folders.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "support/scratch.h"

namespace qi {
namespace {

TEST(ListFiles, CollectsFilesRecursivelyWithFilter) {
    test::ScratchFolder dir;
    platform::CreateFolders(dir / "sub\\deeper");
    test::WriteBytes(dir / "a.exe", "1");
    test::WriteBytes(dir / "b.TXT", "2");
    test::WriteBytes(dir / "sub\\c.EXE", "3");
    test::WriteBytes(dir / "sub\\deeper\\d.dat", "4");

    std::vector<std::string> files;
    ListFiles(dir.Path(), {}, files);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{dir / "a.exe", dir / "b.TXT"}));

    ListFilesOptions exe;
    exe.extension = ".exe";
    exe.recurse = true;
    exe.clearList = true;
    ListFiles(dir.Path(), exe, files);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{dir / "a.exe", dir / "sub\\c.EXE"}));

    ListFilesOptions folders;
    folders.mask = platform::kAttrDirectory;
    folders.includePlain = false;
    folders.recurse = true;
    folders.clearList = true;
    ListFiles(dir.Path().substr(0, dir.Path().size() - 1), folders, files);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{dir / "sub", dir / "sub\\deeper\\"}));

    ListFiles(dir / "missing", {}, files);
    EXPECT_EQ(files.size(), 2u);
}

TEST(ListFiles, ClearAttributesMakesFilesWritable) {
    test::ScratchFolder dir;
    test::WriteBytes(dir / "locked.txt", "x");
    platform::SetAttributes(dir / "locked.txt", platform::kAttrReadOnly);
    ListFilesOptions options;
    options.clearAttributes = true;
    std::vector<std::string> files;
    ListFiles(dir.Path(), options, files);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(platform::GetAttributes(files[0]) & platform::kAttrReadOnly, 0u);
}

}  // namespace
}  // namespace qi
