#include "client/world/frame.h"

#include <cstdio>
#include <string_view>

#include "client/platform/clock.h"
#include "client/platform/text.h"
#include "client/platform/ui.h"
#include "client/session/program.h"
#include "client/world/surfaces.h"

std::int32_t LoadedMapNumber = -1;
std::int32_t TickerX = 500;
SceneRect ScreenRect = {0, 0, kSceneWidth, kSceneHeight};

namespace {

constexpr std::uint32_t kGroundColour = 0xFFFFFF;
constexpr std::uint32_t kBalloonBackground = 0xFFFFAA;  // RGB(255, 255, 170)
constexpr std::uint32_t kBalloonTextColour = 0x141414;  // RGB(20, 20, 20)
constexpr std::uint32_t kTickerColour = 0xFFFFFF;
constexpr char kBalloonFace[] = "Comic Sans MS";
constexpr int kBalloonFontHeight = 14;
constexpr int kOneLineBalloonLimit = 40;
constexpr int kTickerY = 460;
constexpr std::int32_t kTickerEndX = 15;
// The top-left 31 x 31 pixels of a character picture (right and bottom
// exclusive).
constexpr SceneRect kCharacterSource = {0, 0, 31, 31};
constexpr SceneRect kWholeScene = {0, 0, kSceneWidth, kSceneHeight};

platform::PixelBuffer BackBufferPixels() {
  return {BackBuffer.pixels.data(), BackBuffer.width, BackBuffer.height, BackBuffer.width};
}

bool CanOpenForReading(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

// Loads the picture of MapNumber when another map is loaded. A missing file
// keeps the current picture and is tried again next frame. Returns false
// when the file exists but does not load: the frame then ends.
bool LoadCurrentMap() {
  if (MapNumber == LoadedMapNumber) return true;
  char path[1024];
  std::snprintf(path, sizeof path, "%smap%d.bmp", InstallDir.c_str(), static_cast<int>(MapNumber));
  if (!CanOpenForReading(path)) return true;
  MapPicture.reset();
  MapPicture = LoadPicture(path);
  if (!MapPicture) return false;
  LoadedMapNumber = MapNumber;
  return true;
}

void DrawMap() {
  if (!MapPicture) return;
  StretchBlit(*MapPicture, {0, 0, MapPicture->width, MapPicture->height}, BackBuffer, kWholeScene);
}

// One line of balloon text: its cells are filled with the balloon colour.
void DrawBalloonLine(platform::Font* font, std::string_view text, int x, int y) {
  const platform::TextStyle style = {font, kBalloonTextColour, true, kBalloonBackground};
  platform::DrawText(BackBufferPixels(), style, x, y, text);
}

// Up to 40 bytes in one line over the character; longer texts in two lines,
// the first 37 bytes (38 when the 39th byte starts a double-byte character)
// above the rest.
void DrawBalloon(const char* text, const SceneRect& rect) {
  platform::Font* font = CreateBalloonFont(kBalloonFace, kBalloonFontHeight, 0);
  const std::string_view whole(text);
  const int length = static_cast<int>(whole.size());
  if (length <= kOneLineBalloonLimit) {
    DrawBalloonLine(font, whole, rect.left - 3 * length, rect.top - 20);
    return;
  }
  const int first = platform::IsCp932LeadByte(static_cast<unsigned char>(text[38])) ? 38 : 37;
  DrawBalloonLine(font, whole.substr(0, first), rect.left - 120, rect.top - 35);
  DrawBalloonLine(font, whole.substr(first), rect.left - 3 * (length - first), rect.top - 20);
}

void DrawTicker() {
  const char* text = ReadTickerText();
  if (TickerX > kTickerEndX) --TickerX;
  if (text[0] == '\0') return;
  const platform::TextStyle style = {platform::DefaultUiFont(), kTickerColour, false, 0};
  platform::DrawText(BackBufferPixels(), style, TickerX, kTickerY, text);
}

}  // namespace

platform::Font* CreateBalloonFont(const char* face, int height, [[maybe_unused]] int escapement) {
  return platform::OpenFont(face, height);
}

void DrawCharacter(const char* balloon_text, std::uint32_t balloon_expiry, const SceneRect& rect,
                   std::int32_t appearance) {
  if (BalloonShown(balloon_expiry, platform::TickCount())) DrawBalloon(balloon_text, rect);
  if (appearance < 0 || appearance >= kCharacterPictureSlots) return;
  if (const Surface* picture = CharacterPictures[appearance].get()) {
    StretchBlit(*picture, kCharacterSource, BackBuffer, rect);
  }
}

void RenderFrame(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  FillSurface(BackBuffer, kGroundColour);
  if (!LoadCurrentMap()) return;
  DrawMap();
  for (int slot = 0; slot < kAvatarSlots; ++slot) {
    if (AvatarTable.rect[slot].top != 0 && AvatarTable.map[slot] == MapNumber) {
      DrawCharacter(AvatarTable.balloon_text[slot], AvatarTable.balloon_expiry[slot], AvatarTable.rect[slot],
                    AvatarTable.appearance[slot]);
    }
  }
  DrawCharacter(OwnAvatar.balloon_text, OwnAvatar.balloon_expiry, {left, top, right, bottom}, OwnAvatar.appearance);
  DrawTicker();
  PresentBackBuffer();
}

void UpdateScreenRect() {
  int x = 0;
  int y = 0;
  platform::GetSceneOrigin(MainWindow, &x, &y);
  ScreenRect = {x, y, x + kSceneWidth, y + kSceneHeight};
}
