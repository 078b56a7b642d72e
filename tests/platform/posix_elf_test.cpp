// Resources of Linux program files: ELF sections named ".rsrc.<TYPE>.<NAME>",
// in files built here (and by objcopy when it is installed), and in damaged
// files that must never crash the reader.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/scratch.h"

namespace qi::platform {
namespace {

using test::ScratchFolder;

struct Section {
    std::string name, data;
};

// A relocatable ELF file: the header, the sections' bytes, the section-name
// table, then the section table with a null entry first and the name table
// last. Offsets of the header fields are remembered for tests that damage it.
struct ElfFile {
    bool wide;
    std::string bytes;
    size_t tableOffsetField, countField, namesIndexField, tableOffset, entrySize;

    void Put(size_t at, uint64_t value, size_t width) {
        for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
    // Sets a field of section entry index (offsets of the 64-bit layout are given).
    void PutSectionField(size_t index, size_t wideOffset, size_t narrowOffset, uint64_t value) {
        size_t at = tableOffset + index * entrySize + (wide ? wideOffset : narrowOffset);
        Put(at, value, wide && wideOffset >= 8 && wideOffset < 40 ? 8 : 4);
    }
};

ElfFile BuildElf(bool wide, const std::vector<Section>& sections) {
    ElfFile file{wide, std::string(wide ? 64 : 52, '\0'), 0, 0, 0, 0, wide ? 64u : 40u};
    std::string names(1, '\0');
    struct Entry { uint32_t name, type; uint64_t offset, size; };
    std::vector<Entry> entries{{0, 0, 0, 0}};
    for (const auto& section : sections) {
        entries.push_back({uint32_t(names.size()), 1, file.bytes.size(), section.data.size()});
        names += section.name + '\0';
        file.bytes += section.data;
    }
    entries.push_back({uint32_t(names.size()), 3, file.bytes.size() + 0, 0});
    names += std::string(".shstrtab") + '\0';
    entries.back().size = names.size();
    file.bytes += names;
    file.bytes.resize((file.bytes.size() + 7) / 8 * 8, '\0');
    file.tableOffset = file.bytes.size();
    file.bytes.resize(file.tableOffset + entries.size() * file.entrySize, '\0');
    for (size_t i = 0; i < entries.size(); ++i) {
        file.PutSectionField(i, 0, 0, entries[i].name);
        file.PutSectionField(i, 4, 4, entries[i].type);
        file.PutSectionField(i, 24, 16, entries[i].offset);
        file.PutSectionField(i, 32, 20, entries[i].size);
    }
    file.bytes.replace(0, 7, std::string("\x7F" "ELF") + char(wide ? 2 : 1) + '\x01' + '\x01');
    file.Put(16, 1, 2);                  // relocatable
    file.Put(18, wide ? 62 : 3, 2);      // x86-64 or i386
    file.Put(20, 1, 4);                  // version
    file.tableOffsetField = wide ? 40 : 32;
    file.Put(file.tableOffsetField, file.tableOffset, wide ? 8 : 4);
    size_t sizes = wide ? 52 : 40;
    file.Put(sizes, wide ? 64 : 52, 2);  // header size
    file.Put(sizes + 6, file.entrySize, 2);
    file.countField = sizes + 8;
    file.Put(file.countField, entries.size(), 2);
    file.namesIndexField = sizes + 10;
    file.Put(file.namesIndexField, entries.size() - 1, 2);
    return file;
}

const std::vector<Section> kSections = {{".text", "code"}, {".rsrc.BINTYPE.DUMMY", "vf archive"},
                                        {".rsrc.BINTYPE.DUMMY2", "other"}};

std::optional<std::vector<uint8_t>> Load(const std::string& path, const std::string& name = "DUMMY") {
    return LoadModuleResource(path, name, "BINTYPE");
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(PosixResources, SectionsAreFoundByTypeAndNameIgnoringCase) {
    ScratchFolder scratch;
    for (bool wide : {false, true}) {
        const std::string path = scratch / (wide ? "setup64" : "setup32");
        test::WriteBytes(path, BuildElf(wide, kSections).bytes);
        EXPECT_EQ(Load(path), Bytes("vf archive")) << wide;
        EXPECT_EQ(Load(path, "dummy2"), Bytes("other")) << wide;
        EXPECT_EQ(LoadModuleResource(path, "Dummy", "bintype"), Bytes("vf archive")) << wide;
        EXPECT_FALSE(Load(path, "DUMM")) << wide;
        EXPECT_FALSE(LoadModuleResource(path, "text", "")) << wide;
    }
    test::WriteBytes(scratch / "setup.exe", "MZ" + std::string(200, '\0'));
    EXPECT_FALSE(Load(scratch / "setup.exe"));
}

TEST(PosixResources, ObjcopyAddsResourcesTheReaderFinds) {
    if (std::system("objcopy --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "objcopy is not installed";
    ScratchFolder scratch;
    test::WriteBytes(scratch / "plain.o", BuildElf(true, {{".text", "code"}}).bytes);
    std::string archive(100000, '\0');
    for (size_t i = 0; i < archive.size(); ++i) archive[i] = static_cast<char>(i * 7);
    test::WriteBytes(scratch / "archive.dat", archive);
    const std::string command = "objcopy --add-section .rsrc.BINTYPE.DUMMY='" + NativePath(scratch / "archive.dat") +
                                "' '" + NativePath(scratch / "plain.o") + "' '" + NativePath(scratch / "setup") +
                                "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "objcopy does not take the test's ELF file";
    EXPECT_EQ(Load(scratch / "setup"), Bytes(archive));
    EXPECT_FALSE(Load(scratch / "plain.o"));
}

TEST(PosixResources, ARemovedResourceIsGoneAndTheProgramStillRuns) {
    if (std::system("objcopy --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "objcopy is not installed";
    ScratchFolder scratch;
    test::WriteBytes(scratch / "true", test::ReadBytes(FromNativePath("/bin/true")));
    test::WriteBytes(scratch / "archive.dat", std::string(300000, 'a'));
    const std::string command = "objcopy --add-section .rsrc.BINTYPE.DUMMY='" + NativePath(scratch / "archive.dat") +
                                "' '" + NativePath(scratch / "true") + "' '" + NativePath(scratch / "setup") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(Load(scratch / "setup"));

    EXPECT_TRUE(RemoveModuleResource(scratch / "setup", "dummy", "bintype"));
    EXPECT_FALSE(Load(scratch / "setup"));
    EXPECT_LT(test::ReadBytes(scratch / "setup").size(), test::ReadBytes(scratch / "true").size() + 4096);
    const std::string setup = "'" + NativePath(scratch / "setup") + "'";
    EXPECT_EQ(std::system(("chmod +x " + setup + " && " + setup).c_str()), 0);
    EXPECT_FALSE(RemoveModuleResource(scratch / "setup", "DUMMY", "BINTYPE"));
    EXPECT_FALSE(RemoveModuleResource(scratch / "archive.dat", "DUMMY", "BINTYPE"));
}

// Damaged files give nothing or raise qi::Error; the sanitizers see to it
// that nothing is read out of bounds.
void ExpectHandled(const std::string& path, const std::string& what) {
    try {
        Load(path);
    } catch (const Error&) {
    } catch (...) {
        ADD_FAILURE() << what << ": an exception other than qi::Error";
    }
}

TEST(PosixResources, EveryTruncationIsHandled) {
    ScratchFolder scratch;
    for (bool wide : {false, true}) {
        const std::string whole = BuildElf(wide, kSections).bytes;
        for (size_t length = 0; length < whole.size(); ++length) {
            test::WriteBytes(scratch / "cut", whole.substr(0, length));
            ExpectHandled(scratch / "cut", std::to_string(length) + " bytes");
        }
    }
}

TEST(PosixResources, HostileTablesAreRefused) {
    ScratchFolder scratch;
    const std::string path = scratch / "hostile";
    for (bool wide : {false, true}) {
        auto attempt = [&](const char* what, auto damage) {
            ElfFile file = BuildElf(wide, kSections);
            damage(file);
            test::WriteBytes(path, file.bytes);
            EXPECT_THROW(Load(path), Error) << what << (wide ? " (64-bit)" : " (32-bit)");
        };
        const uint64_t huge = wide ? ~uint64_t{0} - 15 : 0xFFFFFFF0u;
        attempt("table beyond the end", [&](ElfFile& f) { f.Put(f.tableOffsetField, huge, wide ? 8 : 4); });
        attempt("too many sections", [&](ElfFile& f) { f.Put(f.countField, 0xFFF0, 2); });
        attempt("names table out of range", [&](ElfFile& f) { f.Put(f.namesIndexField, 9, 2); });
        attempt("extended count", [&](ElfFile& f) {
            f.Put(f.countField, 0, 2);
            f.PutSectionField(0, 32, 20, huge);
        });
        attempt("names table beyond the end", [&](ElfFile& f) { f.PutSectionField(4, 24, 16, huge); });
        attempt("data beyond the end", [&](ElfFile& f) { f.PutSectionField(2, 32, 20, huge); });
        attempt("data offset wrapping around", [&](ElfFile& f) { f.PutSectionField(2, 24, 16, huge); });
    }
    ElfFile file = BuildElf(true, kSections);
    file.PutSectionField(2, 0, 0, 0xFFFFFF00u);  // a name far outside the names table
    test::WriteBytes(path, file.bytes);
    EXPECT_FALSE(Load(path));
    EXPECT_EQ(Load(path, "DUMMY2"), Bytes("other"));
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
