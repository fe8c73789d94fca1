// Text drawing onto 32-bit pixel buffers.
//
// Fonts are found through fontconfig and rasterised with FreeType. A
// character the chosen font lacks is taken from an installed Japanese font
// (or any installed font that has it). Faces and rendered glyphs are kept
// for the life of the program, so drawing text that was drawn before
// allocates nothing. Texts are CP932 byte strings; they are converted to
// Unicode only to look glyphs up.
#pragma once
#include <cstdint>
#include <string_view>

namespace platform {

struct Font;

// The font of a family at a cell height in pixels (ascent plus descent, like
// a positive GDI font height). A family the system does not have is
// replaced by a sans-serif font. Asking twice for the same family and height
// gives the same font. Null when no font at all can be opened.
Font* OpenFont(std::string_view family, int pixel_height);

// The desktop's default user-interface font.
Font* DefaultUiFont();

// Height of a text line (the cell height) of the font.
int FontLineHeight(const Font& font);

// Width in pixels of a CP932 text drawn with the font.
int MeasureText(Font& font, std::string_view cp932);

// Rows of 32-bit 0x00RRGGBB pixels; stride counts pixels from one row to
// the next.
struct PixelBuffer {
  std::uint32_t* pixels;
  int width;
  int height;
  int stride;
};

// How a text is drawn. With an opaque background the text's cells (its
// width by the line height) are first filled with background_colour;
// otherwise only the glyph pixels change.
struct TextStyle {
  Font* font;
  std::uint32_t text_colour;
  bool opaque_background;
  std::uint32_t background_colour;
};

// Draws a CP932 text with its cell's top-left corner at (x, y), anti-aliased
// glyphs blended over what lies below, clipped to the buffer. Returns the
// drawn width in pixels.
int DrawText(const PixelBuffer& target, const TextStyle& style, int x, int y, std::string_view cp932);

}  // namespace platform
