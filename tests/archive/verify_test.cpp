// Checking a data file against the CRC-32 of its entries.
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "archive/vrfiles.h"
#include "support/scratch.h"

namespace qi {
namespace {

using test::Archive;
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
    auto entries = Checksummed(25);
    std::string bytes = Archive(entries, 102);
    test::WriteBytes(folder / "game.dat", bytes);
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");

    std::vector<int> indices;
    archive.OnProgress = [&](TVrFileCollection& sender, TVrFile* item, int64_t size, int index, int count, bool&) {
        EXPECT_EQ(&sender, &archive);
        EXPECT_EQ(item, &archive.Items(index));
        EXPECT_EQ(size, item->Size);
        EXPECT_EQ(count, 25);
        indices.push_back(index);
    };
    int failed = 0;
    EXPECT_TRUE(archive.Verify(&failed));
    EXPECT_EQ(failed, -1);
    EXPECT_EQ(indices, (std::vector<int>{9, 19}));

    size_t at = static_cast<size_t>(archive.Items(17).Offset + 3);
    bytes[at] = static_cast<char>(bytes[at] ^ 1);
    test::WriteBytes(folder / "bad.dat", bytes);
    TVrFileCollection bad;
    bad.Open(folder / "bad.dat");
    EXPECT_FALSE(bad.Verify(&failed));
    EXPECT_EQ(failed, 17);

    // Cancelled before reaching the damage: the result so far.
    bad.OnProgress = [](TVrFileCollection&, TVrFile*, int64_t, int, int, bool& cancel) { cancel = true; };
    EXPECT_TRUE(bad.Verify());
}

TEST(Verify, SkipsEntriesWithoutChecksumAndReplacedOnes) {
    ScratchFolder folder;
    auto entries = Checksummed(3);
    entries[0].checksum = 0;
    entries[1].checksum ^= 1;  // wrong, but the entry was replaced by a merge
    entries[1].name = "/" + entries[1].name;
    test::WriteBytes(folder / "game.dat", Archive(entries, 102));
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    EXPECT_TRUE(archive.Verify());

    TVrFileCollection closed;
    EXPECT_FALSE(closed.Verify()) << "no archive stream";
}

TEST(Verify, LastEntryIsCheckedAlsoWithoutTheEndSentinel) {
    ScratchFolder folder;
    auto entries = Checksummed(3);
    entries[2].checksum ^= 1;
    test::WriteBytes(folder / "game.dat", Archive(entries, 102));
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    int failed = 0;
    EXPECT_FALSE(archive.Verify(&failed));
    EXPECT_EQ(failed, 2);
    // After a merge the sentinel is gone and the last item is a real entry.
    archive.Delete(archive.IndexOf(kEOFEntryName));
    EXPECT_FALSE(archive.Verify(&failed));
    EXPECT_EQ(failed, 2);
}

TEST(Verify, EntryReachingPastTheDataFails) {
    ScratchFolder folder;
    test::WriteBytes(folder / "game.dat", Archive(Checksummed(2), 102));
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    TVrFile& added = archive.Add("far.txt");
    added.Offset = archive.Stream->GetSize() - 2;
    added.Size = int64_t{3} << 31;  // counted in 64 bits
    added.Checksum = 1;
    int failed = 0;
    EXPECT_FALSE(archive.Verify(&failed));
    EXPECT_EQ(failed, archive.Count() - 1);
}

}  // namespace
}  // namespace qi
