#include <gtest/gtest.h>

#include "settings/install_set.h"
#include "support/scratch.h"

namespace qi {
namespace {

// Builds an "install.dat" image of any version, field by field in file order.
class Image {
public:
    Image& Header(const std::string& h) { return Raw(h); }
    Image& Raw(const std::string& bytes) {
        bytes_ += bytes;
        return *this;
    }
    Image& Byte(uint8_t b) { return Raw(std::string(1, static_cast<char>(b))); }
    Image& Int(int32_t v) { return Little(static_cast<uint32_t>(v), 4); }
    Image& Size(int64_t v, int version) { return Little(static_cast<uint64_t>(v), version >= 100 ? 8 : 4); }
    Image& Str(const std::string& s) { return Int(static_cast<int32_t>(s.size())).Raw(s); }
    const std::string& Bytes() const { return bytes_; }

private:
    Image& Little(uint64_t v, int n) {
        for (int i = 0; i < n; ++i) bytes_ += static_cast<char>(v >> (8 * i));
        return *this;
    }
    std::string bytes_;
};

// A complete image of the given version with two discs and distinctive values.
Image Sample(int version, bool header = true) {
    Image im;
    if (header) {
        char h[6];
        std::snprintf(h, sizeof h, "is%03d", version);
        im.Header(h);
    }
    im.Int(1).Str("Title").Str("Footer").Str("<ProgramFiles>\\Maker\\Game").Str("readme.txt").Byte(1);
    im.Str("title.vxa").Byte(2).Int(2).Str("game.exe").Int(-7).Byte(1).Byte(0x5A).Str("CD-ROM").Str("\\Maker\\Game");
    for (int disc = 0; disc < 2; ++disc) {
        for (int c = 0; c < 4; ++c) im.Size(1000 * (disc + 1) + c, version);
    }
    im.Size(11, version).Size(22, version).Size(33, version).Size(44, version).Byte(1);
    if (version >= 101) im.Byte(1);
    if (version >= 102) im.Int(3).Str("game.exe").Int(0).Str("install.dat");
    if (version >= 103) im.Byte(1);
    if (version >= 104) im.Byte(2);
    if (version >= 105) im.Byte(1);
    if (version >= 106) im.Int(2).Str("setup.exe").Str("");
    if (version >= 107) im.Str("Caption");
    if (version >= 108) im.Str("Hello").Str("License");
    return im;
}

TQuorInstallSet Load(const std::string& bytes) {
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    TQuorInstallSet s;
    s.LoadFromStream(stream);
    return s;
}

TEST(InstallSetFormat, EveryVersionReadsItsOwnFields) {
    for (int version : {0, 99, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 999}) {
        SCOPED_TRACE(version);
        // Above 108 the file is read with the version-108 layout.
        std::string bytes = Sample(std::min(version, 108), version != 0).Bytes();
        if (version > 108) bytes.replace(0, 5, "is" + std::to_string(version));
        TQuorInstallSet s = Load(bytes);
        EXPECT_EQ(s.FormatVersion, version);
        EXPECT_EQ(s.Title, "Title");
        EXPECT_EQ(s.DefaultFolder, "<ProgramFiles>\\Maker\\Game");
        EXPECT_EQ(s.TitleImageMode, 2);
        EXPECT_EQ(s.ImageSeed, -7);
        EXPECT_EQ(s.ReservedFlag, 0x5A);
        ASSERT_EQ(s.DiscCount, 2);
        EXPECT_EQ(s.MovieSizes, (std::vector<int64_t>{1003, 2003}));
        EXPECT_EQ(s.MovieTotal, 44);
        EXPECT_TRUE(s.Installed);
        EXPECT_EQ(s.UpdateMode, version >= 101);
        std::vector<std::string> recorded;
        if (version >= 102) recorded = {"game.exe", "install.dat"};
        EXPECT_EQ(s.InstalledFiles, recorded);
        EXPECT_EQ(s.DataInstalled, version >= 103);
        EXPECT_EQ(s.InstallType, version >= 104 ? 2 : 0);
        EXPECT_EQ(s.ExtractFiles, version >= 105);
        EXPECT_EQ(s.SourceFiles.size(), version >= 106 ? 2u : 0u);
        EXPECT_EQ(s.SetupCaption, version >= 107 ? "Caption" : "");
        EXPECT_EQ(s.LicenseText, version >= 108 ? "License" : "");
    }
}

TEST(InstallSetFormat, HeaderAndSizeEncodings) {
    // "is" followed by non-digits: version 0, but the body starts at byte 5.
    TQuorInstallSet s = Load("isXYZ" + Sample(0, false).Bytes());
    EXPECT_EQ(s.FormatVersion, 0);
    EXPECT_EQ(s.Title, "Title");

    // Below version 100 a size is 4 bytes, unsigned.
    Image im;
    im.Header("is099").Int(0).Str("T").Str("").Str("").Str("").Byte(0).Str("").Byte(0).Int(0);
    im.Str("").Int(0).Byte(0).Byte(0).Str("").Str("");
    im.Raw("\xFF\xFF\xFF\xFF").Size(1, 99).Size(2, 99).Size(3, 99).Byte(0);
    s = Load(im.Bytes());
    EXPECT_EQ(s.ProgramTotal, 4294967295LL);  // not -1
    EXPECT_EQ(s.MovieTotal, 3);
    EXPECT_EQ(s.DiscCount, 0);
}

TEST(InstallSetFormat, RoundTripKeepsEverythingButEmptyInstalledFiles) {
    TQuorInstallSet s = Load(Sample(108).Bytes());
    s.InstalledFiles.push_back("");
    s.ProgramTotal = 0x123456789ALL;
    TMemoryStream stream;
    s.SaveToStream(stream);
    std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
    EXPECT_EQ(bytes.substr(0, 5), "is108");

    TQuorInstallSet back = Load(bytes);
    EXPECT_EQ(back.InstalledFiles, (std::vector<std::string>{"game.exe", "install.dat"}));
    EXPECT_EQ(back.SourceFiles, (std::vector<std::string>{"setup.exe", ""}));  // the empty entry survives
    EXPECT_EQ(back.ProgramTotal, 0x123456789ALL);
    back.InstalledFiles.push_back("");
    TMemoryStream again;
    back.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), stream.Bytes());
}

TEST(InstallSetFormat, OlderFileKeepsFieldsItLacks) {
    TQuorInstallSet s = Load(Sample(108).Bytes());
    TMemoryStream older;
    std::string bytes = Sample(101).Bytes();
    older.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    older.SetPosition(0);
    s.LoadFromStream(older);
    EXPECT_EQ(s.FormatVersion, 101);
    EXPECT_EQ(s.HelloText, "Hello");      // kept from the earlier load
    EXPECT_TRUE(s.InstalledFiles.empty());  // lists are cleared
}

TEST(InstallSetFormat, TruncatedOrHostileImagesFailAndChangeNothing) {
    const std::string full = Sample(108).Bytes();
    TQuorInstallSet before = Load(full);
    for (size_t cut = 0; cut < full.size(); ++cut) {
        TQuorInstallSet s = before;
        TMemoryStream stream;
        stream.Write(full.data(), static_cast<int64_t>(cut));
        stream.SetPosition(0);
        try {
            s.LoadFromStream(stream, "D:\\install.dat");
            ADD_FAILURE() << "no error at cut " << cut;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("D:\\install.dat"), std::string::npos);
        }
        EXPECT_EQ(s.Title, before.Title);
        EXPECT_EQ(s.InstalledFiles, before.InstalledFiles);
    }

    auto expectRejected = [](const std::string& bytes) {
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.SetPosition(0);
        TQuorInstallSet s;
        EXPECT_THROW(s.LoadFromStream(stream), Error);
    };
    Image hugeString;
    hugeString.Header("is108").Int(0).Int(0x7FFFFFFF);
    expectRejected(hugeString.Bytes());
    Image negativeDiscs;
    negativeDiscs.Header("is108").Int(0).Str("").Str("").Str("").Str("").Byte(0).Str("").Byte(0).Int(-1);
    expectRejected(negativeDiscs.Bytes());
    Image hugeDiscs;
    hugeDiscs.Header("is108").Int(0).Str("").Str("").Str("").Str("").Byte(0).Str("").Byte(0).Int(100000000);
    expectRejected(hugeDiscs.Bytes() + std::string(200, '\0'));
    std::string hugeList = Sample(101).Bytes();
    hugeList.replace(0, 5, "is102");
    expectRejected(hugeList + std::string("\xFF\xFF\xFF\x7F", 4));
    // Names enough to fill the file, but more than any game lists.
    expectRejected(hugeList + std::string("\x00\x00\x30\x00", 4) + std::string(12 << 20, '\0'));
}

TEST(InstallSetFormat, SaveToFileReplacesTheWholeFile) {
    test::ScratchFolder dir;
    std::string name = dir / "install.dat";
    test::WriteBytes(name, std::string(4096, 'x'));
    TQuorInstallSet s = Load(Sample(108).Bytes());
    s.SaveToFile(name);
    TQuorInstallSet back;
    back.LoadFromFile(name);
    EXPECT_EQ(back.Title, "Title");
    TMemoryStream expected;
    s.SaveToStream(expected);
    EXPECT_EQ(test::ReadBytes(name).size(), expected.Bytes().size());

    TQuorInstallSet missing;
    EXPECT_THROW(missing.LoadFromFile(dir / "none.dat"), Error);
}

TEST(InstallSetFormat, SetDiscCountKeepsLeadingSizes) {
    TQuorInstallSet s;
    s.SetDiscCount(2);
    s.DataSizes = {5, 6};
    s.SetDiscCount(3);
    EXPECT_EQ(s.DataSizes, (std::vector<int64_t>{5, 6, 0}));
    s.SetDiscCount(1);
    EXPECT_EQ(s.DataSizes, (std::vector<int64_t>{5}));
    EXPECT_THROW(s.SetDiscCount(-1), Error);
}

}  // namespace
}  // namespace qi
