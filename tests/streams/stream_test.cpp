#include <gtest/gtest.h>

#include <cstring>

#include "streams/stream.h"
#include "support/scratch.h"

namespace qi {
namespace {

// A stream that claims a size but hands out fewer bytes than that.
class DryStream : public TStream {
public:
    explicit DryStream(int64_t delivers) : left_(delivers) {}
    int64_t Read(void* buffer, int64_t count) override {
        int64_t n = std::min(count, left_);
        std::memset(buffer, 'd', static_cast<size_t>(n));
        left_ -= n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t, SeekOrigin) override { return 0; }
    int64_t Size() override { return 1000; }
    void SetSize(int64_t) override {}

private:
    int64_t left_;
};

TEST(MemoryStream, ReadWriteSeekAndGrow) {
    TMemoryStream m;
    m.Write("hello", 5);
    m.SetPosition(8);
    m.Write("!", 1);
    EXPECT_EQ(m.Size(), 9);
    EXPECT_EQ(std::string(m.Bytes().begin(), m.Bytes().end()), std::string("hello\0\0\0!", 9));
    m.SetPosition(7);
    char buffer[8] = {};
    EXPECT_EQ(m.Read(buffer, 8), 2);
    m.SetPosition(100);
    EXPECT_EQ(m.Read(buffer, 1), 0);
    EXPECT_THROW(m.ReadBuffer(buffer, 1), Error);
}

TEST(CopyStreamData, CountZeroCopiesWholeSourceFromItsStart) {
    TMemoryStream source, dest;
    source.Write("abcdef", 6);  // position stands at the end
    EXPECT_EQ(CopyStreamData(dest, source, 0), 6);
    EXPECT_EQ(dest.Size(), 6);
    source.SetPosition(2);
    EXPECT_EQ(CopyStreamData(dest, source, 3), 3);
    EXPECT_EQ(source.Position(), 5);
    EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "abcdefcde");
}

TEST(CopyStreamData, SourceThatRunsDryIsAnError) {
    TMemoryStream dest;
    DryStream dry(10);
    EXPECT_THROW(CopyStreamData(dest, dry, 50), Error);
    TMemoryStream memory;
    memory.Write("abc", 3);
    memory.SetPosition(1);
    EXPECT_THROW(CopyStreamData(dest, memory, 5), Error);  // never reads past the block
}

TEST(FileStream, ModesShareAndCreate) {
    test::ScratchFolder dir;
    std::string name = dir / "data.bin";
    {
        TFileStream created(name, fmCreate);
        created.WriteBuffer("0123456789", 10);
        EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyWrite), Error);  // create holds it alone
    }
    TFileStream reader(name, fmOpenRead | fmShareDenyWrite);
    TFileStream second(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_THROW(TFileStream(name, fmOpenReadWrite | fmShareDenyWrite), Error);
    EXPECT_EQ(reader.Size(), 10);
    reader.SetPosition(6);
    char buffer[8];
    EXPECT_EQ(reader.Read(buffer, 8), 4);
    EXPECT_THROW(TFileStream(dir / "missing.bin", fmOpenRead), Error);
}

TEST(ResourceStream, MissingResourceIsAnError) {
    test::ScratchFolder dir;
    test::WriteBytes(dir / "plain.exe", "not a program");
    EXPECT_THROW(TResourceStream(dir / "plain.exe", "DUMMY", "BINTYPE"), Error);
}

}  // namespace
}  // namespace qi
