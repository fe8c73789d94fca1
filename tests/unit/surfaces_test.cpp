// Drawing surfaces: pixel formats and colour keys, keyed and stretched
// copies, and loading the installed pictures into their slots.
#include "client/world/surfaces.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/platform/clock.h"
#include "client/session/program.h"
#include "client/session/startup.h"

namespace {

constexpr PixelFormat kFormat565 = {0xF800, 0x07E0, 0x001F};
constexpr std::uint32_t kMagenta = 0xFF00FF, kWhite = 0xFFFFFF, kBlack = 0, kGrey = 0x808080,
                        kDarkRed = 0x800000, kBlue = 0x0000FF;

// A top-down 32-bit bitmap file of the given pixels (0x00RRGGBB).
std::string BmpFile(int width, int height, const std::vector<std::uint32_t>& pixels) {
  std::string out = "BM";
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 255));
  };
  auto u16 = [&](std::uint16_t v) { out.push_back(static_cast<char>(v & 255)), out.push_back(static_cast<char>(v >> 8)); };
  u32(0), u32(0), u32(54);
  u32(40), u32(width), u32(static_cast<std::uint32_t>(-height)), u16(1), u16(32);
  for (int i = 0; i < 6; ++i) u32(0);
  for (std::uint32_t p : pixels) u32(p);
  return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

Surface MakeSurface(int width, int height, std::uint32_t fill) {
  Surface s;
  s.width = width;
  s.height = height;
  s.pixels.assign(std::size_t(width) * height, fill);
  return s;
}

std::uint32_t At(const Surface& s, int x, int y) { return s.pixels.at(std::size_t(y) * s.width + x); }

TEST(PixelFormat, PacksColoursIntoTheMasks) {
  struct Case {
    PixelFormat format;
    int red, green, blue;
    std::uint32_t raw;
  };
  const Case cases[] = {
      {kFormat565, 128, 0, 0, 0x8000},
      {kFormat565, 255, 255, 255, 0xFFFF},
      {kFormat565, 0, 255, 0, 0x07E0},
      {kDisplayFormat, 128, 0, 0, 0x800000},
      {kDisplayFormat, 255, 255, 255, 0xFFFFFF},
      {kDisplayFormat, 0x12, 0x34, 0x56, 0x123456},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw);
    EXPECT_EQ(PackRgb(c.red, c.green, c.blue, c.format), c.raw);
  }
}

TEST(PixelFormat, RgbFormatsHaveOneRunOfOneToEightBitsPerChannel) {
  struct Case {
    PixelFormat format;
    bool rgb;
  };
  const Case cases[] = {
      {kDisplayFormat, true},
      {kFormat565, true},
      {{0x7C00, 0x03E0, 0x001F}, true},
      {{0, 0, 0}, false},  // a palette display
      {{0xF800, 0, 0x001F}, false},
      {{0x3FF00000, 0x000FFC00, 0x000003FF}, false},  // 10 bits a channel
      {{0xF100, 0x07E0, 0x001F}, false},              // a gap in red
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format.red_mask);
    EXPECT_EQ(IsRgbFormat(c.format), c.rgb);
  }
}

TEST(PixelFormat, ColourKeySetsTheTopBitOfRed) {
  const ColorKey key565 = PictureColorKey(0x0000F81F, kFormat565);
  EXPECT_EQ(key565.low, 0x0000F81Fu);
  EXPECT_EQ(key565.high, 0x0000FFFFu);
  const ColorKey black = PictureColorKey(kBlack, kDisplayFormat);
  EXPECT_EQ(black.low, kDarkRed);
  EXPECT_EQ(black.high, kWhite);
}

class PictureFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/posyvale-surfaces-XXXXXX";
    folder_ = mkdtemp(pattern);
    InstallDir = folder_ + "/";
  }
  void TearDown() override {
    ReleaseSurfaces();
    InstallDir.clear();
    std::filesystem::remove_all(folder_);
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  void WritePicture(const std::string& name, std::uint32_t colour) {
    WriteFile(Path(name), BmpFile(2, 2, {colour, colour, colour, colour}));
  }

  std::string folder_;
};

// Loads a 4 x 1 picture and draws it 1:1 over a grey row.
std::vector<std::uint32_t> DrawOverGrey(const std::string& path,
                                        const std::vector<std::uint32_t>& pixels) {
  WriteFile(path, BmpFile(4, 1, pixels));
  const std::unique_ptr<Surface> picture = LoadPicture(path);
  if (!picture) return {};
  Surface target = MakeSurface(4, 1, kGrey);
  StretchBlit(*picture, {0, 0, 4, 1}, target, {0, 0, 4, 1});
  return target.pixels;
}

TEST_F(PictureFolderTest, MagentaTopLeftIsTransparentExactlyWhereMagenta) {
  const std::vector<std::uint32_t> shown =
      DrawOverGrey(Path("m.bmp"), {kMagenta, kBlue, kMagenta, kMagenta - 1});
  EXPECT_EQ(shown, (std::vector<std::uint32_t>{kGrey, kBlue, kGrey, kMagenta - 1}));
}

TEST_F(PictureFolderTest, BlackTopLeftIsKeyedToDarkRedSoBlackShows) {
  const std::vector<std::uint32_t> shown =
      DrawOverGrey(Path("b.bmp"), {kBlack, kDarkRed, kBlue, kBlack});
  EXPECT_EQ(shown, (std::vector<std::uint32_t>{kBlack, kGrey, kBlue, kBlack}));
}

TEST(StretchBlit, LeavesOutKeyPixelsWhenStretching) {
  Surface picture = MakeSurface(2, 1, 0);
  picture.pixels = {kMagenta, kBlue};
  picture.has_color_key = true;
  picture.color_key = kMagenta;
  Surface target = MakeSurface(4, 1, kGrey);
  StretchBlit(picture, {0, 0, 2, 1}, target, {0, 0, 4, 1});
  EXPECT_EQ(target.pixels, (std::vector<std::uint32_t>{kGrey, kGrey, kBlue, kBlue}));
}

TEST_F(PictureFolderTest, LoadPictureRefusesMissingAndBrokenFiles) {
  EXPECT_EQ(LoadPicture(Path("none.bmp")), nullptr);
  WriteFile(Path("text.bmp"), "not a picture");
  EXPECT_EQ(LoadPicture(Path("text.bmp")), nullptr);
}

// A 31 x 31 picture whose pixel at (x, y) is x + 256 * y, unkeyed.
Surface NumberedPicture() {
  Surface picture = MakeSurface(31, 31, 0);
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 31; ++x) picture.pixels[std::size_t(y) * 31 + x] = x + 256 * y;
  return picture;
}

TEST(StretchBlit, CharacterPicturesShrinkTo30AndGrowTo32) {
  // 31 -> 30 leaves out the last source column and row; 31 -> 32 repeats
  // the first one.
  std::vector<int> to30, to32 = {0};
  for (int i = 0; i < 30; ++i) to30.push_back(i);
  for (int i = 0; i < 31; ++i) to32.push_back(i);
  for (const std::vector<int>& expected : {to30, to32}) {
    const int size = static_cast<int>(expected.size());
    SCOPED_TRACE(size);
    Surface target = MakeSurface(100, 100, kWhite);
    StretchBlit(NumberedPicture(), {0, 0, 31, 31}, target, {10, 20, 10 + size, 20 + size});
    for (int ty = 0; ty < size; ++ty) {
      for (int tx = 0; tx < size; ++tx) {
        ASSERT_EQ(At(target, 10 + tx, 20 + ty), std::uint32_t(expected[tx] + 256 * expected[ty]))
            << tx << "," << ty;
      }
    }
    // Nothing outside the target rectangle changes.
    EXPECT_EQ(At(target, 9, 20), kWhite);
    EXPECT_EQ(At(target, 10 + size, 20), kWhite);
    EXPECT_EQ(At(target, 10, 19), kWhite);
    EXPECT_EQ(At(target, 10, 20 + size), kWhite);
  }
}

TEST(StretchBlit, ClipsToTheTargetAndTheSourceSurfaces) {
  const Surface picture = NumberedPicture();
  struct Case {
    const char* name;
    SceneRect source, target;
    // Every target pixel drawn: (x, y) gets source (x + dx, y + dy).
    int dx, dy;
    SceneRect drawn;
  };
  const Case cases[] = {
      {"over the top-left corner", {0, 0, 4, 4}, {-2, -3, 2, 1}, 2, 3, {0, 0, 2, 1}},
      {"over the bottom-right corner", {5, 6, 9, 10}, {6, 4, 10, 8}, -1, 2, {6, 4, 8, 6}},
      {"source rectangle past the picture", {28, 29, 34, 35}, {0, 0, 6, 6}, 28, 29, {0, 0, 3, 2}},
      {"source rectangle left of the picture", {-2, 0, 2, 1}, {0, 0, 4, 1}, -2, 0, {2, 0, 4, 1}},
      {"completely outside", {0, 0, 4, 4}, {8, 0, 12, 4}, 0, 0, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Surface target = MakeSurface(8, 6, kWhite);
    StretchBlit(picture, c.source, target, c.target);
    ASSERT_EQ(target.pixels.size(), 48u);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool drawn = x >= c.drawn.left && x < c.drawn.right && y >= c.drawn.top && y < c.drawn.bottom;
        const std::uint32_t expected = drawn ? std::uint32_t(x + c.dx + 256 * (y + c.dy)) : kWhite;
        ASSERT_EQ(At(target, x, y), expected) << x << "," << y;
      }
    }
  }
}

TEST(StretchBlit, StretchesAMapOverAWideTarget) {
  // 2 x 1 source over 1500 columns: more target columns than one pass maps.
  Surface source = MakeSurface(2, 1, 0);
  source.pixels = {1, 2};
  Surface target = MakeSurface(1500, 1, kWhite);
  StretchBlit(source, {0, 0, 2, 1}, target, {0, 0, 1500, 1});
  EXPECT_EQ(At(target, 0, 0), 1u);
  EXPECT_EQ(At(target, 749, 0), 1u);
  EXPECT_EQ(At(target, 750, 0), 2u);
  EXPECT_EQ(At(target, 1499, 0), 2u);
}

TEST(FillSurface, SetsEveryPixel) {
  Surface target = MakeSurface(3, 2, kBlack);
  FillSurface(target, kWhite);
  EXPECT_EQ(target.pixels, std::vector<std::uint32_t>(6, kWhite));
}

TEST_F(PictureFolderTest, NumberedPicturesFillTheirSlotsAcrossGaps) {
  WritePicture("0.bmp", kBlue);
  WritePicture("2.bmp", kWhite);
  WritePicture("33.bmp", kBlack);
  WritePicture("item1.bmp", kBlue);
  ASSERT_EQ(CreateSurfaces(), 1);
  EXPECT_EQ(BackBuffer.width, kSceneWidth);
  EXPECT_EQ(BackBuffer.height, kSceneHeight);
  EXPECT_EQ(BackBuffer.pixels.size(), std::size_t(kSceneWidth) * kSceneHeight);
  for (int n = 0; n < kCharacterPictureSlots; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(CharacterPictures[n] != nullptr, n == 0 || n == 2 || n == 33);
  }
  EXPECT_EQ(CharacterPictures[2]->pixels.at(0), kWhite);
  for (int n = 0; n < kItemPictureSlots; ++n) EXPECT_EQ(ItemPictures[n] != nullptr, n == 1);
  EXPECT_EQ(PresentAppearance, 34);
}

TEST_F(PictureFolderTest, PresentPictureGoesToSlot34AndMayBeMissingOrBroken) {
  WritePicture("99.bmp", kMagenta);
  ASSERT_EQ(CreateSurfaces(), 1);
  ASSERT_NE(CharacterPictures[PresentAppearance], nullptr);
  EXPECT_EQ(CharacterPictures[PresentAppearance]->pixels.at(0), kMagenta);

  WriteFile(Path("99.bmp"), "broken");
  EXPECT_EQ(CreateSurfaces(), 1);
  EXPECT_EQ(CharacterPictures[PresentAppearance], nullptr);
}

TEST_F(PictureFolderTest, AnExistingPictureThatDoesNotLoadFailsTheSetup) {
  for (const char* broken : {"5.bmp", "item3.bmp"}) {
    SCOPED_TRACE(broken);
    WritePicture("0.bmp", kBlue);
    WriteFile(Path(broken), "this is not a bitmap");
    EXPECT_EQ(CreateSurfaces(), 0);
    std::remove(Path(broken).c_str());
  }
}

TEST_F(PictureFolderTest, InitSurfacesStartsTheStepClockOnSuccess) {
  platform::SetTickSource([]() -> std::uint32_t { return 123456; });
  StepClock = 0;
  EXPECT_EQ(InitSurfaces(), 1);
  EXPECT_EQ(StepClock, 123456.0);

  WriteFile(Path("1.bmp"), "broken");
  StepClock = 0;
  EXPECT_EQ(InitSurfaces(), 0);
  EXPECT_EQ(StepClock, 0.0);
  platform::SetTickSource(nullptr);
}

TEST_F(PictureFolderTest, ReleaseSurfacesEmptiesEverySlotAndCanRunTwice) {
  WritePicture("0.bmp", kBlue);
  WritePicture("99.bmp", kBlue);
  WritePicture("item0.bmp", kBlue);
  ASSERT_EQ(CreateSurfaces(), 1);
  MapPicture = LoadPicture(Path("0.bmp"));
  ASSERT_NE(MapPicture, nullptr);
  for (int call = 0; call < 2; ++call) {
    ReleaseSurfaces();
    EXPECT_EQ(MapPicture, nullptr);
    for (const auto& picture : CharacterPictures) EXPECT_EQ(picture, nullptr);
    for (const auto& picture : ItemPictures) EXPECT_EQ(picture, nullptr);
    EXPECT_TRUE(BackBuffer.pixels.empty());
  }
  // Drawing on released surfaces draws nothing.
  FillSurface(BackBuffer, kWhite);
  PresentBackBuffer();
}

TEST_F(PictureFolderTest, PictureFolderHasNoTrailingSlash) {
  EXPECT_EQ(PictureFolder(), folder_);
}

}  // namespace
