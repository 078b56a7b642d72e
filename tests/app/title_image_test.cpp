#include <gtest/gtest.h>

#include "app/app_harness.h"
#include "app/title_image.h"
#include "app/window_pictures.h"
#include "image/vexa_writer.h"

#include <memory>

namespace qi {
namespace {

using test::WriteBytes;

constexpr uint32_t kRed = 0x000000FF, kGreen = 0x0000FF00, kBlue = 0x00FF0000, kNavy = 0x00800000;

uint32_t ColorAt(const TDIBSurface& s, int x, int y) { return s.PixelToColor(s.Pixel(x, y)); }

// A 24-bit picture in one colour with a green top-left pixel.
std::unique_ptr<TDIBSurface> Picture(int w, int h, uint32_t color) {
    auto owned = std::make_unique<TDIBSurface>();
    TDIBSurface& picture = *owned;
    picture.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) picture.SetPixel(x, y, picture.ColorToPixel(color & 0xFF, (color >> 8) & 0xFF, color >> 16));
    }
    picture.SetPixel(0, 0, picture.ColorToPixel(0, 255, 0));
    return owned;
}

class TitleImage : public test::AppTest {
protected:
    // An archive on the disc holding the picture as a layered image.
    TVrFileCollection& ArchiveWith(const TDIBSurface& picture) {
        TMemoryStream image;
        VexaFrameData frame;
        frame.Width = picture.Width();
        frame.Height = picture.Height();
        VexaLayerData layer;
        layer.Pixels = &picture;
        frame.Layers.push_back(layer);
        WriteVexaImage(image, VexaWriteOptions{}, {frame});
        test::TestEntry entry{"title.vxa", std::string(image.Bytes().begin(), image.Bytes().end())};
        entry.checksum = test::Crc(entry.content);
        WriteBytes(disc / "game.dat", test::Archive({entry}, 102));
        archive.Open(disc / "game.dat");
        return archive;
    }
    TVrFileCollection archive;
};

TEST_F(TitleImage, BackdropShowsGradientCentredPictureAndFooter) {
    TFormMain form(settings);
    form.FormCreate(1024, 768);
    TDXPaintBox box{form.ClientWidth, form.ClientHeight};
    TDIBSurface out;
    RenderBackdrop(form, box, out);
    ASSERT_EQ(out.Width(), 924);
    ASSERT_EQ(out.Height(), 568);
    EXPECT_EQ(ColorAt(out, 0, 0), kBlue);
    EXPECT_EQ(ColorAt(out, 500, 4), 0x00FE0000u);
    EXPECT_EQ(ColorAt(out, 10, 530), kNavy);
    EXPECT_EQ(ColorAt(out, 10, 548), 0u);  // the footer strip
    EXPECT_EQ(ColorAt(out, 923, 559), 0u);
    EXPECT_EQ(ColorAt(out, 10, 560), kNavy);

    settings.TitleImage = "title.vxa";
    settings.TitleImageMode = 0;
    DrawTitleImage(box, settings, ArchiveWith(*Picture(100, 50, kRed)));
    EXPECT_TRUE(box.Center);
    RenderBackdrop(form, box, out);
    EXPECT_EQ(ColorAt(out, 412, 259), kGreen);
    EXPECT_EQ(ColorAt(out, 511, 308), kRed);
    EXPECT_NE(ColorAt(out, 411, 259), kRed);  // the gradient around it
    EXPECT_NE(ColorAt(out, 512, 308), kRed);
}

TEST_F(TitleImage, TiledAndStretchedPictures) {
    settings.TitleImage = "title.vxa";
    settings.TitleImageMode = 2;
    TDXPaintBox tiled{924, 568};
    DrawTitleImage(tiled, settings, ArchiveWith(*Picture(100, 100, kRed)));
    ASSERT_EQ(tiled.Image.Width(), 924);
    EXPECT_EQ(ColorAt(tiled.Image, 900, 500), kGreen);  // the last copies start there
    EXPECT_EQ(ColorAt(tiled.Image, 923, 567), kRed);    // and are cut at the edges
    EXPECT_EQ(ColorAt(tiled.Image, 100, 0), kGreen);

    archive.Open("");
    settings.TitleImageMode = 1;
    TDXPaintBox stretched{4, 4};
    DrawTitleImage(stretched, settings, ArchiveWith(*Picture(2, 2, kRed)));
    EXPECT_TRUE(stretched.Stretch);
    TDIBSurface out;
    out.SetSize(4, 4, 24);
    PaintDXBox(out, stretched);
    EXPECT_EQ(ColorAt(out, 1, 1), kGreen);
    EXPECT_EQ(ColorAt(out, 2, 1), kRed);
    EXPECT_EQ(ColorAt(out, 3, 3), kRed);
}

// The launcher without runtime installers on the disc: the picture centred
// in the shrunken window, the buttons as raised faces on top.
TEST_F(TitleImage, LauncherShowsPictureAndButtonFaces) {
    settings.TitleImage = "title.vxa";
    settings.TitleImageMode = 0;
    TDIBSurface out;
    ASSERT_EQ(RenderLauncherPicture(settings, ArchiveWith(*Picture(100, 50, kRed)), disc / "setup.exe", out), "");
    ASSERT_EQ(out.Width(), 265);
    ASSERT_EQ(out.Height(), 158);
    constexpr uint32_t kFace = 0xF0F0F0, kLight = 0xFFFFFF, kDark = 0x696969;
    EXPECT_EQ(ColorAt(out, 5, 5), kFace);
    EXPECT_EQ(ColorAt(out, 82, 54), kGreen);  // (265 - 100) / 2, (158 - 50) / 2
    EXPECT_EQ(ColorAt(out, 181, 63), kRed);   // just above the install button
    EXPECT_EQ(ColorAt(out, 181, 64), kLight);
    EXPECT_EQ(ColorAt(out, 100, 80), kFace);  // the button hides the picture
    EXPECT_EQ(ColorAt(out, 28, 116), kLight);  // exit moved up by two steps
    EXPECT_EQ(ColorAt(out, 240, 144), kDark);
    EXPECT_EQ(ColorAt(out, 100, 150), kFace);

    archive.Open("");
    settings.TitleImage = "nothere.vxa";
    std::string problem = RenderLauncherPicture(settings, ArchiveWith(*Picture(2, 2, kRed)), disc / "setup.exe", out);
    EXPECT_NE(problem.find("nothere.vxa"), std::string::npos);
    EXPECT_EQ(ColorAt(out, 82, 54), kFace);
}

TEST_F(TitleImage, AMissingEntryRaisesAndLeavesTheBoxEmpty) {
    settings.TitleImage = "nothere.vxa";
    TDXPaintBox box{100, 100};
    EXPECT_THROW(DrawTitleImage(box, settings, ArchiveWith(*Picture(2, 2, kRed))), Error);
    EXPECT_TRUE(box.Empty());
    settings.TitleImage.clear();
    DrawTitleImage(box, settings, archive);
    EXPECT_TRUE(box.Empty());
}

}  // namespace
}  // namespace qi
