// Turning entries back into content: extraction into memory and files, the
// loose-file fallback and its folder boundary, zlib, CRC-32 and the search
// for the executable that carries a game's archive.
#include <gtest/gtest.h>

#include <memory>

#include "archive/archive_builder.h"
#include "archive/vrfiles.h"
#include "platform/platform.h"
#include "settings/install_set.h"
#include "support/scratch.h"

namespace qi {
namespace {

using test::Archive;
using test::ScratchFolder;
using test::TestEntry;

std::string Text(TMemoryStream& m) { return std::string(m.Bytes().begin(), m.Bytes().end()); }

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Extract, CompressedAndStoredEntriesIntoMemoryAndFiles) {
    ScratchFolder folder;
    std::string plain = "line of script text\n";
    for (int i = 0; i < 8; ++i) plain += plain;
    test::WriteBytes(folder / "game.dat", Archive({{"packed.txt", plain, false}, {"raw.bin", "raw bytes"}}, 102));
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");

    TMemoryStream memory;
    memory.WriteBuffer("older and longer bytes than the entry", 37);
    archive.ExtractToStream(memory, "raw.bin");
    EXPECT_EQ(Text(memory), "raw bytes") << "older bytes are cleared";
    EXPECT_EQ(memory.Position(), 0);
    archive.ExtractToStream(memory, "PACKED.TXT");
    EXPECT_EQ(Text(memory), plain);

    {
        TFileStream file(folder / "out.txt", fmCreate);
        archive.ExtractToStream(file, "packed.txt");
        EXPECT_EQ(file.Position(), 0);
        EXPECT_EQ(file.Size(), static_cast<int64_t>(plain.size()));
    }
    EXPECT_EQ(test::ReadBytes(folder / "out.txt"), plain);
}

TEST(Extract, LooseFilesFillInWhatTheArchiveLacks) {
    ScratchFolder folder;
    test::WriteBytes(folder / "game.dat", Archive({{"a.txt", "from archive"}}, 102));
    test::WriteBytes(folder / "a.txt", "loose a");
    test::WriteBytes(folder / "readme.txt", "loose readme");
    platform::CreateFolders(folder / "sub\\");
    test::WriteBytes(folder / "sub\\x.txt", "loose x");
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");

    TMemoryStream m;
    archive.ExtractToStream(m, "a.txt");
    EXPECT_EQ(Text(m), "from archive") << "the archive wins";
    archive.ExtractToStream(m, "readme.txt");
    EXPECT_EQ(Text(m), "loose readme");
    archive.ExtractToStream(m, "sub\\x.txt");
    EXPECT_EQ(Text(m), "loose x");
    EXPECT_EQ(ErrorOf([&] { archive.ExtractToStream(m, "missing.txt"); }), "missing.txt:ファイルがありません");
    // The archive file itself is never served as a loose file.
    EXPECT_EQ(ErrorOf([&] { archive.ExtractToStream(m, "game.dat"); }), "game.dat:ファイルがありません");
}

TEST(Extract, NamesThatWouldLeaveTheFolderAreRefused) {
    ScratchFolder folder;
    platform::CreateFolders(folder / "game\\");
    test::WriteBytes(folder / "secret.txt", "outside");
    TVrFileCollection archive;
    archive.Open(folder / "game");
    TMemoryStream m;
    for (const char* name : {"..\\secret.txt", "sub\\..\\..\\secret.txt", "../secret.txt", "\\secret.txt",
                             "C:\\secret.txt", "C:secret.txt", "sub\\\\x.txt", "", "...\\secret.txt",
                             ".. \\secret.txt", "sub\\"}) {
        SCOPED_TRACE(name);
        std::string message = ErrorOf([&] { archive.ExtractToStream(m, name); });
        EXPECT_NE(message.find("フォルダの外"), std::string::npos) << message;
        EXPECT_EQ(m.Size(), 0);
    }
    // Names with dots inside steps, and double-byte characters whose second
    // byte is "\", are ordinary names.
    for (const char* name : {"..a.txt", "a..b\\c.txt", "\x83\x5C\x83\x74\x83\x67.txt"}) {
        EXPECT_NO_THROW(CheckEntryPath(name)) << name;
    }
}

TEST(Extract, DamagedZlibStreamNamesTheEntry) {
    ScratchFolder folder;
    std::string packed = test::Zlib(std::string(5000, 'z'));
    std::string flipped = packed;
    flipped[flipped.size() / 2] ^= 0x55;
    // Stored as given, then marked compressed: a flipped byte, a cut stream, nothing.
    test::WriteBytes(folder / "game.dat", Archive({{"flipped.txt", flipped}, {"cut.txt", packed.substr(0, 40)},
                                                   {"empty.txt", ""}}, 102));
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");
    for (int k = 0; k < 3; ++k) archive.Items(k).Stored = 0;
    for (const char* name : {"flipped.txt", "cut.txt", "empty.txt"}) {
        SCOPED_TRACE(name);
        TMemoryStream m;
        std::string message = ErrorOf([&] { archive.ExtractToStream(m, name); });
        EXPECT_EQ(message.find(std::string(name) + ":"), 0u) << message;
        EXPECT_NE(message.find("壊れています"), std::string::npos) << message;
    }
}

// Every extraction checks the checksum: over the stored bytes, or over the
// content of a loose file. A damaged entry leaves no file, and an older file
// of its name stays; contents too large to hold stream through zlib.
TEST(Extract, ChecksumsAreCheckedAndDamageLeavesNoFile) {
    ScratchFolder folder;
    std::string text = "loose text\n";
    for (int i = 0; i < 9; ++i) text += text;
    std::string big(20 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>("scenario"[i % 8] + (i >> 20));
    TestEntry damaged{"damaged.txt", "stored bytes", true, 0, test::Crc("stored bytes") ^ 1};
    TestEntry loose{"loose.txt", text, false, 0, test::Crc(text), 1};
    TestEntry large{"large.txt", big, false, 0, test::Crc(test::Zlib(big))};
    test::WriteBytes(folder / "game.dat", Archive({damaged, loose, large}, 102));
    TVrFileCollection archive;
    archive.Open(folder / "game.dat");

    TMemoryStream m;
    std::string message = ErrorOf([&] { archive.ExtractToStream(m, "damaged.txt"); });
    EXPECT_EQ(message.rfind("damaged.txt:", 0), 0u) << message;
    test::WriteBytes(folder / "damaged.txt", "older file");
    EXPECT_THROW(archive.ExtractToFile("damaged.txt", folder / "damaged.txt"), EDataDamaged);
    EXPECT_EQ(test::ReadBytes(folder / "damaged.txt"), "older file");
    EXPECT_EQ(platform::ListDirectory(folder.Path()).size(), 2u) << "no partial file";

    archive.ExtractToFile("loose.txt", folder / "loose.txt");
    EXPECT_EQ(test::ReadBytes(folder / "loose.txt"), text);
    archive.ExtractToFile("large.txt", folder / "large.txt");
    EXPECT_TRUE(test::ReadBytes(folder / "large.txt") == big);
    archive.Delete(0);
    EXPECT_TRUE(archive.Verify()) << "a loose entry is verified by its content";
}

TEST(Zlib, CompressAtLevelOneAndBack) {
    TMemoryStream m;
    std::string content;
    for (int i = 0; i < 50000; ++i) content += std::to_string(i * 7919 % 1000);
    m.WriteBuffer(content.data(), static_cast<int64_t>(content.size()));
    CompressMemoryStream(m);
    EXPECT_EQ(m.Position(), m.Size());
    ASSERT_GT(m.Size(), 2);
    EXPECT_EQ(m.Memory()[0], 0x78);
    EXPECT_EQ(m.Memory()[1], 0x01) << "level 1 header";
    EXPECT_LT(m.Size(), static_cast<int64_t>(content.size()));
    std::string byZlib(content.size(), '\0');  // a zlib stream that zlib itself reads
    uLongf inflated = static_cast<uLongf>(byZlib.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(byZlib.data()), &inflated, m.Memory(), static_cast<uLong>(m.Size())), Z_OK);
    EXPECT_TRUE(byZlib == content);
    DecompressMemoryStream(m);
    EXPECT_EQ(m.Position(), 0);
    EXPECT_EQ(Text(m), content);

    TMemoryStream empty;
    CompressMemoryStream(empty);
    DecompressMemoryStream(empty);
    EXPECT_EQ(empty.Size(), 0);

    // Any valid zlib stream is read, whatever its level.
    std::string best = test::Zlib(content, 9);
    TMemoryStream other;
    other.WriteBuffer(best.data(), static_cast<int64_t>(best.size()));
    DecompressMemoryStream(other);
    EXPECT_EQ(Text(other), content);
}

// A few kilobytes of zlib can stand for gigabytes; inflating stops at the
// limit instead of filling the memory.
TEST(Zlib, InflatingStopsAtTheSizeLimit) {
    const std::string zeros(3000000, '\0');
    auto packed = [&] {
        std::string bytes = test::Zlib(zeros, 9);
        auto m = std::make_unique<TMemoryStream>();
        m->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        return m;
    };
    auto exact = packed();
    DecompressMemoryStream(*exact, "zeros.bin", 3000000);
    EXPECT_EQ(exact->Size(), 3000000);
    for (int64_t limit : {int64_t{2999999}, int64_t{1000000}, int64_t{0}}) {
        auto bomb = packed();
        try {
            DecompressMemoryStream(*bomb, "zeros.bin", limit);
            ADD_FAILURE() << "inflated past " << limit;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("zeros.bin:", 0), 0u) << e.what();
        }
    }
}

// Contents too large to hold inflate from pieces of their zlib stream; a cut
// stream or one past the limit is damage.
TEST(Zlib, InflaterTakesTheStreamInPieces) {
    std::string content = std::string(300000, 'x');
    for (int i = 0; i < 200000; ++i) content += std::to_string(i * 7919 % 100003);
    const std::string packed = test::Zlib(content);
    auto inflate = [&](size_t length, int64_t limit) {
        std::string out;
        ZlibInflater inflater("piece.bin:", limit, [&](const uint8_t* data, size_t size) {
            out.append(reinterpret_cast<const char*>(data), size);
        });
        for (size_t at = 0; at < length; at += 7777) {
            inflater.Feed(reinterpret_cast<const uint8_t*>(packed.data()) + at, std::min<size_t>(7777, length - at));
        }
        inflater.Finish();
        return out;
    };
    EXPECT_TRUE(inflate(packed.size(), kMaxInflatedSize) == content);
    EXPECT_THROW(inflate(packed.size() - 10, kMaxInflatedSize), EDataDamaged);
    EXPECT_THROW(inflate(packed.size(), static_cast<int64_t>(content.size()) - 1), EDataDamaged);
}

TEST(Crc32, StandardValuesOverStreamsAndBigStreams) {
    TMemoryStream m;
    m.WriteBuffer("123456789", 9);
    EXPECT_EQ(StreamCrc32(m), 0xCBF43926u);
    EXPECT_EQ(m.Position(), 9);
    TMemoryStream empty;
    EXPECT_EQ(StreamCrc32(empty), 0u);

    ScratchFolder folder;
    std::string big(3 * 1048576 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 + (i >> 12));
    test::WriteBytes(folder / "big.bin", big);
    TFileStream file(folder / "big.bin", fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(StreamCrc32(file), test::Crc(big));

    TQsBigFileStream volumes(folder / "vol.dat", fmCreate, 1000);
    volumes.Write(big.data(), 10000);
    volumes.SetPosition(1234);
    uint8_t buffer[300];
    EXPECT_EQ(BigStreamCrc32(volumes, 5000, buffer, sizeof buffer), test::Crc(big.substr(1234, 5000)));
    EXPECT_EQ(volumes.GetPosition(), 6234);
    volumes.SetPosition(9000);
    EXPECT_THROW(BigStreamCrc32(volumes, 1001, buffer, sizeof buffer), Error) << "the source ends early";
}

TEST(FindArchiveByTitle, FindsTheExecutableWhoseSettingsCarryTheTitle) {
    ScratchFolder folder;
    auto settingsImage = [](const std::string& title) {
        TQuorInstallSet settings;
        settings.Title = title;
        TMemoryStream m;
        settings.SaveToStream(m);
        return Text(m);
    };
    test::WriteBytes(folder / "plain.exe", "MZ no archive here");
    test::WriteBytes(folder / "tiny.exe", "q");
    test::WriteBytes(folder / "other.exe", test::ExecutableWith("MZ", Archive({{"install.dat", settingsImage("Other")}}, 102)));
    test::WriteBytes(folder / "game.EXE", test::ExecutableWith("MZ", Archive({{"install.dat", settingsImage("Mine")}}, 102)));
    test::WriteBytes(folder / "game.dat", Archive({{"install.dat", settingsImage("Mine")}}, 102));
    // A program whose trailer is sound but whose archive is not is passed over.
    test::WriteBytes(folder / "a-damaged.exe", test::ExecutableWith("MZ", "vf damaged directory"));

    EXPECT_EQ(FindArchiveByTitle(folder.Path(), "Mine"), folder / "game.EXE");
    EXPECT_EQ(FindArchiveByTitle(folder.Path(), "mine"), "") << "titles compare exactly";
    EXPECT_EQ(FindArchiveByTitle(folder.Path(), "Nothing"), "");
}

}  // namespace
}  // namespace qi
