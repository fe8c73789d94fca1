#include "client/platform/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>
#include <strings.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// One character's rendered picture: 8-bit coverage rows in the font's pool.
struct Glyph {
  int left;     // from the pen position to the bitmap's first column
  int top;      // from the cell's top to the bitmap's first row
  int width;
  int rows;
  int advance;  // pen movement to the next character
  std::size_t offset;
};

// Glyph slots of 256 consecutive code points; -1 marks one not rendered yet.
using GlyphPage = std::array<std::int32_t, 256>;

struct Font {
  int pixel_height = 0;
  int ascent = 0;           // baseline below the cell's top
  FT_F26Dot6 em_size = 0;   // the primary face's em in 26.6 pixels; fallbacks use the same
  std::vector<FT_Face> faces;  // [0] the chosen face, then fallbacks in the order they were needed
  std::vector<std::string> face_files;
  std::array<std::unique_ptr<GlyphPage>, 256> pages;  // CP932 decodes to the Basic Multilingual Plane
  std::vector<Glyph> glyphs;
  std::vector<std::uint8_t> coverage;

  ~Font() {
    for (FT_Face face : faces) FT_Done_Face(face);
  }
};

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr const char* kGenericFamily = "sans-serif";
constexpr const char* kJapaneseFamily = "IPAGothic";
constexpr int kDefaultUiFontHeight = 16;

// CP932 to Unicode through tables filled once with iconv, so decoding while
// drawing is a lookup.
class Cp932Decoder {
 public:
  Cp932Decoder() : single_(), double_(65536, kReplacementCharacter) {
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    for (int byte = 0; byte < 256; ++byte) {
      const char in[1] = {static_cast<char>(byte)};
      single_[byte] = Convert(cd, in, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLead(lead)) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        double_[(lead << 8) | trail] = Convert(cd, in, 2);
      }
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }

  // The character starting at text[i]; advances i past it.
  char16_t Next(std::string_view text, std::size_t& i) const {
    const unsigned char lead = static_cast<unsigned char>(text[i++]);
    if (!IsLead(lead)) return single_[lead];
    if (i >= text.size()) return kReplacementCharacter;
    const unsigned char trail = static_cast<unsigned char>(text[i++]);
    return double_[(lead << 8) | trail];
  }

 private:
  static bool IsLead(int byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

  static char16_t Convert(iconv_t cd, const char* bytes, std::size_t length) {
    if (cd == reinterpret_cast<iconv_t>(-1)) return length == 1 && bytes[0] >= 0 ? bytes[0] : kReplacementCharacter;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes);
    std::size_t in_left = length;
    std::uint8_t out_bytes[8];
    char* out = reinterpret_cast<char*>(out_bytes);
    std::size_t out_left = sizeof out_bytes;
    if (iconv(cd, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1) || in_left != 0 ||
        out_left != sizeof out_bytes - 4)
      return kReplacementCharacter;
    const std::uint32_t code = out_bytes[0] | (out_bytes[1] << 8) | (out_bytes[2] << 16) |
                               (static_cast<std::uint32_t>(out_bytes[3]) << 24);
    return code <= 0xFFFF ? static_cast<char16_t>(code) : kReplacementCharacter;
  }

  std::array<char16_t, 256> single_;
  std::vector<char16_t> double_;  // indexed by lead byte * 256 + trail byte
};

// The FreeType library and every font opened; they live until the program
// ends. Fonts are destroyed before the library.
struct FontSystem {
  FT_Library library = nullptr;
  Cp932Decoder decoder;
  struct Entry {
    std::string family;
    int pixel_height;
    std::unique_ptr<Font> font;
  };
  std::vector<Entry> fonts;

  FontSystem() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
    FcInit();
  }
  ~FontSystem() {
    fonts.clear();
    if (library) FT_Done_FreeType(library);
  }
};

FontSystem& System() {
  static FontSystem system;
  return system;
}

// A font file found by fontconfig: its path and face index.
struct FontFile {
  std::string path;
  int index = 0;
};

bool IsGenericFamily(std::string_view family) {
  for (const char* generic : {"sans-serif", "sans", "serif", "monospace", "cursive", "fantasy", "system-ui"}) {
    if (family.size() == std::char_traits<char>::length(generic) &&
        strncasecmp(family.data(), generic, family.size()) == 0)
      return true;
  }
  return false;
}

bool HasFamily(FcPattern* font, const std::string& family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (strcasecmp(reinterpret_cast<const char*>(name), family.c_str()) == 0) return true;
  }
  return false;
}

// Asks fontconfig for the best scalable font of the family (that has the
// character, when one is given). Empty path when none fits.
FontFile MatchFont(const std::string& family, const char* language, char16_t character, bool require_family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (language) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language));
  if (character) {
    FcCharSet* set = FcCharSetCreate();
    FcCharSetAddChar(set, character);
    FcPatternAddCharSet(pattern, FC_CHARSET, set);
    FcCharSetDestroy(set);
  }
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  FontFile found;
  if (!match) return found;
  FcChar8* file = nullptr;
  FcCharSet* charset = nullptr;
  const bool has_character =
      !character || (FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch &&
                     FcCharSetHasChar(charset, character));
  const bool family_fits = !require_family || HasFamily(match, family);
  if (has_character && family_fits && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    found.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &found.index);
  }
  FcPatternDestroy(match);
  return found;
}

FT_Face OpenFace(const FontFile& file) {
  FT_Library library = System().library;
  FT_Face face = nullptr;
  if (!library || file.path.empty()) return nullptr;
  if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) return nullptr;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  return face;
}

// Sizes the chosen face so that its ascent plus descent fills the cell
// height, and records the baseline and the em size for the fallbacks.
bool SizePrimaryFace(Font& font, FT_Face face) {
  FT_Size_RequestRec request = {FT_SIZE_REQUEST_TYPE_REAL_DIM, 0, font.pixel_height * 64, 0, 0};
  if (FT_Request_Size(face, &request) != 0) return false;
  const double ascender = face->ascender;
  const double extent = static_cast<double>(face->ascender) - face->descender;
  font.ascent = extent > 0 ? static_cast<int>(std::lround(font.pixel_height * ascender / extent)) : font.pixel_height;
  font.em_size = FT_MulFix(face->units_per_EM, face->size->metrics.y_scale);
  return true;
}

void AddFallbackFace(Font& font, const FontFile& file) {
  if (std::find(font.face_files.begin(), font.face_files.end(), file.path) != font.face_files.end()) return;
  FT_Face face = OpenFace(file);
  if (!face) return;
  FT_Size_RequestRec request = {FT_SIZE_REQUEST_TYPE_NOMINAL, 0, font.em_size, 0, 0};
  if (FT_Request_Size(face, &request) != 0) {
    FT_Done_Face(face);
    return;
  }
  font.faces.push_back(face);
  font.face_files.push_back(file.path);
}

// The face that draws the character and its glyph index there: the chosen
// face, else an open fallback, else a newly found font that has it (a
// Japanese one first). The chosen face's missing-glyph box when none has it.
std::pair<FT_Face, FT_UInt> FindGlyph(Font& font, char16_t character) {
  for (FT_Face face : font.faces) {
    if (const FT_UInt index = FT_Get_Char_Index(face, character)) return {face, index};
  }
  const std::size_t before = font.faces.size();
  AddFallbackFace(font, MatchFont(kJapaneseFamily, "ja", character, false));
  for (std::size_t i = before; i < font.faces.size(); ++i) {
    if (const FT_UInt index = FT_Get_Char_Index(font.faces[i], character)) return {font.faces[i], index};
  }
  return {font.faces.front(), 0};
}

// Renders the character, appends it to the font's glyphs and returns its
// index there.
std::int32_t RenderGlyph(Font& font, char16_t character) {
  const auto [face, index] = FindGlyph(font, character);
  Glyph glyph = {0, 0, 0, 0, 0, font.coverage.size()};
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.left = slot->bitmap_left;
    glyph.top = font.ascent - slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    font.coverage.resize(glyph.offset + static_cast<std::size_t>(glyph.width) * glyph.rows);
    std::uint8_t* out = font.coverage.data() + glyph.offset;
    for (int row = 0; row < glyph.rows; ++row) {
      const unsigned char* in = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
      for (int column = 0; column < glyph.width; ++column) {
        const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
        *out++ = mono ? ((in[column >> 3] >> (7 - (column & 7))) & 1) * 255 : in[column];
      }
    }
  }
  font.glyphs.push_back(glyph);
  return static_cast<std::int32_t>(font.glyphs.size() - 1);
}

const Glyph& GlyphFor(Font& font, char16_t character) {
  std::unique_ptr<GlyphPage>& page = font.pages[character >> 8];
  if (!page) {
    page = std::make_unique<GlyphPage>();
    page->fill(-1);
  }
  std::int32_t& slot = (*page)[character & 0xFF];
  if (slot < 0) slot = RenderGlyph(font, character);
  return font.glyphs[static_cast<std::size_t>(slot)];
}

std::unique_ptr<Font> CreateFont(const std::string& family, int pixel_height) {
  FontFile file = MatchFont(family, nullptr, 0, !IsGenericFamily(family));
  if (file.path.empty()) file = MatchFont(kGenericFamily, nullptr, 0, false);
  FT_Face face = OpenFace(file);
  if (!face) return nullptr;
  auto font = std::make_unique<Font>();
  font->pixel_height = pixel_height;
  font->faces.push_back(face);
  font->face_files.push_back(file.path);
  if (!SizePrimaryFace(*font, face)) return nullptr;
  return font;
}

// colour * alpha + below * (255 - alpha), rounded and divided by 255, for red
// and blue in one multiplication and green in another: each channel's
// product fits in its own 16-bit lane.
inline std::uint32_t Blend(std::uint32_t below, std::uint32_t colour, std::uint32_t alpha) {
  const std::uint32_t rest = 255 - alpha;
  auto divide_lanes = [](std::uint32_t lanes) {
    lanes += 0x00800080;
    return ((lanes + ((lanes >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
  };
  const std::uint32_t red_blue = divide_lanes((colour & 0xFF00FF) * alpha + (below & 0xFF00FF) * rest);
  const std::uint32_t green = divide_lanes(((colour >> 8) & 0xFF) * alpha + ((below >> 8) & 0xFF) * rest);
  return red_blue | (green << 8);
}

void BlendGlyph(const PixelBuffer& target, const Font& font, const Glyph& glyph, int x, int y,
                std::uint32_t colour) {
  const int first_column = std::max(0, -x);
  const int end_column = std::min(glyph.width, target.width - x);
  const int first_row = std::max(0, -y);
  const int end_row = std::min(glyph.rows, target.height - y);
  for (int row = first_row; row < end_row; ++row) {
    const std::uint8_t* in = font.coverage.data() + glyph.offset + static_cast<std::size_t>(row) * glyph.width;
    std::uint32_t* out = target.pixels + static_cast<std::ptrdiff_t>(y + row) * target.stride + x;
    for (int column = first_column; column < end_column; ++column) {
      const std::uint32_t alpha = in[column];
      if (alpha == 255) {
        out[column] = colour;
      } else if (alpha != 0) {
        out[column] = Blend(out[column], colour, alpha);
      }
    }
  }
}

void FillCells(const PixelBuffer& target, int x, int y, int width, int height, std::uint32_t colour) {
  const int left = std::max(0, x);
  const int right = std::min(target.width, x + width);
  const int top = std::max(0, y);
  const int bottom = std::min(target.height, y + height);
  for (int row = top; row < bottom; ++row) {
    std::uint32_t* line = target.pixels + static_cast<std::ptrdiff_t>(row) * target.stride;
    std::fill(line + left, line + std::max(left, right), colour);
  }
}

}  // namespace

Font* OpenFont(std::string_view family, int pixel_height) {
  FontSystem& system = System();
  for (FontSystem::Entry& entry : system.fonts) {
    if (entry.pixel_height == pixel_height && entry.family == family) return entry.font.get();
  }
  std::unique_ptr<Font> font = CreateFont(std::string(family), pixel_height);
  if (!font) return nullptr;
  system.fonts.push_back({std::string(family), pixel_height, std::move(font)});
  return system.fonts.back().font.get();
}

Font* DefaultUiFont() { return OpenFont(kGenericFamily, kDefaultUiFontHeight); }

int FontLineHeight(const Font& font) { return font.pixel_height; }

int MeasureText(Font& font, std::string_view cp932) {
  const Cp932Decoder& decoder = System().decoder;
  int width = 0;
  for (std::size_t i = 0; i < cp932.size();) width += GlyphFor(font, decoder.Next(cp932, i)).advance;
  return width;
}

int DrawText(const PixelBuffer& target, const TextStyle& style, int x, int y, std::string_view cp932) {
  if (!style.font) return 0;
  Font& font = *style.font;
  if (style.opaque_background) {
    FillCells(target, x, y, MeasureText(font, cp932), font.pixel_height, style.background_colour);
  }
  const Cp932Decoder& decoder = System().decoder;
  int pen = x;
  for (std::size_t i = 0; i < cp932.size();) {
    const Glyph& glyph = GlyphFor(font, decoder.Next(cp932, i));
    BlendGlyph(target, font, glyph, pen + glyph.left, y + glyph.top, style.text_colour);
    pen += glyph.advance;
  }
  return pen - x;
}

}  // namespace platform
