// Writing archives, merging updates into a data file, the compression
// decision and appending an archive to a program file.
#include <gtest/gtest.h>

#include <random>

#include "archive/archive_builder.h"
#include "archive/vrfiles.h"
#include "platform/platform.h"
#include "support/scratch.h"

namespace qi {
namespace {

using test::Archive;
using test::Extract;
using test::ScratchFolder;
using test::TestEntry;

std::string Noise(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

bool Compresses(const std::string& name, const std::string& content) {
    TVrFile item;
    item.SetName(name);
    TMemoryStream m;
    m.WriteBuffer(content.data(), static_cast<int64_t>(content.size()));
    m.SetPosition(0);
    return ShouldCompress(item, m);
}

std::string VexaImage(const char* signature, uint8_t storageMode, int32_t headerSize = 40) {
    std::string header(40, '\0');
    header[22] = static_cast<char>(storageMode);
    return std::string(signature) + test::Le32(headerSize) + header;
}

TEST(ShouldCompress, MediaLargeContentsAndLayeredImages) {
    std::string small(10240, 't');
    EXPECT_FALSE(Compresses("movie\\intro.mpg", small));
    EXPECT_FALSE(Compresses("other.DAT", small));
    EXPECT_TRUE(Compresses("README", small)) << "no extension";
    EXPECT_TRUE(Compresses("script.txt", small));
    EXPECT_FALSE(Compresses("odd.mp", small)) << ".MP occurs inside the media list";
    EXPECT_FALSE(Compresses("odd.a", small));
    EXPECT_FALSE(Compresses("text.txt", std::string(5242880, 't')));
    EXPECT_TRUE(Compresses("text.txt", std::string(5242879, 't')));

    EXPECT_TRUE(Compresses("bg.vxa", VexaImage("Vexa103", 1)));
    EXPECT_TRUE(Compresses("bg.VXA", VexaImage("Vexa106", 1, 1000))) << "header larger than the record";
    EXPECT_FALSE(Compresses("bg.vxa", VexaImage("Vexa106", 0)));
    EXPECT_FALSE(Compresses("bg.vxa", VexaImage("Vexa106", 2)));
    EXPECT_FALSE(Compresses("bg.vxa", VexaImage("Vexa106", 1, 20))) << "mode lies beyond a short header";
    EXPECT_FALSE(Compresses("bg.vxa", "Vexa102" + std::string(60, '\x01')));
    EXPECT_FALSE(Compresses("bg.vxa", std::string(60, '\x01')));
    EXPECT_THROW(Compresses("bg.vxa", VexaImage("Vexa1x3", 1)), Error);
}

TEST(WriteArchive, DirectoryTablesAndProgress) {
    ScratchFolder folder;
    test::WriteBytes(folder / "a.txt", std::string(4000, 'a'));
    test::WriteBytes(folder / "b.txt", Noise(300, 1));
    platform::SetFileDosTime(folder / "a.txt", 0x5A2B1C3D);
    TVrFileCollection source;
    source.BasePath = folder.Path();
    source.Add("a.txt");
    source.Add("b.txt").LooseFile = 1;
    source.Add(kEOFEntryName);

    struct Call {
        int index, count;
        int64_t size;
    };
    std::vector<Call> calls;
    source.OnProgress = [&](TVrFileCollection&, TVrFile*, int64_t size, int index, int count, bool&) {
        calls.push_back({index, count, size});
    };
    {
        TQsBigFileStream out(folder / "out.dat", fmCreate);
        ASSERT_TRUE(source.WriteArchive(out));
    }
    std::string bytes = test::ReadBytes(folder / "out.dat");
    EXPECT_EQ(bytes.substr(0, 10), "vf" + test::Le32(102) + test::Le32(2));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].size, 0);
    EXPECT_EQ(calls[1].index, 0);
    EXPECT_EQ(calls[1].count, 3);
    EXPECT_EQ(calls[3].index, 1);

    TVrFileCollection archive;
    archive.Open(folder / "out.dat");
    ASSERT_EQ(archive.Count(), 3);
    EXPECT_EQ(archive.Items(2).Offset, static_cast<int64_t>(bytes.size())) << "last offset is the archive's end";
    TVrFile& a = archive.Items(0);
    EXPECT_EQ(a.Stored, 0);
    EXPECT_EQ(a.Size, calls[1].size);
    EXPECT_EQ(a.FileTime, 0x5A2B1C3D);
    EXPECT_EQ(a.Checksum, test::Crc(bytes.substr(static_cast<size_t>(a.Offset), static_cast<size_t>(a.Size))));
    TVrFile& b = archive.Items(1);
    EXPECT_EQ(b.Stored, 1) << "noise does not compress";
    EXPECT_EQ(b.LooseFile, 1);
    EXPECT_EQ(Extract(archive, "a.txt"), std::string(4000, 'a'));
    EXPECT_EQ(Extract(archive, "b.txt"), Noise(300, 1));
    EXPECT_TRUE(archive.Verify());
}

TEST(WriteArchive, TheTenthThatCompressionMustSave) {
    // 1,000-byte contents whose zlib streams are 900 and 901 bytes long.
    std::string at900, at901;
    for (size_t noise = 0; noise <= 1000 && (at900.empty() || at901.empty()); ++noise) {
        std::string content = Noise(noise, 7) + std::string(1000 - noise, 'z');
        TMemoryStream m;
        m.WriteBuffer(content.data(), static_cast<int64_t>(content.size()));
        CompressMemoryStream(m);
        int64_t packed = m.Size();
        if (packed == 900) at900 = content;
        if (packed == 901) at901 = content;
    }
    ASSERT_FALSE(at900.empty());
    ASSERT_FALSE(at901.empty());
    ScratchFolder folder;
    test::WriteBytes(folder / "at900.txt", at900);
    test::WriteBytes(folder / "at901.txt", at901);
    TVrFileCollection source;
    source.BasePath = folder.Path();
    source.Add("at900.txt");
    source.Add("at901.txt");
    {
        TQsBigFileStream out(folder / "out.dat", fmCreate);
        source.WriteArchive(out);
    }
    TVrFileCollection archive;
    archive.Open(folder / "out.dat");
    EXPECT_EQ(archive.Items(0).Stored, 0);
    EXPECT_EQ(archive.Items(0).Size, 900);
    EXPECT_EQ(archive.Items(1).Stored, 1);
    EXPECT_EQ(archive.Items(1).Size, 1000);
}

TEST(WriteArchive, ContentsFromMemoryAndFromTheOpenArchiveWithLooseChecksums) {
    ScratchFolder folder;
    std::string text(3000, 'q');
    test::WriteBytes(folder / "old.dat", Archive({{"kept.txt", text, false, 0x1234}}, 102));
    TVrFileCollection collection;
    collection.Open(folder / "old.dat");
    TVrFile& memory = collection.Add("memory.txt");
    memory.LooseFile = 1;
    memory.SourceStream = std::make_unique<TMemoryStream>();
    memory.SourceStream->WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    {
        TQsBigFileStream out(folder / "new.dat", fmCreate);
        collection.WriteArchive(out);
    }
    TVrFileCollection archive;
    archive.Open(folder / "new.dat");
    ASSERT_EQ(archive.Count(), 3);
    EXPECT_EQ(archive.Items(0).FileTime, 0x1234) << "kept from the directory";
    EXPECT_EQ(Extract(archive, "kept.txt"), text);
    EXPECT_EQ(Extract(archive, "memory.txt"), text);
    EXPECT_EQ(archive.Items(1).Stored, 0);
    EXPECT_EQ(archive.Items(1).Checksum, test::Crc(text)) << "a loose entry's checksum covers its content";
}

TEST(WriteArchive, CancelAndFailure) {
    ScratchFolder folder;
    test::WriteBytes(folder / "a.txt", "a");
    TVrFileCollection source;
    source.BasePath = folder.Path();
    source.Add("a.txt");
    source.Add("missing.txt");
    std::string told;
    source.OnEntryError = [&](const std::string& message) { told = message; };
    {
        TQsBigFileStream out(folder / "out.dat", fmCreate);
        EXPECT_THROW(source.WriteArchive(out), Error);
    }
    EXPECT_EQ(told, "エラー:missing.txt");

    source.Delete(1);
    source.OnProgress = [](TVrFileCollection&, TVrFile*, int64_t, int, int, bool& cancel) { cancel = true; };
    TQsBigFileStream out(folder / "cancelled.dat", fmCreate);
    EXPECT_FALSE(source.WriteArchive(out));
}

TEST(WriteArchive, RoundTripAcrossVolumeBoundaries) {
    ScratchFolder folder;
    platform::CreateFolders(folder / "tree\\sub\\");
    std::vector<std::pair<std::string, std::string>> files = {
        {"a.txt", std::string(2500, 'a')}, {"sub\\noise.bin", Noise(1700, 3)}, {"sub\\empty.txt", ""},
        {"b.ogg", Noise(900, 4)}, {"c.txt", std::string(1500, 'c')}, {"d.txt", Noise(40, 5) + std::string(900, 'd')}};
    TVrFileCollection source;
    source.BasePath = folder / "tree\\";
    for (const auto& [name, content] : files) {
        test::WriteBytes(folder / ("tree\\" + name), content);
        source.Add(name);
    }
    // Entries compressed on several threads make the same archive.
    std::string oneJob;
    for (int jobs : {1, 3}) {
        source.Jobs = jobs;
        TQsBigFileStream out(folder / ("game" + std::to_string(jobs) + ".dat"), fmCreate, 1000);
        ASSERT_TRUE(source.WriteArchive(out));
        EXPECT_GE(out.VolumeCount(), 3);
        std::string bytes(static_cast<size_t>(out.GetSize()), '\0');
        out.SetPosition(0);
        out.Read(bytes.data(), out.GetSize());
        if (jobs == 1) oneJob = bytes;
        EXPECT_EQ(bytes, oneJob);
    }
    TVrFileCollection archive;
    archive.Stream = std::make_unique<TQsBigFileStream>(folder / "game1.dat", fmOpenRead | fmShareDenyWrite, 1000);
    archive.ReadDirectory(*archive.Stream);
    ASSERT_EQ(archive.Count(), 7);
    for (const auto& [name, content] : files) EXPECT_EQ(Extract(archive, name), content) << name;
    EXPECT_TRUE(archive.Verify());
}

TEST(MergeUpdate, NewerEntriesAreAppendedAndTheSideCarHoldsTheDirectory) {
    ScratchFolder folder;
    std::vector<TestEntry> installed = {{"script.txt", "old script", true, 100, test::Crc("old script")},
                                        {"keep.txt", "keep", true, 100}};
    std::string original = Archive(installed, 102);
    test::WriteBytes(folder / "game.dat", original);
    test::WriteBytes(folder / "update.dat",
                     Archive({{"script.txt", "new script", true, 200, test::Crc("new script")},
                              {"keep.txt", "older keep", true, 50},
                              {"loose.txt", "loose", true, 300, 0, 1},
                              {"added.txt", "added", false, 300}},
                             102));
    TVrFileCollection game, update;
    game.Open(folder / "game.dat");
    update.Open(folder / "update.dat");
    std::vector<std::pair<int, int>> calls;
    game.OnProgress = [&](TVrFileCollection&, TVrFile* item, int64_t size, int index, int count, bool&) {
        EXPECT_EQ(size, item->Size);
        calls.push_back({index, count});
    };
    ASSERT_TRUE(game.MergeUpdate(update));
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 5}, {3, 5}}));
    int oldIndex = game.IndexOf("/script.txt");
    ASSERT_GE(oldIndex, 0);
    EXPECT_EQ(game.IndexOf("script.txt"), game.Count() - 2);
    EXPECT_EQ(game.IndexOf("loose.txt"), -1) << "loose entries are never merged";
    EXPECT_EQ(Extract(game, "script.txt"), "new script");
    EXPECT_EQ(game.Items(game.IndexOf("script.txt")).Offset, static_cast<int64_t>(original.size()));
    EXPECT_EQ(game.IndexOf(kEOFEntryName), -1);
    EXPECT_TRUE(game.Verify());
    EXPECT_EQ(platform::FileExists(folder / "game.ext.new"), false);
    game.Open("");  // the merge keeps the data file open for writing

    // Read again, the side-car directory gives the same view.
    TVrFileCollection again;
    again.Open(folder / "game.dat");
    ASSERT_EQ(again.Count(), 5);
    EXPECT_EQ(again.Items(0).Name(), "/script.txt");
    EXPECT_EQ(Extract(again, "/script.txt"), "old script");
    EXPECT_EQ(Extract(again, "script.txt"), "new script");
    EXPECT_EQ(Extract(again, "keep.txt"), "keep");
    EXPECT_EQ(Extract(again, "added.txt"), "added");
    EXPECT_TRUE(again.Verify());

    // Nothing newer: false, and the side-car stays as it is.
    std::string sideCar = test::ReadBytes(folder / "game.ext");
    TVrFileCollection same;
    same.Open(folder / "update.dat");
    EXPECT_FALSE(again.MergeUpdate(same));
    EXPECT_EQ(test::ReadBytes(folder / "game.ext"), sideCar);
}

TEST(MergeUpdate, CancelledMergeLeavesThePreviousDirectoryAndLaterMergesStayExact) {
    ScratchFolder folder;
    test::WriteBytes(folder / "game.dat", Archive({{"last.txt", "last stored", true, 1, test::Crc("last stored")}}, 102));
    test::WriteBytes(folder / "u1.dat", Archive({{"x.txt", "x1", true, 9}, {"y.txt", "y1", true, 9}}, 102));
    {
        TVrFileCollection game, update;
        game.Open(folder / "game.dat");
        update.Open(folder / "u1.dat");
        int calls = 0;
        game.OnProgress = [&](TVrFileCollection&, TVrFile*, int64_t, int, int, bool& cancel) { cancel = ++calls == 2; };
        EXPECT_TRUE(game.MergeUpdate(update)) << "something was added before the cancel";
    }
    EXPECT_FALSE(platform::FileExists(folder / "game.ext"));
    TVrFileCollection game, update;
    game.Open(folder / "game.dat");
    ASSERT_EQ(game.Count(), 2) << "the previous directory";
    EXPECT_EQ(Extract(game, "last.txt"), "last stored");

    // The bytes the cancelled merge appended must not join the last entry.
    update.Open(folder / "u1.dat");
    ASSERT_TRUE(game.MergeUpdate(update));
    game.Open("");
    TVrFileCollection again;
    again.Open(folder / "game.dat");
    EXPECT_EQ(Extract(again, "last.txt"), "last stored");
    EXPECT_EQ(Extract(again, "x.txt"), "x1");
    EXPECT_EQ(Extract(again, "y.txt"), "y1");
    EXPECT_TRUE(again.Verify());
}

TEST(AppendArchiveToExe, TrailerAndUnchangedProgramOnFailure) {
    ScratchFolder folder;
    std::string program = "MZ" + Noise(5000, 9);
    test::WriteBytes(folder / "setup.exe", program);
    test::WriteBytes(folder / "game.dat", Archive({{"install.dat", "settings"}}, 102));
    AppendArchiveToExe(folder / "setup.exe", folder / "game.dat");
    std::string joined = test::ReadBytes(folder / "setup.exe");
    EXPECT_EQ(joined.substr(joined.size() - 6), test::Le32(5002) + "qr");
    TVrFileCollection archive;
    archive.Open(folder / "setup.exe");
    EXPECT_EQ(Extract(archive, "install.dat"), "settings");

    test::WriteBytes(folder / "other.exe", program);
    EXPECT_THROW(AppendArchiveToExe(folder / "other.exe", folder / "missing.dat"), Error);
    EXPECT_EQ(test::ReadBytes(folder / "other.exe"), program);
}

}  // namespace
}  // namespace qi
