// The file helpers over the platform layer: listing folders.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

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

#ifndef _WIN32
// Links that lead back up (a -> ., b -> .) would make the walk endless, and
// a tree deeper than any Windows path is not walked to its bottom.
TEST(ListFiles, WalksStopAtLinksAndAtAFixedDepth) {
    test::ScratchFolder dir;
    std::string deepest;
    for (int level = 0; level <= kMaxFolderDepth; ++level) deepest += "d\\";
    ASSERT_TRUE(platform::CreateFolders(dir / deepest));
    test::WriteBytes(dir / "top.txt", "1");
    test::WriteBytes(dir / "d\\one.txt", "2");
    test::WriteBytes(dir / (deepest + "bottom.txt"), "3");
    for (const char* name : {"a", "b"}) ASSERT_EQ(symlink(".", platform::NativePath(dir / name).c_str()), 0);

    ListFilesOptions all;
    all.recurse = true;
    all.mask = platform::kAttrArchive;  // files (and links) only
    std::vector<std::string> files;
    ListFiles(dir.Path(), all, files);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{dir / "a", dir / "b", dir / "d\\one.txt", dir / "top.txt"}));
    std::vector<std::string> below = FilesBelow(dir.Path());
    std::sort(below.begin(), below.end());
    EXPECT_EQ(below, (std::vector<std::string>{"a", "b", "d\\one.txt", "top.txt"}));
}
#endif

}  // namespace
}  // namespace qi
