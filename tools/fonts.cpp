#include "fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace artgen {
namespace {

std::string Describe(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%sU+%04X", out.empty() ? "" : " ",
                  static_cast<unsigned>(c));
    out += buffer;
  }
  return out;
}

bool Covers(FcPattern* font, std::u32string_view needed) {
  FcCharSet* charset = nullptr;
  if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch) return false;
  for (char32_t c : needed) {
    if (!FcCharSetHasChar(charset, c)) return false;
  }
  return true;
}

}  // namespace

FontFile FindFont(const std::string& family, bool bold, std::u32string_view needed) {
  if (!FcInit()) throw std::runtime_error("fontconfig could not be initialised");
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcFontSet* candidates = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  FontFile found;
  for (int i = 0; candidates != nullptr && i < candidates->nfont; ++i) {
    FcPattern* font = candidates->fonts[i];
    FcChar8* file = nullptr;
    if (!Covers(font, needed) || FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) {
      continue;
    }
    found.path = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) found.index = index;
    break;
  }
  if (candidates != nullptr) FcFontSetDestroy(candidates);
  FcPatternDestroy(pattern);
  if (found.path.empty()) {
    throw std::runtime_error("no installed font has glyphs for " + Describe(needed) +
                             " (wanted family \"" + family +
                             "\"; on Debian install fonts-ipafont-gothic)");
  }
  return found;
}

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  FT_Pos embolden = 0;  // in 1/64 pixel

  void Load(char32_t c, int pixel_size, bool render) {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) != 0) {
      throw std::runtime_error("the font cannot draw " + Describe(std::u32string_view(&c, 1)));
    }
    FT_GlyphSlot slot = face->glyph;
    if (embolden > 0 && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      FT_Outline_Embolden(&slot->outline, embolden);
    }
    if (render && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
      throw std::runtime_error("the font cannot draw " + Describe(std::u32string_view(&c, 1)));
    }
  }
};

Font::Font(const FontFile& file, float embolden) : impl_(std::make_unique<Impl>()) {
  impl_->embolden = static_cast<FT_Pos>(std::lround(embolden * 64));
  if (FT_Init_FreeType(&impl_->library) != 0) {
    throw std::runtime_error("FreeType could not be initialised");
  }
  if (FT_New_Face(impl_->library, file.path.c_str(), file.index, &impl_->face) != 0) {
    FT_Done_FreeType(impl_->library);
    throw std::runtime_error("cannot open the font " + file.path);
  }
}

Font::~Font() {
  FT_Done_Face(impl_->face);
  FT_Done_FreeType(impl_->library);
}

int Font::Draw(Canvas& canvas, std::u32string_view text, int x, int baseline, int pixel_size,
               Colour colour) {
  const int start = x;
  for (char32_t c : text) {
    impl_->Load(c, pixel_size, true);
    const FT_GlyphSlot slot = impl_->face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const unsigned char level = bitmap.buffer[row * bitmap.pitch + col];
        canvas.Blend(x + slot->bitmap_left + static_cast<int>(col),
                     baseline - slot->bitmap_top + static_cast<int>(row), colour,
                     static_cast<float>(level) / 255.0f);
      }
    }
    x += static_cast<int>(slot->advance.x >> 6);
  }
  return x - start;
}

int Font::Width(std::u32string_view text, int pixel_size) {
  int width = 0;
  for (char32_t c : text) {
    impl_->Load(c, pixel_size, false);
    width += static_cast<int>(impl_->face->glyph->advance.x >> 6);
  }
  return width;
}

}  // namespace artgen
