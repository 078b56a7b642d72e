// Reading archive directories: the name hash, every directory version, the
// containers, and directories that do not fit the archive they sit in.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/archive_builder.h"
#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "platform/platform.h"
#include "support/scratch.h"

namespace qi {
namespace {

using test::Archive;
using test::Extract;
using test::ScratchFolder;
using test::TestEntry;

std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<TestEntry> SampleEntries() {
    // Checksums cover the stored bytes (the same in every version).
    const std::string script = std::string(3000, 's') + "end";
    return {
        {"install.dat", "settings bytes", true, 0x5A2B1C3D, test::Crc("settings bytes"), 1},
        {"script\\main.txt", script, false, 0x5A2B1C3E, test::Crc(test::Zlib(script)), 0},
        {"\x83\x5C\x83\x74\x83\x67.txt", "", true, 0x5A2B1C3F, 0, 0},  // "ソフト": 0x5C inside a character
    };
}

TEST(HashCollection, NameHashAndIndexOfThroughChanges) {
    EXPECT_EQ(NameHash(""), 0);
    EXPECT_EQ(NameHash("a"), 16);
    EXPECT_EQ(NameHash("AB"), (32 + 97 + 97) & 0xFF);
    EXPECT_EQ(NameHash("AB"), NameHash("ab"));

    TVrFileCollection c;
    for (const char* name : {"script\\main.txt", "abcX", "aZcY", "other"}) c.Add(name);  // abcX, aZcY share a bucket
    EXPECT_EQ(c.IndexOf("SCRIPT\\MAIN.TXT"), 0);
    EXPECT_EQ(c.IndexOf("azcy"), 2);
    EXPECT_EQ(c.IndexOf("missing"), -1);
    c.Delete(1);
    EXPECT_EQ(c.IndexOf("abcX"), -1);
    EXPECT_EQ(c.IndexOf("aZcY"), 1);
    EXPECT_EQ(c.IndexOf("other"), 2);
    // A renamed item leaves its old chain; of two equal names the newer wins.
    c.Items(2).SetName("script\\MAIN.txt");
    EXPECT_EQ(c.IndexOf("other"), -1);
    EXPECT_EQ(c.IndexOf("script\\main.txt"), 2);
    c.Items(2).SetIndex(0);
    for (int i = 0; i < c.Count(); ++i) EXPECT_EQ(c.Items(i).Index(), i);
}

// The look-up follows a model of the hash chains: one list of items, the
// one hashed last first, walked from the front. Names that are alike, equal
// but for case, equal to others after renames and deletions, and code page
// 932 names whose second bytes are letters (which case folding leaves alone).
TEST(HashCollection, IndexOfFindsWhatTheChainsFind) {
    const std::vector<std::string> names = {
        "voice\\v001.ogg", "VOICE\\V001.OGG", "voice\\v002.ogg", "voice\\v011.ogg", "\x83\x41.txt", "\x83\x61.txt",
        "\x83\x41.TXT",   "a",                 "A",                "",
    };
    TVrFileCollection c;
    std::vector<TVrFile*> chains;  // the model: most recently hashed first
    auto hashed = [&](TVrFile* item) {
        chains.erase(std::remove(chains.begin(), chains.end(), item), chains.end());
        chains.insert(chains.begin(), item);
    };
    uint32_t random = 12345;
    auto next = [&random](uint32_t below) {
        random = random * 1103515245u + 12345u;
        return (random >> 16) % below;
    };
    for (int step = 0; step < 3000; ++step) {
        const std::string& name = names[next(static_cast<uint32_t>(names.size()))];
        const uint32_t action = next(10);
        if (action < 5 || c.Count() == 0) {
            TVrFile& item = c.Add(name);
            hashed(&item);
        } else if (action < 8) {
            TVrFile& item = c.Items(static_cast<int>(next(static_cast<uint32_t>(c.Count()))));
            if (item.Name() != name) hashed(&item);
            item.SetName(name);
        } else {
            const int index = static_cast<int>(next(static_cast<uint32_t>(c.Count())));
            chains.erase(std::remove(chains.begin(), chains.end(), &c.Items(index)), chains.end());
            c.Delete(index);
        }
        for (const std::string& wanted : names) {
            int expected = -1;
            for (TVrFile* item : chains) {
                if (UpperCase(item->Name()) == UpperCase(wanted)) {
                    expected = item->Index();
                    break;
                }
            }
            ASSERT_EQ(c.IndexOf(wanted), expected) << "step " << step << ", " << wanted;
        }
    }
}

TEST(Reader, EveryDirectoryVersion) {
    ScratchFolder folder;
    for (int version : {0, 5, 99, 100, 101, 102}) {
        SCOPED_TRACE(version);
        auto entries = SampleEntries();
        std::string bytes = Archive(entries, version, version != 0);
        EXPECT_EQ(bytes.find("install.dat") == std::string::npos, version >= 100) << "names scrambled from 100";
        std::string file = folder / ("v" + std::to_string(version) + ".dat");
        test::WriteBytes(file, bytes);

        TVrFileCollection archive;
        archive.Open(file);
        ASSERT_EQ(archive.Count(), 4);
        EXPECT_EQ(archive.Items(3).Name(), "\\EOF\\");
        EXPECT_EQ(archive.Items(3).Offset, static_cast<int64_t>(bytes.size()));
        EXPECT_EQ(archive.BasePath, folder.Path());
        for (int k = 0; k < 3; ++k) {
            const TestEntry& e = entries[static_cast<size_t>(k)];
            TVrFile& item = archive.Items(k);
            EXPECT_EQ(item.Name(), e.name);
            EXPECT_EQ(bytes.substr(static_cast<size_t>(item.Offset), static_cast<size_t>(item.Size)),
                      test::Payload(e, version));
            EXPECT_EQ(item.Stored, version >= 101 && e.stored ? 1 : 0);
            EXPECT_EQ(item.FileTime, version >= 101 ? e.fileTime : 0);
            EXPECT_EQ(item.Checksum, version >= 101 ? e.checksum : 0u);
            EXPECT_EQ(item.LooseFile, version >= 102 ? e.loose : 0);
            EXPECT_EQ(Extract(archive, e.name), e.content);
        }
    }
}

TEST(Reader, DirectoryInsideAnExecutableCountsFromItsStart) {
    ScratchFolder folder;
    auto entries = SampleEntries();
    std::string archiveBytes = Archive(entries, 102);
    std::string image(932000, 'M');
    test::WriteBytes(folder / "setup.EXE", test::ExecutableWith(image, archiveBytes));
    TVrFileCollection archive;
    archive.Open(folder / "setup.EXE");
    ASSERT_EQ(archive.Count(), 4);
    EXPECT_EQ(archive.Items(0).Offset, static_cast<int64_t>(932000 + archiveBytes.find("settings bytes")));
    EXPECT_EQ(Extract(archive, "script\\main.txt"), entries[1].content);

    // A program without the mark, or with a start past its end, carries no archive.
    test::WriteBytes(folder / "bare.exe", image);
    EXPECT_NE(ErrorText([&] { archive.Open(folder / "bare.exe"); }).find("bare.exe"), std::string::npos);
    EXPECT_EQ(archive.Count(), 0);
    EXPECT_FALSE(archive.Stream);
    test::WriteBytes(folder / "far.scr", image + test::Le32(2000000) + "qr");
    EXPECT_THROW(archive.Open(folder / "far.scr"), Error);
}

TEST(Reader, SideCarDirectoryWinsOverTheOneInTheDataFile) {
    ScratchFolder folder;
    std::string data = Archive({{"a.txt", "old a"}}, 102);
    std::vector<TestEntry> added = {{"b.txt", "newer b", false}};
    int64_t appendedAt = static_cast<int64_t>(data.size());
    test::WriteBytes(folder / "game.dat", data + test::Data(added, 102));
    // The side-car lists the new entry at its absolute position in game.dat.
    test::WriteBytes(folder / "game.ext", test::Directory(added, 102, appendedAt));
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    ASSERT_EQ(archive.Count(), 2);
    EXPECT_EQ(archive.IndexOf("a.txt"), -1);
    EXPECT_EQ(Extract(archive, "b.txt"), "newer b");

    // A side-car whose offsets leave the data file is named in the error.
    test::WriteBytes(folder / "game.ext", test::Directory(added, 102, appendedAt + 1000));
    EXPECT_NE(ErrorText([&] { archive.Open(folder / "game.dat"); }).find("game.ext"), std::string::npos);
}

TEST(Reader, FolderMissingFileAndEmptyDataFile) {
    ScratchFolder folder;
    test::WriteBytes(folder / "readme.txt", "loose");
    TVrFileCollection archive;
    archive.Open(folder.Path().substr(0, folder.Path().size() - 1));
    EXPECT_EQ(archive.Count(), 0);
    EXPECT_FALSE(archive.Stream);
    EXPECT_EQ(archive.BasePath, folder.Path());
    EXPECT_EQ(Extract(archive, "readme.txt"), "loose");
    archive.Open(folder / "game.dat", true);
    EXPECT_EQ(archive.BasePath, folder.Path());
    archive.OpenResource(folder / "missing.exe", "DUMMY", "BINTYPE");
    EXPECT_EQ(archive.Count(), 0) << "a program file that cannot be loaded";

    // A data file that holds nothing has an empty directory.
    test::WriteBytes(folder / "game.dat", "");
    archive.Open(folder / "game.dat");
    ASSERT_EQ(archive.Count(), 1);
    EXPECT_EQ(archive.Items(0).Name(), kEOFEntryName);
}

#ifndef _WIN32
// A Linux program file carries resources as ELF sections ".rsrc.TYPE.NAME".
std::string ElfWithSection(const std::string& sectionName, const std::string& data) {
    std::string names = std::string(1, '\0') + sectionName + '\0' + ".shstrtab" + '\0';
    std::string file = std::string("\x7F" "ELF\x02\x01", 6) + std::string(58, '\0') + data + names;
    size_t tableAt = file.size();
    file += std::string(3 * 64, '\0');
    auto put = [&](size_t at, uint64_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
    };
    put(40, tableAt, 8);
    put(58, 64, 2);  // entry size, 3 sections, names in section 2
    put(60, 3, 2);
    put(62, 2, 2);
    auto section = [&](size_t index, size_t name, uint32_t type, size_t offset, size_t size) {
        put(tableAt + index * 64, name, 4);
        put(tableAt + index * 64 + 4, type, 4);
        put(tableAt + index * 64 + 24, offset, 8);
        put(tableAt + index * 64 + 32, size, 8);
    };
    section(1, 1, 1, 64, data.size());
    section(2, 2 + sectionName.size(), 3, 64 + data.size(), names.size());
    return file;
}

TEST(Reader, ArchiveInAProgramResource) {
    ScratchFolder folder;
    auto entries = SampleEntries();
    test::WriteBytes(folder / "setup", ElfWithSection(".rsrc.BINTYPE.DUMMY", Archive(entries, 102)));
    TVrFileCollection archive;
    archive.OpenResource(folder / "setup", "DUMMY", "BINTYPE");
    ASSERT_EQ(archive.Count(), 4);
    EXPECT_EQ(archive.ModuleHandle, folder / "setup");
    EXPECT_EQ(Extract(archive, "script\\main.txt"), entries[1].content);

    test::WriteBytes(folder / "empty", ElfWithSection(".rsrc.BINTYPE.DUMMY", ""));
    EXPECT_EQ(ErrorText([&] { archive.OpenResource(folder / "empty", "DUMMY", "BINTYPE"); }), "リソースが見つかりません");
    EXPECT_EQ(archive.Count(), 0);
}
#endif

TEST(Reader, DirectoriesThatDoNotFitAreErrorsNamingTheArchive) {
    using test::Le32;
    using test::RawDirectory;
    std::vector<TestEntry> two = {{"a", "aaaa"}, {"b", "bbbb"}};
    auto v102 = [&](std::vector<int64_t> offsets) { return RawDirectory(102, true, 2, {"a", "b"}, offsets, two); };
    int64_t d = static_cast<int64_t>(v102({0, 0, 0}).size());
    std::string data(8, 'd'), pad(64, '\0');
    std::string cut = v102({d, d + 4, d + 8});
    const std::pair<const char*, std::string> cases[] = {
        {"count far beyond the bytes left", "vf" + Le32(102) + Le32(0x7FFFFFFF) + pad},
        {"negative count", "vf" + Le32(102) + Le32(-1) + pad},
        {"count without magic", Le32(50000000) + pad},
        {"name length beyond the end", "vf" + Le32(102) + Le32(1) + Le32(0x7FFFFFF0) + pad},
        {"negative name length", "vf" + Le32(102) + Le32(1) + Le32(-5) + pad},
        {"offset before the directory", v102({-100, d + 4, d + 8}) + data},
        {"end past the data", v102({d, d + 4, d + 4000}) + data},
        {"decreasing offsets", v102({d + 4, d, d + 8}) + data},
        {"32-bit offset past the end", RawDirectory(100, true, 1, {"a"}, {10, 0x7FFFFFF0}) + pad},
        {"tables cut short", cut.substr(0, cut.size() - 3)},
        {"cut inside the header", "vf" + Le32(102) + "\x01"},
        {"unknown version", "vf" + Le32(103) + Le32(0) + pad},
    };
    ScratchFolder folder;
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        test::WriteBytes(folder / "hostile.dat", bytes);
        TVrFileCollection archive;
        EXPECT_NE(ErrorText([&] { archive.Open(folder / "hostile.dat"); }).find("hostile.dat:"), std::string::npos);
        EXPECT_EQ(archive.Count(), 0);
        EXPECT_FALSE(archive.Stream) << "a failed open closes the archive";
        // ... and forgets the file, so that a merge cannot recreate it empty.
        TVrFileCollection update;
        EXPECT_THROW(archive.MergeUpdate(update), Error);
        EXPECT_EQ(test::ReadBytes(folder / "hostile.dat"), bytes);
    }
}

}  // namespace
}  // namespace qi
