// The drawing surfaces of the scene: the back buffer on which each frame is
// composed, and the pictures loaded from the installed BMP files.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/world/world_state.h"

inline constexpr int kSceneWidth = 640;
inline constexpr int kSceneHeight = 480;
inline constexpr int kCharacterPictureSlots = 35;
inline constexpr int kItemPictureSlots = 11;

// Channel masks of a pixel format; 0x00RRGGBB is the display format.
struct PixelFormat {
  std::uint32_t red_mask, green_mask, blue_mask;
};
inline constexpr PixelFormat kDisplayFormat = {0xFF0000, 0x00FF00, 0x0000FF};

// A picture or the back buffer: rows of 32-bit pixels in the display format.
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool has_color_key = false;
  std::uint32_t color_key = 0;  // pixels of exactly this value are left out when drawn
};

// Raw pixel value of a colour in a pixel format. Each mask must hold one run
// of 1 to 8 one bits.
std::uint32_t PackRgb(int red, int green, int blue, const PixelFormat& format);
// True when every mask of the format is one run of 1 to 8 one bits.
bool IsRgbFormat(const PixelFormat& format);

// The transparent colour of a picture whose raw memory starts with
// first_word: the low value is the key, the colour of the top-left pixel with
// the top bit of its red set.
struct ColorKey {
  std::uint32_t low, high;
};
ColorKey PictureColorKey(std::uint32_t first_word, const PixelFormat& format);

extern Surface BackBuffer;
extern std::unique_ptr<Surface> CharacterPictures[kCharacterPictureSlots];
extern std::unique_ptr<Surface> ItemPictures[kItemPictureSlots];
extern std::unique_ptr<Surface> MapPicture;
// The appearance number of a placed present: the slot of "99.bmp".
extern int PresentAppearance;

// The folder of the program without a trailing "/".
std::string PictureFolder();

// Sets up drawing and loads every picture; 1 on success, 0 on failure. On
// success it also starts the step clock.
int InitSurfaces();
int CreateSurfaces();
// A new keyed picture surface from a BMP file, or null.
std::unique_ptr<Surface> LoadPicture(const std::string& path);
std::unique_ptr<Surface> CreatePictureSurface(int width, int height);
// Releases every surface that exists; a second call releases nothing.
void ReleaseSurfaces();
// Tells the user that drawing could not be set up and closes the main
// window; returns 0.
int ReportDrawingFailure();

// Drawing operations.
void FillSurface(Surface& target, std::uint32_t raw);
// Copies the source rectangle of a picture onto the target rectangle,
// stretching by nearest neighbour when the sizes differ and leaving out the
// picture's key-coloured pixels. Right and bottom edges are exclusive.
void StretchBlit(const Surface& source, const SceneRect& source_rect, Surface& target,
                 const SceneRect& target_rect);
// Shows the finished back buffer in the main window.
void PresentBackBuffer();
