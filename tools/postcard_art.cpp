#include "postcard_art.h"

#include <fstream>
#include <stdexcept>
#include <string>

#include "world_art.h"

namespace artgen {
namespace {

constexpr Colour kInk = Rgb(52, 38, 46);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kCyan = Rgb(0, 255, 255);
constexpr Colour kPaper = Rgb(255, 252, 236);
constexpr Colour kEnvelope = Rgb(250, 236, 196);
constexpr Colour kEnvelopeFold = Rgb(226, 200, 150);
constexpr Colour kRed = Rgb(222, 64, 72);

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::uint8_t Channel(float value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value + 0.5f);
}

// A closed envelope with its flap drawn as a V, inside the box.
void DrawEnvelope(Canvas& c, float x0, float y0, float x1, float y1) {
  FillRect(c, static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0),
           kEnvelope);
  const float mid = (x0 + x1) / 2;
  DrawLine(c, {x0 + 0.5f, y0 + 0.5f}, {mid, y0 + (y1 - y0) * 0.6f}, 1.0f, kEnvelopeFold);
  DrawLine(c, {x1 - 0.5f, y0 + 0.5f}, {mid, y0 + (y1 - y0) * 0.6f}, 1.0f, kEnvelopeFold);
}

// The figure of a world picture without its key colour (the top-left pixel).
Canvas WithoutKey(const Canvas& picture) {
  Canvas layer(picture.Width(), picture.Height());
  const Pixel key = picture.At(0, 0);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const Pixel& p = picture.At(x, y);
      if (p.r == key.r && p.g == key.g && p.b == key.b) continue;
      layer.At(x, y) = {p.r, p.g, p.b, 1.0f};
    }
  }
  return layer;
}

// A world picture on a round tile: blue for the boys' pictures, pink for
// the girls', yellow for the items.
Canvas IconOnTile(const Canvas& picture, Colour tile) {
  Canvas icon(32, 32);
  FillRoundRect(icon, 0.5f, 0.5f, 31.5f, 31.5f, 7, Mix(tile, kInk, 0.35f));
  FillRoundRect(icon, 1.5f, 1.5f, 30.5f, 30.5f, 6, tile);
  Composite(icon, WithoutKey(picture), (32 - picture.Width()) / 2, (32 - picture.Height()) / 2, true);
  return icon;
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

Canvas DrawStampPicture() {
  Canvas picture(32, 32);
  // The stamp's perforated edge: a white sheet with a row of bites.
  FillRect(picture, 2, 2, 28, 28, kWhite);
  for (int i = 0; i < 7; ++i) {
    const float at = 4.0f + static_cast<float>(i) * 4.0f;
    for (const Point bite : {Point{at, 2}, Point{at, 30}, Point{2, at}, Point{30, at}}) {
      FillCircle(picture, bite.x, bite.y, 1.1f, Rgb(236, 233, 216));
    }
  }
  FillRect(picture, 5, 5, 22, 22, Rgb(120, 190, 240));
  Canvas art(32, 32);
  DrawEnvelope(art, 8, 11, 24, 22);
  FillCircle(art, 16, 18.5f, 2.2f, kRed);  // the seal
  AddOutline(art, kInk);
  Composite(picture, art, 0, 0);
  return picture;
}

Canvas DrawReadCardPicture() {
  Canvas picture(16, 16);
  FillRect(picture, 0, 0, 16, 16, kCyan);
  Canvas sheet(16, 16);
  FillRect(sheet, 3, 1, 10, 14, kPaper);
  for (int y = 4; y <= 12; y += 2) FillRect(sheet, 5, y, y == 12 ? 4 : 6, 1, Rgb(120, 130, 170));
  AddOutline(sheet, kInk);
  Composite(picture, sheet, 0, 0, true);
  return picture;
}

Canvas DrawUnreadCardPicture() {
  Canvas picture(16, 16);
  FillRect(picture, 0, 0, 16, 16, kCyan);
  Canvas envelope(16, 16);
  DrawEnvelope(envelope, 1, 4, 15, 13);
  FillCircle(envelope, 8, 9.5f, 1.3f, kRed);
  AddOutline(envelope, kInk);
  Composite(picture, envelope, 0, 0, true);
  return picture;
}

std::vector<std::uint8_t> EncodeIco(const Canvas& canvas) {
  constexpr int kSize = 32;
  constexpr std::uint32_t kColourBytes = kSize * kSize * 3;
  constexpr std::uint32_t kMaskBytes = kSize * 4;  // one bit a pixel, rows of 32 bits
  constexpr std::uint32_t kImageBytes = 40 + kColourBytes + kMaskBytes;
  std::vector<std::uint8_t> out;
  Put16(out, 0);  // icon directory
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(kSize);  // its one entry
  out.push_back(kSize);
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, kImageBytes);
  Put32(out, 6 + 16);
  Put32(out, 40);  // the image's header: the height counts colour and mask
  Put32(out, kSize);
  Put32(out, kSize * 2);
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, kColourBytes + kMaskBytes);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  auto pixel = [&canvas](int x, int y) {
    return canvas.Contains(x, y) ? canvas.At(x, y) : Pixel{};
  };
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; ++x) {
      const Pixel p = pixel(x, y);
      const bool shown = p.a >= 0.5f;
      out.push_back(shown ? Channel(p.b) : 0);
      out.push_back(shown ? Channel(p.g) : 0);
      out.push_back(shown ? Channel(p.r) : 0);
    }
  }
  for (int y = kSize - 1; y >= 0; --y) {
    for (int byte = 0; byte < 4; ++byte) {
      std::uint8_t bits = 0;
      for (int bit = 0; bit < 8; ++bit) {
        if (pixel(byte * 8 + bit, y).a < 0.5f) bits |= static_cast<std::uint8_t>(0x80 >> bit);
      }
      out.push_back(bits);
    }
  }
  return out;
}

void WriteItemIcons(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  for (int n = 0; n < kCharacterCount; ++n) {
    const Colour tile = n % 2 == 0 ? Rgb(196, 222, 255) : Rgb(255, 210, 228);
    WriteBytes(folder / (std::to_string(n) + ".ico"), EncodeIco(IconOnTile(DrawCharacterPicture(n), tile)));
  }
  for (int n = 0; n < kItemCount; ++n) {
    WriteBytes(folder / ("i" + std::to_string(n) + ".ico"),
               EncodeIco(IconOnTile(DrawItemPicture(n), Rgb(255, 240, 176))));
  }
}

}  // namespace artgen
