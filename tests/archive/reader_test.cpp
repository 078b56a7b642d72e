// Reading archive directories: the name hash, every directory version, the
// containers, and directories that do not fit the archive they sit in.
#include <gtest/gtest.h>

#include "archive/archive_builder.h"
#include "archive/vrfiles.h"
#include "platform/platform.h"
#include "support/scratch.h"

namespace qi {
namespace {

using test::Archive;
using test::ScratchFolder;
using test::TestEntry;

class TestCollection : public THashCollection {
public:
    THashCollectionItem& Add(const std::string& name) {
        THashCollectionItem& item = AddItem();
        item.SetName(name);
        return item;
    }

protected:
    std::unique_ptr<THashCollectionItem> CreateItem() override {
        struct Plain : THashCollectionItem {};
        return std::make_unique<Plain>();
    }
};

std::string Extract(TVrFileCollection& archive, const std::string& name) {
    TMemoryStream memory;
    archive.ExtractToStream(memory, name);
    return std::string(memory.Bytes().begin(), memory.Bytes().end());
}

std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<TestEntry> SampleEntries() {
    return {
        {"install.dat", "settings bytes", true, 0x5A2B1C3D, 0x11111111, 0},
        {"script\\main.txt", std::string(3000, 's') + "end", false, 0x5A2B1C3E, 0x22222222, 1},
        {"\x83\x5C\x83\x74\x83\x67.txt", "", true, 0x5A2B1C3F, 0, 0},  // "ソフト": 0x5C inside a character
    };
}

TEST(HashCollection, NameHashLooksAtLengthFirstAndSecondToLastByte) {
    EXPECT_EQ(NameHash(""), 0);
    EXPECT_EQ(NameHash("a"), 16);
    EXPECT_EQ(NameHash("AB"), (32 + 97 + 97) & 0xFF);
    EXPECT_EQ(NameHash("AB"), NameHash("ab"));
    EXPECT_EQ(NameHash("abcX"), NameHash("aZcY"));  // only a, c and the length count
}

TEST(HashCollection, IndexOfIgnoresCaseAndKeepsIndicesTrueThroughChanges) {
    TestCollection c;
    c.Add("script\\main.txt");
    c.Add("abcX");
    c.Add("aZcY");  // same bucket as abcX
    c.Add("other");
    EXPECT_EQ(c.IndexOf("SCRIPT\\MAIN.TXT"), 0);
    EXPECT_EQ(c.IndexOf("ABCX"), 1);
    EXPECT_EQ(c.IndexOf("azcy"), 2);
    EXPECT_EQ(c.IndexOf("missing"), -1);

    c.Delete(1);
    EXPECT_EQ(c.IndexOf("abcX"), -1);
    EXPECT_EQ(c.IndexOf("aZcY"), 1);
    EXPECT_EQ(c.IndexOf("other"), 2);

    // A renamed item leaves its old chain; of two equal names the newer wins.
    c.Item(2).SetName("script\\MAIN.txt");
    EXPECT_EQ(c.IndexOf("other"), -1);
    EXPECT_EQ(c.IndexOf("script\\main.txt"), 2);

    c.Item(2).SetIndex(0);
    for (int i = 0; i < c.Count(); ++i) EXPECT_EQ(c.Item(i).CachedIndex, i);
    EXPECT_EQ(c.IndexOf("aZcY"), 2);
}

TEST(Reader, EveryDirectoryVersion) {
    ScratchFolder folder;
    for (int version : {0, 5, 99, 100, 101, 102}) {
        SCOPED_TRACE(version);
        auto entries = SampleEntries();
        std::string bytes = Archive(entries, version, version != 0);
        if (version >= 100) EXPECT_EQ(bytes.find("install.dat"), std::string::npos) << "names are scrambled";
        if (version < 100) EXPECT_NE(bytes.find("install.dat"), std::string::npos);
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
            EXPECT_EQ(item.Size, static_cast<int64_t>(test::Payload(e, version).size()));
            EXPECT_EQ(bytes.substr(static_cast<size_t>(item.Offset), static_cast<size_t>(item.Size)),
                      test::Payload(e, version));
            EXPECT_EQ(item.Stored, version >= 101 && e.stored ? 1 : 0);
            EXPECT_EQ(item.FileTime, version >= 101 ? e.fileTime : 0);
            EXPECT_EQ(item.Checksum, version >= 101 ? e.checksum : 0u);
            EXPECT_EQ(item.LooseFile, version >= 102 ? e.loose : 0);
            EXPECT_EQ(Extract(archive, e.name), e.content);
        }
        EXPECT_EQ(archive.IndexOf("SCRIPT\\MAIN.TXT"), 1);
    }
}

TEST(Reader, DirectoryInsideAnExecutableCountsFromItsStart) {
    ScratchFolder folder;
    auto entries = SampleEntries();
    std::string archiveBytes = Archive(entries, 102);
    std::string image(932000, 'M');
    test::WriteBytes(folder / "setup.EXE", test::ExecutableWith(image, archiveBytes));

    TVrFileCollection reference;
    test::WriteBytes(folder / "plain.dat", archiveBytes);
    reference.Open(folder / "plain.dat");

    TVrFileCollection archive;
    archive.Open(folder / "setup.EXE");
    ASSERT_EQ(archive.Count(), 4);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(archive.Items(k).Offset, reference.Items(k).Offset + 932000);
    EXPECT_EQ(Extract(archive, "script\\main.txt"), entries[1].content);

    // A program without the mark carries no archive.
    test::WriteBytes(folder / "bare.exe", image);
    TVrFileCollection bare;
    try {
        bare.Open(folder / "bare.exe");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("bare.exe"), std::string::npos) << e.what();
    }
    EXPECT_EQ(bare.Count(), 0);
    EXPECT_FALSE(bare.Stream);
    // A start past the end of the file.
    test::WriteBytes(folder / "far.scr", image + test::Le32(2000000) + "qr");
    EXPECT_THROW(bare.Open(folder / "far.scr"), Error);
}

TEST(Reader, SideCarDirectoryWinsOverTheOneInTheDataFile) {
    ScratchFolder folder;
    std::vector<TestEntry> old = {{"a.txt", "old a"}};
    std::string data = Archive(old, 102);
    std::vector<TestEntry> added = {{"b.txt", "newer b", false}};
    int64_t appendedAt = static_cast<int64_t>(data.size());
    data += test::Data(added, 102);
    test::WriteBytes(folder / "game.dat", data);
    // The side-car lists the new entry at its absolute position in game.dat.
    test::WriteBytes(folder / "game.ext", test::Directory(added, 102, appendedAt));

    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    ASSERT_EQ(archive.Count(), 2);
    EXPECT_EQ(archive.IndexOf("a.txt"), -1);
    EXPECT_EQ(archive.Items(0).Offset, appendedAt);
    EXPECT_EQ(Extract(archive, "b.txt"), "newer b");
}

TEST(Reader, NamesAndTablesAcrossVolumeBoundaries) {
    ScratchFolder folder;
    std::vector<TestEntry> entries;
    for (int i = 0; i < 40; ++i) entries.push_back({"folder\\entry" + std::to_string(i) + ".txt", std::string(i * 7, 'x')});
    std::string bytes = Archive(entries, 102);
    {
        TQsBigFileStream out(folder / "game.dat", fmCreate, 61);
        out.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    TVrFileCollection archive;
    archive.Stream = std::make_unique<TQsBigFileStream>(folder / "game.dat", fmOpenRead | fmShareDenyWrite, 61);
    archive.ReadDirectory(*archive.Stream);
    ASSERT_EQ(archive.Count(), 41);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(Extract(archive, entries[static_cast<size_t>(i)].name), entries[static_cast<size_t>(i)].content);
}

TEST(Reader, FolderAndMissingFileServeLooseFiles) {
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
    EXPECT_EQ(Extract(archive, "readme.txt"), "loose");

    archive.Open("");
    EXPECT_EQ(archive.BasePath, folder.Path()) << "an empty name keeps BasePath";
}

TEST(Reader, EmptyDataFileHasAnEmptyDirectory) {
    ScratchFolder folder;
    test::WriteBytes(folder / "game.dat", "");
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    ASSERT_EQ(archive.Count(), 1);
    EXPECT_EQ(archive.Items(0).Name(), kEOFEntryName);
    EXPECT_TRUE(archive.Verify());
}

TEST(Reader, ProgramFileThatCannotBeLoadedGivesAnEmptyCollection) {
    ScratchFolder folder;
    TVrFileCollection archive;
    archive.OpenResource(folder / "missing.exe", "DUMMY", "BINTYPE");
    EXPECT_EQ(archive.Count(), 0);
    EXPECT_FALSE(archive.Stream);
}

#ifndef _WIN32
// A Linux program file carries resources as ELF sections ".rsrc.TYPE.NAME".
std::string ElfWithSection(const std::string& sectionName, const std::string& data) {
    std::string names = std::string(1, '\0') + sectionName + '\0' + ".shstrtab" + '\0';
    std::string file(64, '\0');
    file.replace(0, 6, "\x7F" "ELF\x02\x01");
    size_t dataAt = file.size();
    file += data;
    size_t namesAt = file.size();
    file += names;
    size_t tableAt = file.size();
    auto put = [&](size_t at, uint64_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
    };
    file += std::string(3 * 64, '\0');
    put(40, tableAt, 8);
    put(58, 64, 2);
    put(60, 3, 2);
    put(62, 2, 2);
    auto section = [&](size_t index, uint32_t name, uint32_t type, uint64_t offset, uint64_t size) {
        size_t at = tableAt + index * 64;
        put(at, name, 4);
        put(at + 4, type, 4);
        put(at + 24, offset, 8);
        put(at + 32, size, 8);
    };
    section(1, 1, 1, dataAt, data.size());
    section(2, static_cast<uint32_t>(2 + sectionName.size()), 3, namesAt, names.size());
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
    EXPECT_THROW(archive.OpenResource(folder / "setup", "OTHER", "BINTYPE"), Error);
}
#endif

// ---- Directories that do not fit their archive -------------------------

struct Hostile {
    const char* what;
    std::string bytes;
};

std::vector<Hostile> HostileDirectories() {
    using test::Le32;
    using test::Le64;
    using test::RawDirectory;
    std::vector<TestEntry> two = {{"a", "aaaa"}, {"b", "bbbb"}};
    auto v102 = [&](std::vector<int64_t> offsets, int32_t count = 2) {
        std::string dir = RawDirectory(102, true, count, {"a", "b"}, offsets, two);
        return dir;
    };
    int64_t dirSize = static_cast<int64_t>(v102({0, 0, 0}).size());
    std::string data(8, 'd');
    std::vector<Hostile> cases;
    cases.push_back({"count far beyond the bytes left", "vf" + Le32(102) + Le32(0x7FFFFFFF) + std::string(64, '\0')});
    cases.push_back({"negative count", "vf" + Le32(102) + Le32(-1) + std::string(64, '\0')});
    cases.push_back({"count without magic", Le32(50000000) + std::string(100, '\0')});
    cases.push_back({"name length beyond the end", "vf" + Le32(102) + Le32(1) + Le32(0x7FFFFFF0) + std::string(40, '\0')});
    cases.push_back({"negative name length", "vf" + Le32(102) + Le32(1) + Le32(-5) + std::string(40, '\0')});
    cases.push_back({"offset before the directory", v102({-100, dirSize + 4, dirSize + 8}) + data});
    cases.push_back({"end past the data", v102({dirSize, dirSize + 4, dirSize + 4000}) + data});
    cases.push_back({"decreasing offsets (negative size)", v102({dirSize + 4, dirSize, dirSize + 8}) + data});
    cases.push_back({"32-bit offset past the end",
                     RawDirectory(100, true, 1, {"a"}, {10, 0x7FFFFFF0}) + std::string(16, 'd')});
    std::string cut = v102({dirSize, dirSize + 4, dirSize + 8});
    cases.push_back({"tables cut short", cut.substr(0, cut.size() - 3)});
    cases.push_back({"cut inside the header", "vf" + Le32(102) + "\x01"});
    cases.push_back({"unknown version", "vf" + Le32(103) + Le32(0) + Le64(0)});
    return cases;
}

TEST(Reader, DirectoriesThatDoNotFitAreErrorsNamingTheArchive) {
    ScratchFolder folder;
    for (const Hostile& h : HostileDirectories()) {
        SCOPED_TRACE(h.what);
        test::WriteBytes(folder / "hostile.dat", h.bytes);
        TVrFileCollection archive;
        try {
            archive.Open(folder / "hostile.dat");
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("hostile.dat"), std::string::npos) << e.what();
        }
        EXPECT_EQ(archive.Count(), 0);
        EXPECT_FALSE(archive.Stream) << "a failed open closes the archive";
    }
}

TEST(Reader, DamagedSideCarIsNamedInTheError) {
    ScratchFolder folder;
    test::WriteBytes(folder / "game.dat", Archive({{"a.txt", "a"}}, 102));
    test::WriteBytes(folder / "game.ext", test::RawDirectory(102, true, 1, {"a.txt"}, {0, 5000}, {{"a.txt", "a"}}));
    TVrFileCollection archive;
    try {
        archive.Open(folder / "game.dat");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("game.ext"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace qi
