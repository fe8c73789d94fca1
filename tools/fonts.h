// Text for the artwork generator: fonts are found through fontconfig and
// drawn with FreeType as anti-aliased coverage onto a canvas.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "canvas.h"

namespace artgen {

struct FontFile {
  std::string path;
  int index = 0;  // face index inside a font collection
};

// The best installed font for the family and weight that has a glyph for
// every character of needed; throws std::runtime_error when no installed
// font covers them all.
FontFile FindFont(const std::string& family, bool bold, std::u32string_view needed);

class Font {
 public:
  // embolden thickens every stroke by that many pixels, for small text
  // that must stay legible.
  explicit Font(const FontFile& file, float embolden = 0);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Draws text with its baseline starting at (x, baseline); returns the
  // horizontal advance in pixels.
  int Draw(Canvas& canvas, std::u32string_view text, int x, int baseline, int pixel_size,
           Colour colour);
  int Width(std::u32string_view text, int pixel_size);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace artgen
