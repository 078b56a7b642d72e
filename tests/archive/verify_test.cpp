// Checking a data file against the CRC-32 of its entries.
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "archive/vrfiles.h"
#include "support/scratch.h"

namespace qi {
namespace {

using test::ScratchFolder;
using test::TestEntry;

std::vector<TestEntry> Checksummed(int count) {
    std::vector<TestEntry> entries;
    for (int i = 0; i < count; ++i) {
        std::string content = "entry " + std::to_string(i) + std::string(static_cast<size_t>(i * 13), 'c');
        entries.push_back({"e" + std::to_string(i) + ".txt", content, true, 0, test::Crc(content)});
    }
    return entries;
}

TEST(Verify, FlippedByteFailsAtItsEntryAndProgressComesEveryTenth) {
    ScratchFolder folder;
    std::string bytes = test::Archive(Checksummed(25), 102);
    test::WriteBytes(folder / "game.dat", bytes);
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    std::vector<int> indices;
    archive.OnProgress = [&](TVrFileCollection&, TVrFile* item, int64_t size, int index, int count, bool&) {
        EXPECT_EQ(item, &archive.Items(index));
        EXPECT_EQ(size, item->Size);
        EXPECT_EQ(count, 25);
        indices.push_back(index);
    };
    int failed = 0;
    EXPECT_TRUE(archive.Verify(&failed));
    EXPECT_EQ(failed, -1);
    EXPECT_EQ(indices, (std::vector<int>{9, 19}));

    bytes[static_cast<size_t>(archive.Items(17).Offset + 3)] ^= 1;
    test::WriteBytes(folder / "bad.dat", bytes);
    TVrFileCollection bad;
    bad.Open(folder / "bad.dat");
    for (int jobs : {1, 3}) {  // checked ahead on worker threads: the same first failure
        bad.Jobs = jobs;
        EXPECT_FALSE(bad.Verify(&failed));
        EXPECT_EQ(failed, 17);
    }
    // Cancelled before reaching the damage: the result so far.
    bad.OnProgress = [](TVrFileCollection&, TVrFile*, int64_t, int, int, bool& cancel) { cancel = true; };
    EXPECT_TRUE(bad.Verify());
}

TEST(Verify, WhichEntriesAreChecked) {
    ScratchFolder folder;
    auto entries = Checksummed(4);
    entries[0].checksum = 0;   // none to check
    entries[1].checksum ^= 1;  // wrong, but the entry was replaced by a merge
    entries[1].name = "/" + entries[1].name;
    entries[3].checksum ^= 1;  // wrong, and the last entry
    test::WriteBytes(folder / "game.dat", test::Archive(entries, 102));
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    int failed = 0;
    EXPECT_FALSE(archive.Verify(&failed));
    EXPECT_EQ(failed, 3);
    // After a merge the sentinel is gone and the last item is a real entry.
    archive.Delete(archive.IndexOf(kEOFEntryName));
    EXPECT_FALSE(archive.Verify(&failed));
    EXPECT_EQ(failed, 3);
    archive.Delete(3);
    EXPECT_TRUE(archive.Verify());

    // An entry reaching past the data (sizes counted in 64 bits) fails.
    TVrFile& far = archive.Add("far.txt");
    far.Offset = archive.Stream->GetSize() - 2;
    far.Size = int64_t{3} << 31;
    far.Checksum = 1;
    EXPECT_FALSE(archive.Verify(&failed));
    EXPECT_EQ(failed, 3);

    TVrFileCollection closed;
    EXPECT_FALSE(closed.Verify()) << "no archive stream";
}

}  // namespace
}  // namespace qi
