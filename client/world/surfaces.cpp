#include "client/world/surfaces.h"

#include <algorithm>
#include <bit>
#include <fstream>
#include <new>

#include "client/platform/clock.h"
#include "client/platform/files.h"
#include "client/platform/ui.h"
#include "client/session/program.h"
#include "client/session/startup.h"
#include "client/world/bmp_reader.h"

Surface BackBuffer;
std::unique_ptr<Surface> CharacterPictures[kCharacterPictureSlots];
std::unique_ptr<Surface> ItemPictures[kItemPictureSlots];
std::unique_ptr<Surface> MapPicture;
int PresentAppearance = kCharacterPictureSlots - 1;

namespace {

// Columns of the target mapped per pass of StretchBlit; wider targets are
// done in several passes.
constexpr int kBlitColumns = kSceneWidth;

// The position and length of a mask's run of one bits.
struct MaskRun {
  int shift;
  int width;
};

MaskRun FindRun(std::uint32_t mask) {
  if (mask == 0) return {0, 0};
  const int shift = std::countr_zero(mask);
  return {shift, std::countr_one(mask >> shift)};
}

bool IsChannelMask(std::uint32_t mask) {
  const MaskRun run = FindRun(mask);
  // One run of 1 to 8 bits and nothing above it.
  return run.width >= 1 && run.width <= 8 && (mask >> run.shift >> run.width) == 0;
}

std::uint32_t PackChannel(int value, std::uint32_t mask) {
  const MaskRun run = FindRun(mask);
  if (run.width < 1 || run.width > 8) return 0;
  return (static_cast<std::uint32_t>(value & 255) >> (8 - run.width)) << run.shift;
}

bool CanOpenForReading(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return static_cast<bool>(file);
}

// Loads every numbered picture "<folder>/<prefix><n>.bmp" that exists into
// its slot; false when an existing one cannot be loaded.
bool LoadNumberedPictures(const std::string& folder, const char* prefix,
                          std::unique_ptr<Surface>* slots, int count) {
  for (int n = 0; n < count; ++n) {
    const std::string path = folder + "/" + prefix + std::to_string(n) + ".bmp";
    if (!CanOpenForReading(path)) continue;
    slots[n] = LoadPicture(path);
    if (!slots[n]) return false;
  }
  return true;
}

void ReleasePictures() {
  MapPicture.reset();
  for (auto& picture : CharacterPictures) picture.reset();
  for (auto& picture : ItemPictures) picture.reset();
}

// The range [begin, end) of a target axis that lies inside both the target
// rectangle and the surface.
struct Span {
  std::int64_t begin, end;
};

Span ClipAxis(std::int32_t low, std::int32_t high, int size) {
  return {std::max<std::int64_t>(low, 0), std::min<std::int64_t>(high, size)};
}

// The source coordinate that target coordinate t takes its pixel from.
std::int64_t SourceCoordinate(std::int64_t t, std::int32_t target_low, std::int64_t target_length,
                              std::int32_t source_low, std::int64_t source_length) {
  const std::uint64_t offset = static_cast<std::uint64_t>(t - target_low);
  return source_low + static_cast<std::int64_t>(offset * static_cast<std::uint64_t>(source_length) /
                                                static_cast<std::uint64_t>(target_length));
}

// One row of a blit. The keyed loops write every pixel, the old value where
// the key hides the new one, which compiles to a select instead of a branch.
void CopyRow(const std::uint32_t* from, std::uint32_t* to, int count, bool keyed,
             std::uint32_t key) {
  if (!keyed) {
    std::copy(from, from + count, to);
    return;
  }
  for (int i = 0; i < count; ++i) to[i] = from[i] == key ? to[i] : from[i];
}

void CopyRow(const std::uint32_t* from, const std::int32_t* source_x, std::uint32_t* to,
             int count, bool keyed, std::uint32_t key) {
  if (!keyed) {
    for (int i = 0; i < count; ++i) to[i] = from[source_x[i]];
    return;
  }
  for (int i = 0; i < count; ++i) {
    const std::uint32_t pixel = from[source_x[i]];
    to[i] = pixel == key ? to[i] : pixel;
  }
}

}  // namespace

std::uint32_t PackRgb(int red, int green, int blue, const PixelFormat& format) {
  return PackChannel(red, format.red_mask) | PackChannel(green, format.green_mask) |
         PackChannel(blue, format.blue_mask);
}

bool IsRgbFormat(const PixelFormat& format) {
  return IsChannelMask(format.red_mask) && IsChannelMask(format.green_mask) &&
         IsChannelMask(format.blue_mask);
}

ColorKey PictureColorKey(std::uint32_t first_word, const PixelFormat& format) {
  return {first_word | PackRgb(128, 0, 0, format), first_word | PackRgb(255, 255, 255, format)};
}

std::string PictureFolder() {
  std::string folder = InstallDir.empty() ? platform::ProgramFolder() : InstallDir;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder;
}

int InitSurfaces() {
  PixelFormat display = kDisplayFormat;
  std::uint32_t red = 0, green = 0, blue = 0;
  if (platform::GetDisplayPixelMasks(&red, &green, &blue)) display = {red, green, blue};
  // Pictures are keyed and drawn by colour; a palette display has no masks.
  if (!IsRgbFormat(display)) return 0;
  if (!CreateSurfaces()) return 0;
  StepClock = static_cast<double>(platform::TickCount());
  return 1;
}

int CreateSurfaces() {
  ReleasePictures();
  std::unique_ptr<Surface> back_buffer = CreatePictureSurface(kSceneWidth, kSceneHeight);
  if (!back_buffer) return 0;
  BackBuffer = std::move(*back_buffer);

  const std::string folder = PictureFolder();
  const int numbered = kCharacterPictureSlots - 1;
  if (!LoadNumberedPictures(folder, "", CharacterPictures, numbered)) return 0;
  CharacterPictures[numbered] = LoadPicture(folder + "/99.bmp");
  PresentAppearance = numbered;
  if (!LoadNumberedPictures(folder, "item", ItemPictures, kItemPictureSlots)) return 0;
  return 1;
}

std::unique_ptr<Surface> LoadPicture(const std::string& path) {
  std::optional<BmpImage> image = ReadBmpFile(path);
  if (!image) return nullptr;
  std::unique_ptr<Surface> picture = CreatePictureSurface(image->width, image->height);
  if (!picture) return nullptr;
  picture->pixels = std::move(image->pixels);
  // The key is the top-left pixel's colour with the top bit of its red set.
  picture->color_key = PictureColorKey(picture->pixels[0], kDisplayFormat).low;
  picture->has_color_key = true;
  return picture;
}

std::unique_ptr<Surface> CreatePictureSurface(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxBmpSide || height > kMaxBmpSide) return nullptr;
  try {
    auto surface = std::make_unique<Surface>();
    surface->width = width;
    surface->height = height;
    surface->pixels.assign(std::size_t(width) * std::size_t(height), 0);
    return surface;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void ReleaseSurfaces() {
  ReleasePictures();
  BackBuffer = Surface{};
}

int ReportDrawingFailure() {
  ReleaseSurfaces();
  platform::MessageBox(MainWindow, "DirectXの初期化に失敗しました。", "確認", platform::MB_OK);
  platform::DestroyWindow(MainWindow);
  return 0;
}

void FillSurface(Surface& target, std::uint32_t raw) {
  std::fill(target.pixels.begin(), target.pixels.end(), raw);
}

void StretchBlit(const Surface& source, const SceneRect& source_rect, Surface& target,
                 const SceneRect& target_rect) {
  const std::int64_t source_width = std::int64_t{source_rect.right} - source_rect.left;
  const std::int64_t source_height = std::int64_t{source_rect.bottom} - source_rect.top;
  const std::int64_t target_width = std::int64_t{target_rect.right} - target_rect.left;
  const std::int64_t target_height = std::int64_t{target_rect.bottom} - target_rect.top;
  if (source_width <= 0 || source_height <= 0 || target_width <= 0 || target_height <= 0) return;
  if (source.pixels.empty() || target.pixels.empty()) return;

  const Span columns = ClipAxis(target_rect.left, target_rect.right, target.width);
  const Span rows = ClipAxis(target_rect.top, target_rect.bottom, target.height);
  const bool keyed = source.has_color_key;
  const std::uint32_t key = source.color_key;

  std::int32_t source_x[kBlitColumns];
  for (std::int64_t pass = columns.begin; pass < columns.end; pass += kBlitColumns) {
    // Map this pass's target columns to source columns once; the source
    // columns rise with the target's, so those inside the picture are one run.
    const std::int64_t pass_end = std::min(pass + kBlitColumns, columns.end);
    std::int64_t first = 0;
    int count = 0;
    for (std::int64_t x = pass; x < pass_end; ++x) {
      const std::int64_t sx =
          SourceCoordinate(x, target_rect.left, target_width, source_rect.left, source_width);
      if (sx < 0 || sx >= source.width) {
        if (count > 0) break;
        continue;
      }
      if (count == 0) first = x;
      source_x[count++] = static_cast<std::int32_t>(sx);
    }
    if (count == 0) continue;
    const bool unstretched = source_width == target_width;

    for (std::int64_t y = rows.begin; y < rows.end; ++y) {
      const std::int64_t sy =
          SourceCoordinate(y, target_rect.top, target_height, source_rect.top, source_height);
      if (sy < 0 || sy >= source.height) continue;
      const std::uint32_t* from = source.pixels.data() + sy * source.width;
      std::uint32_t* to = target.pixels.data() + y * target.width + first;
      if (unstretched) {
        CopyRow(from + source_x[0], to, count, keyed, key);
      } else {
        CopyRow(from, source_x, to, count, keyed, key);
      }
    }
  }
}

void PresentBackBuffer() {
  if (MainWindow == nullptr || BackBuffer.width != kSceneWidth || BackBuffer.height != kSceneHeight) {
    return;
  }
  platform::PresentScene(MainWindow, BackBuffer.pixels.data(), kSceneWidth, kSceneHeight);
}
