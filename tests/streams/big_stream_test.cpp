#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "streams/big_stream.h"
#include "support/scratch.h"

namespace qi {
namespace {

constexpr int64_t kSmallVolume = 1000;

std::string Pattern(size_t n, int seed = 0) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + static_cast<size_t>(seed)) % 251);
    return s;
}

std::string ReadAll(TQsBigStream& stream) {
    stream.SetPosition(0);
    std::string s(static_cast<size_t>(stream.GetSize()), '\0');
    EXPECT_EQ(stream.Read(s.data(), static_cast<int64_t>(s.size())), static_cast<int64_t>(s.size()));
    return s;
}

TEST(BigFileStream, VolumeNames) {
    TQsBigFileStream s("D:\\game\\game.dat", 0x0001);
    EXPECT_EQ(s.VolumeFileName(0), "D:\\game\\game.dat");
    EXPECT_EQ(s.VolumeFileName(12), "D:\\game\\game.012");
    EXPECT_EQ(s.VolumeFileName(1000), "D:\\game\\game.1000");
}

TEST(BigFileStream, WritesFillEachVolumeExactly) {
    test::ScratchFolder dir;
    std::string name = dir / "game.dat";
    std::string data = Pattern(2 * kSmallVolume + 10);
    {
        TQsBigFileStream out(name, fmCreate, kSmallVolume);
        EXPECT_EQ(out.Write(data.data(), 300), 300);
        EXPECT_EQ(out.Write(data.data() + 300, static_cast<int64_t>(data.size()) - 300),
                  static_cast<int64_t>(data.size()) - 300);
        EXPECT_EQ(out.VolumeCount(), 3);
        EXPECT_EQ(out.GetSize(), static_cast<int64_t>(data.size()));
    }
    EXPECT_EQ(test::ReadBytes(name).size(), 1000u);
    EXPECT_EQ(test::ReadBytes(dir / "game.001").size(), 1000u);
    EXPECT_EQ(test::ReadBytes(dir / "game.002"), data.substr(2000));

    TQsBigFileStream in(name, fmOpenRead | fmShareDenyWrite, kSmallVolume);
    EXPECT_EQ(ReadAll(in), data);
    in.SetPosition(static_cast<int64_t>(data.size()) - 40);
    char buffer[100];
    EXPECT_EQ(in.Read(buffer, 100), 40);
    in.SetPosition(1 << 30);
    EXPECT_EQ(in.GetPosition(), static_cast<int64_t>(data.size()));
    EXPECT_THROW(in.SetPosition(-1), Error);
}

// Small reads one after the other come from a window read ahead; jumps
// back, forward and across volumes, and the end, read what the file holds.
TEST(BigFileStream, SmallReadsInAndOutOfOrderReadTheFile) {
    test::ScratchFolder dir;
    const std::string name = dir / "game.dat";
    const std::string data = Pattern(5 * kSmallVolume + 123);
    {
        TQsBigFileStream out(name, fmCreate, kSmallVolume);
        ASSERT_EQ(out.Write(data.data(), static_cast<int64_t>(data.size())), static_cast<int64_t>(data.size()));
    }
    TQsBigFileStream in(name, fmOpenRead | fmShareDenyWrite, kSmallVolume);
    std::string read;
    char piece[97];
    for (int64_t got; (got = in.Read(piece, sizeof piece)) > 0;) read.append(piece, static_cast<size_t>(got));
    EXPECT_EQ(read, data);
    for (int64_t at : {int64_t{2990}, int64_t{10}, int64_t{4000}, int64_t{3999}, int64_t{0}, int64_t{5100}}) {
        in.SetPosition(at);
        const int64_t got = in.Read(piece, sizeof piece);
        const std::string expected = data.substr(static_cast<size_t>(at), sizeof piece);
        EXPECT_EQ(std::string(piece, static_cast<size_t>(got)), expected) << at;
        EXPECT_EQ(in.GetPosition(), at + got);
        EXPECT_EQ(in.Read(piece, 3), std::min<int64_t>(3, static_cast<int64_t>(data.size()) - at - got)) << at;
    }
}

TEST(BigFileStream, ChainEndsAtFirstMissingVolume) {
    test::ScratchFolder dir;
    test::WriteBytes(dir / "game.dat", Pattern(1000));
    test::WriteBytes(dir / "game.001", Pattern(5));
    test::WriteBytes(dir / "game.003", Pattern(7));  // after a gap: ignored
    {
        TQsBigFileStream in(dir / "game.dat", fmOpenRead | fmShareDenyWrite, kSmallVolume);
        EXPECT_EQ(in.VolumeCount(), 2);
        EXPECT_EQ(in.GetSize(), 1005);
    }
    // Creating deletes the chain up to the first missing number.
    TQsBigFileStream fresh(dir / "game.dat", fmCreate, kSmallVolume);
    EXPECT_EQ(fresh.GetSize(), 0);
    EXPECT_FALSE(platform::FileExists(dir / "game.dat"));
    EXPECT_FALSE(platform::FileExists(dir / "game.001"));
    EXPECT_TRUE(platform::FileExists(dir / "game.003"));
}

TEST(BigFileStream, DamagedChainsAreErrorsThatNameTheVolume) {
    test::ScratchFolder dir;
    auto expectErrorNaming = [](const std::string& name, auto&& open) {
        try {
            open();
            ADD_FAILURE() << "no error for " << name;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
    };
    // A short middle volume would shift every later byte.
    test::WriteBytes(dir / "game.dat", Pattern(999));
    test::WriteBytes(dir / "game.001", Pattern(5));
    expectErrorNaming(dir / "game.dat", [&] { TQsBigFileStream(dir / "game.dat", fmOpenRead, kSmallVolume); });

    // A volume held exclusively elsewhere cannot be opened.
    test::WriteBytes(dir / "game.dat", Pattern(1000));
    {
        TFileStream holder(dir / "game.001", fmOpenReadWrite | fmShareExclusive);
        expectErrorNaming(dir / "game.001",
                          [&] { TQsBigFileStream(dir / "game.dat", fmOpenRead | fmShareDenyWrite, kSmallVolume); });
    }

    // A volume that cannot be created: a folder stands in its place.
    platform::CreateFolders(dir / "out.001");
    TQsBigFileStream out(dir / "out.dat", fmCreate, kSmallVolume);
    std::string data = Pattern(1500);
    expectErrorNaming(dir / "out.001", [&] { out.Write(data.data(), 1500); });
}

TEST(BigFileStream, CopiesBetweenStreamsAndFiles) {
    test::ScratchFolder dir;
    std::string data = Pattern(2500, 3);
    TMemoryStream source;
    source.Write(data.data(), static_cast<int64_t>(data.size()));  // position at the end

    TQsBigFileStream a(dir / "a.dat", fmCreate, kSmallVolume);
    EXPECT_EQ(a.CopyFromStream(source, 0), 2500);  // 0: the whole source from its start
    EXPECT_EQ(ReadAll(a), data);

    // File to file, with unlike volume sizes so pieces cross both boundaries.
    TQsBigFileStream b(dir / "b.dat", fmCreate, 700);
    a.SetPosition(100);
    b.Write("xy", 2);
    EXPECT_EQ(b.CopyFrom(a, 2300), 2300);
    EXPECT_EQ(ReadAll(b), "xy" + data.substr(100, 2300));
    EXPECT_EQ(b.VolumeCount(), 4);

    // Memory big stream into a file stream goes through the copy buffer.
    TQsBigMemoryStream m;
    m.Write(data.data(), 1234);
    TQsBigFileStream c(dir / "c.dat", fmCreate, kSmallVolume);
    c.CopyBufferSize = 100;
    EXPECT_EQ(c.CopyFrom(m, 0), 1234);
    EXPECT_EQ(ReadAll(c), data.substr(0, 1234));

    TMemoryStream out;
    c.SetPosition(990);
    EXPECT_EQ(c.CopyToStream(out, 0), 0);  // 0 copies nothing here
    EXPECT_EQ(c.CopyToStream(out, 20), 20);
    EXPECT_EQ(c.CopyToStream(out, 5000), 224);  // stops at the end
    EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), data.substr(990, 244));

    // A source shorter than the count asked for is an error, not a wait.
    a.SetPosition(2400);
    EXPECT_THROW(b.CopyFrom(a, 500), Error);
    m.SetPosition(1200);
    EXPECT_THROW(c.CopyFrom(m, 500), Error);
}

TEST(BigFileStream, AppendModeExtendsTheLastVolume) {
    test::ScratchFolder dir;
    std::string data = Pattern(1600);
    {
        TQsBigFileStream out(dir / "game.dat", fmCreate, kSmallVolume);
        out.Write(data.data(), 1200);
    }
    {
        TQsBigFileStream append(dir / "game.dat", fmOpenReadWrite | fmShareDenyWrite, kSmallVolume);
        append.SetPosition(append.GetSize());
        append.Write(data.data() + 1200, 400);
    }
    TQsBigFileStream in(dir / "game.dat", fmOpenRead | fmShareDenyWrite, kSmallVolume);
    EXPECT_EQ(ReadAll(in), data);
}

TEST(BigWrapperStreams, MemoryStreamBehaviour) {
    test::ScratchFolder dir;
    test::WriteBytes(dir / "f.bin", Pattern(300));
    TQsBigMemoryStream m;
    m.LoadFromFile(dir / "f.bin");
    EXPECT_EQ(m.GetSize(), 300);
    EXPECT_EQ(m.GetPosition(), 0);
    m.SetPosition(1000);
    EXPECT_EQ(m.GetPosition(), 1000);  // no clamping
    char b;
    EXPECT_EQ(m.Read(&b, 1), 0);

    // Unlike classes copy nothing.
    TQsBigFileStream f(dir / "f.bin", fmOpenRead | fmShareDenyWrite);
    m.SetPosition(0);
    EXPECT_EQ(m.CopyFrom(f, 0), 0);
    EXPECT_EQ(m.GetSize(), 300);
    TQsBigMemoryStream other;
    EXPECT_EQ(other.CopyFrom(m, 0), 300);
}

TEST(BuffBigStream, ServesSmallReadsAndRestoresPosition) {
    TQsBigMemoryStream source;
    std::string data = Pattern(500000);
    source.Write(data.data(), static_cast<int64_t>(data.size()));
    source.SetPosition(0);
    {
        TQsBuffBigStream reader(source);
        char ten[10], four[4];
        EXPECT_EQ(reader.Read(ten, 10), 10);
        EXPECT_EQ(reader.Read(four, 4), 4);
        EXPECT_EQ(std::string(four, 4), data.substr(10, 4));
        EXPECT_EQ(source.GetPosition(), 102400);
    }
    EXPECT_EQ(source.GetPosition(), 14);

    source.SetPosition(0);
    {
        TQsBuffBigStream reader(source);
        std::string big(250000, '\0');
        EXPECT_EQ(reader.Read(big.data(), 250000), 250000);
        EXPECT_EQ(big, data.substr(0, 250000));
        EXPECT_EQ(source.GetPosition(), 3 * 102400);
    }
    EXPECT_EQ(source.GetPosition(), 250000);
}

TEST(BuffBigStream, EndOfSourceGivesShortRead) {
    test::ScratchFolder dir;
    test::WriteBytes(dir / "s.dat", Pattern(150000));
    TQsBigFileStream file(dir / "s.dat", fmOpenRead | fmShareDenyWrite);
    file.SetPosition(149990);
    TQsBuffBigStream reader(file);
    std::string rest(100, '\0');
    EXPECT_EQ(reader.Read(rest.data(), 100), 10);
    EXPECT_EQ(reader.Read(rest.data(), 100), 0);

    // At the end of a memory source, the empty block request must not turn
    // into a whole-stream copy.
    TQsBigMemoryStream memory;
    memory.Write("abc", 3);
    TQsBuffBigStream atEnd(memory);
    EXPECT_EQ(atEnd.Read(rest.data(), 10), 0);
}

// Writes across a real 1 GiB boundary; opt in with QI_BIG_TESTS=1.
TEST(BigFileStream, RealVolumeBoundary) {
    const char* opt = std::getenv("QI_BIG_TESTS");
    if (!opt || std::string(opt) != "1") GTEST_SKIP() << "set QI_BIG_TESTS=1 to write 1 GiB";
    test::ScratchFolder dir;
    std::vector<char> block(1 << 20, 'q');
    {
        TQsBigFileStream out(dir / "game.dat", fmCreate);
        for (int i = 0; i < 1024; ++i) out.Write(block.data(), static_cast<int64_t>(block.size()));
        out.Write("0123456789", 10);
        EXPECT_EQ(out.GetSize(), 1073741834LL);
    }
    TQsBigFileStream in(dir / "game.dat", fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(in.VolumeCount(), 2);
    in.SetPosition(VolumeSize - 2);
    char tail[12];
    EXPECT_EQ(in.Read(tail, 12), 12);
    EXPECT_EQ(std::string(tail, 12), "qq0123456789");
}

}  // namespace
}  // namespace qi
