// Composition of the scene: draw order, which characters are drawn, speech
// balloons, the ticker line and the reloading of map pictures, observed on
// the pixels of the back buffer.
#include "client/world/frame.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "client/platform/clock.h"
#include "client/platform/font.h"
#include "client/session/program.h"
#include "client/world/surfaces.h"
#include "client/world/world_state.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBalloon = 0xFFFFAA;
constexpr std::uint32_t kMagenta = 0xFF00FF;

std::uint32_t current_tick = 0;
std::uint32_t TestTick() { return current_tick; }

// The colour of each character picture used by the tests.
std::uint32_t PictureColour(int appearance) { return static_cast<std::uint32_t>(appearance * 7 + 16) << 16 | 0x40; }

// A 32 x 32 picture: the drawn 31 x 31 area in one colour, keyed on magenta
// like an installed picture whose top-left pixel is magenta.
std::unique_ptr<Surface> SolidPicture(std::uint32_t colour) {
  auto picture = std::make_unique<Surface>();
  picture->width = 32;
  picture->height = 32;
  picture->pixels.assign(32 * 32, colour);
  picture->has_color_key = true;
  picture->color_key = kMagenta;
  return picture;
}

// Writes a 24-bit bottom-up BMP of one colour.
void WriteBmp(const std::string& path, int width, int height, std::uint32_t colour) {
  const int row_bytes = (width * 3 + 3) & ~3;
  const int image_bytes = row_bytes * height;
  std::vector<unsigned char> file(54 + image_bytes, 0);
  auto put32 = [&](int at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  put32(34, static_cast<std::uint32_t>(image_bytes));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* pixel = &file[54 + y * row_bytes + x * 3];
      pixel[0] = static_cast<unsigned char>(colour);
      pixel[1] = static_cast<unsigned char>(colour >> 8);
      pixel[2] = static_cast<unsigned char>(colour >> 16);
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
}

std::uint32_t PixelAt(int x, int y) { return BackBuffer.pixels[static_cast<std::size_t>(y) * kSceneWidth + x]; }

bool OnlyColour(std::uint32_t colour) {
  for (std::uint32_t pixel : BackBuffer.pixels) {
    if (pixel != colour) return false;
  }
  return true;
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("frame_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    InstallDir = folder_.string() + "/";
    BackBuffer = Surface{};
    BackBuffer.width = kSceneWidth;
    BackBuffer.height = kSceneHeight;
    BackBuffer.pixels.assign(kSceneWidth * kSceneHeight, 0);
    for (int n = 0; n < kCharacterPictureSlots; ++n) CharacterPictures[n] = SolidPicture(PictureColour(n));
    MapPicture.reset();
    LoadedMapNumber = -1;
    TickerX = 500;
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    std::memset(&TickerText, 0, sizeof TickerText);
    OwnAvatar = {};
    OwnAvatar.appearance = 20;
    OwnAvatar.rect = {600, 440, 632, 472};
    MapNumber = 0;
    current_tick = 100000;
    platform::SetTickSource(TestTick);
  }

  void TearDown() override {
    platform::SetTickSource(nullptr);
    for (auto& picture : CharacterPictures) picture.reset();
    MapPicture.reset();
    std::filesystem::remove_all(folder_);
  }

  static void PlaceSlot(int slot, int appearance, int map, int x, int y) {
    AvatarTable.appearance[slot] = appearance;
    AvatarTable.map[slot] = map;
    AvatarTable.rect[slot] = {x, y, x + 30, y + 30};
  }

  static void Render() {
    const SceneRect& own = OwnAvatar.rect;
    RenderFrame(own.left, own.top, own.right, own.bottom);
  }

  std::string MapPath(int map) const { return InstallDir + "map" + std::to_string(map) + ".bmp"; }

  std::filesystem::path folder_;
};

TEST_F(FrameTest, LaterSlotsCoverEarlierOnesAndTheOwnCharacterCoversAll) {
  struct Case {
    int low_slot_appearance, high_slot_appearance;
  };
  for (const Case& c : {Case{1, 2}, Case{2, 1}}) {
    SCOPED_TRACE(c.low_slot_appearance);
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    PlaceSlot(3, c.low_slot_appearance, 0, 100, 100);
    PlaceSlot(7, c.high_slot_appearance, 0, 115, 115);
    OwnAvatar.rect = {125, 125, 157, 157};
    Render();
    EXPECT_EQ(PixelAt(105, 105), PictureColour(c.low_slot_appearance));
    EXPECT_EQ(PixelAt(120, 120), PictureColour(c.high_slot_appearance));  // both slots overlap here
    EXPECT_EQ(PixelAt(127, 127), PictureColour(OwnAvatar.appearance));   // all three overlap here
  }
}

TEST_F(FrameTest, OnlySlotsInUseOnTheOwnMapAreDrawn) {
  struct Case {
    int top, map;
    bool drawn;
  };
  MapNumber = 2;
  for (const Case& c : {Case{50, 2, true}, Case{50, 3, false}, Case{0, 2, false}}) {
    SCOPED_TRACE(testing::Message() << "top " << c.top << " map " << c.map);
    PlaceSlot(0, 5, c.map, 100, c.top);
    Render();
    EXPECT_EQ(PixelAt(110, c.top + 10) == PictureColour(5), c.drawn);
    EXPECT_EQ(PixelAt(110, c.top + 10) == kWhite, !c.drawn);
  }
}

TEST_F(FrameTest, BalloonShowsUntilItsExpiryTickAndThePictureStays) {
  struct Case {
    std::uint32_t tick;
    bool shown;
  };
  const std::uint32_t set_at = 100000;
  PlaceSlot(0, 4, 0, 300, 200);
  std::strcpy(AvatarTable.balloon_text[0], "    ");
  AvatarTable.balloon_expiry[0] = set_at + kBalloonLifetimeMs;
  for (const Case& c : {Case{set_at, true}, Case{set_at + 5999, true}, Case{set_at + 6000, false}}) {
    SCOPED_TRACE(c.tick);
    current_tick = c.tick;
    Render();
    EXPECT_EQ(PixelAt(300 - 12 + 2, 200 - 20 + 5) == kBalloon, c.shown);
    EXPECT_EQ(PixelAt(310, 210), PictureColour(4));
  }
}

TEST_F(FrameTest, BalloonLinesStartWhereTheTextLengthPutsThem) {
  struct Line {
    int dx, dy;  // cell origin relative to the character's left and top
  };
  struct Case {
    const char* name;
    std::string text;
    std::vector<Line> lines;
  };
  const std::string wide_space = "\x81\x40";  // a double-byte character: its first byte is a lead byte
  const Case cases[] = {
      {"40 bytes", std::string(40, ' '), {{-120, -20}}},
      {"41 bytes", std::string(41, ' '), {{-120, -35}, {-12, -20}}},
      {"50 bytes, no lead byte at 38", std::string(50, ' '), {{-120, -35}, {-39, -20}}},
      {"50 bytes, lead byte at 38", std::string(38, ' ') + wide_space + std::string(10, ' '), {{-120, -35}, {-36, -20}}},
      {"10 bytes", std::string(10, ' '), {{-30, -20}}},
  };
  const int left = 300, top = 200;
  const int cell_height = platform::FontLineHeight(*CreateBalloonFont("Comic Sans MS", 14, 0));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.text.size(), std::strlen(c.text.c_str()));
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    PlaceSlot(0, 4, 0, left, top);
    std::strcpy(AvatarTable.balloon_text[0], c.text.c_str());
    AvatarTable.balloon_expiry[0] = current_tick + 1;
    Render();
    for (const Line& line : c.lines) {
      const int x = left + line.dx, y = top + line.dy;
      SCOPED_TRACE(testing::Message() << "line at " << x << "," << y);
      EXPECT_EQ(PixelAt(x, y), kBalloon);
      EXPECT_EQ(PixelAt(x, y + cell_height - 1), kBalloon);
      EXPECT_NE(PixelAt(x - 1, y + cell_height / 2), kBalloon);
      EXPECT_NE(PixelAt(x + 1, y - 1), kBalloon);
      EXPECT_NE(PixelAt(x + 1, y + cell_height), kBalloon);
    }
    if (c.lines.size() == 1) {
      for (int x = 0; x < kSceneWidth; ++x) ASSERT_NE(PixelAt(x, top - 28), kBalloon) << "no first line";
    }
  }
}

TEST_F(FrameTest, JapaneseBalloonTextIsDrawnWithRealGlyphs) {
  // Pixels of the balloon cells that are neither balloon colour nor ground:
  // the glyph's ink.
  auto ink_of = [&](const char* text) {
    std::memset(&AvatarTable, 0, sizeof AvatarTable);
    PlaceSlot(0, 4, 0, 300, 200);
    std::strcpy(AvatarTable.balloon_text[0], text);
    AvatarTable.balloon_expiry[0] = current_tick + 1;
    Render();
    std::vector<bool> ink;
    for (int y = 180; y < 194; ++y) {
      for (int x = 294; x < 310; ++x) ink.push_back(PixelAt(x, y) != kBalloon && PixelAt(x, y) != kWhite);
    }
    return ink;
  };
  const std::vector<bool> a = ink_of("あ");
  const std::vector<bool> i = ink_of("い");
  EXPECT_GT(std::count(a.begin(), a.end(), true), 15);
  EXPECT_GT(std::count(i.begin(), i.end(), true), 10);
  EXPECT_NE(a, i);
}

// Column of the leftmost ticker pixel on the dark map, -1 when none.
int LeftmostTickerColumn() {
  for (int x = 0; x < kSceneWidth; ++x) {
    for (int y = 455; y < 480; ++y) {
      if (PixelAt(x, y) != 0x004000) return x;
    }
  }
  return -1;
}

TEST_F(FrameTest, TickerSlidesInFrom499To15AndStaysThere) {
  WriteBmp(MapPath(0), 4, 3, 0x004000);
  OwnAvatar.rect = {300, 100, 332, 132};
  char ticker[] = "I";
  HandleTickerMessage(ticker);
  struct Case {
    int frames_drawn;
    std::int32_t ticker_x;
  };
  int drawn = 0;
  int first_column = -1;
  for (const Case& c : {Case{1, 499}, Case{484, 16}, Case{485, 15}, Case{600, 15}}) {
    SCOPED_TRACE(c.frames_drawn);
    while (drawn < c.frames_drawn) {
      Render();
      ++drawn;
    }
    EXPECT_EQ(TickerX, c.ticker_x);
    const int column = LeftmostTickerColumn();
    ASSERT_GE(column, 0) << "ticker text is drawn";
    if (c.frames_drawn == 1) first_column = column;
    EXPECT_EQ(column - first_column, c.ticker_x - 499);
  }
  // A ticker text that arrives later starts at 15 too.
  current_tick += kTickerLifetimeMs + 1;
  Render();
  EXPECT_EQ(LeftmostTickerColumn(), -1) << "the old text has expired";
  char later[] = "I";
  HandleTickerMessage(later);
  Render();
  EXPECT_EQ(TickerX, 15);
  EXPECT_EQ(LeftmostTickerColumn() - first_column, 15 - 499);
}

TEST_F(FrameTest, MissingMapFileKeepsTheOldMapAndIsTriedAgain) {
  WriteBmp(MapPath(0), 4, 3, 0x204020);
  Render();
  EXPECT_EQ(LoadedMapNumber, 0);
  EXPECT_EQ(PixelAt(5, 5), 0x204020u);

  MapNumber = 1;
  PlaceSlot(0, 6, 1, 50, 50);
  Render();
  EXPECT_EQ(LoadedMapNumber, 0);
  EXPECT_EQ(PixelAt(5, 5), 0x204020u) << "the old map stays under the new map's characters";
  EXPECT_EQ(PixelAt(55, 55), PictureColour(6));

  WriteBmp(MapPath(1), 2, 2, 0x102030);
  Render();
  EXPECT_EQ(LoadedMapNumber, 1);
  EXPECT_EQ(PixelAt(5, 5), 0x102030u);
}

TEST_F(FrameTest, BrokenMapFileEndsTheFrameAfterTheGround) {
  WriteBmp(MapPath(0), 4, 3, 0x204020);
  Render();
  ASSERT_EQ(LoadedMapNumber, 0);

  std::ofstream(MapPath(2)) << "not a picture";
  MapNumber = 2;
  PlaceSlot(0, 6, 2, 50, 50);
  char ticker[] = "I";
  HandleTickerMessage(ticker);
  const std::int32_t ticker_x = TickerX;
  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt);
    Render();
    EXPECT_EQ(LoadedMapNumber, 0);
    EXPECT_FALSE(MapPicture);
    EXPECT_TRUE(OnlyColour(kWhite)) << "nothing but the ground is drawn";
    EXPECT_EQ(TickerX, ticker_x);
  }

  WriteBmp(MapPath(2), 4, 3, 0x302010);
  Render();
  EXPECT_EQ(LoadedMapNumber, 2);
  EXPECT_EQ(PixelAt(5, 5), 0x302010u);
  EXPECT_EQ(PixelAt(55, 55), PictureColour(6));
}

}  // namespace
