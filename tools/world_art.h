// The installed world pictures: the character figures, the present, the
// item pictures and the five maps. Small pictures stand on a magenta
// background, the colour the client leaves out when drawing them.
#pragma once
#include <string_view>

#include "canvas.h"
#include "fonts.h"

namespace artgen {

constexpr int kCharacterCount = 34;
constexpr int kItemCount = 11;
constexpr int kMapCount = 5;
constexpr int kMapWidth = 640;
constexpr int kMapHeight = 480;

// The colour of the top-left pixel of every small picture; the client treats
// it as transparent.
constexpr Colour kMagenta = Rgb(255, 0, 255);

// Character n: even numbers are boys, odd numbers girls.
Canvas DrawCharacterPicture(int number);
// The gift box shown for a present put down on the ground.
Canvas DrawPresentPicture();
Canvas DrawItemPicture(int number);
// Every character the map signs are written with, for choosing a font.
constexpr std::u32string_view kMapLabelCharacters =
    U"おわるアイテムチャットログ伝言板ショップ男の子女用ゆうびん〒i";

// The map pictures; labels on the signs are drawn with the given font.
Canvas DrawMapPicture(int number, Font& label_font);

// Moves every pixel that would be written as exactly the key colour (other
// than the top-left one) one step away from it, so only intended pixels are
// left out when the picture is drawn.
void KeepKeyColourUnused(Canvas& picture, Colour key);

// Copies a figure layer onto a magenta background with hard edges, so no
// magenta mixes into the figure's rim.
Canvas OnMagenta(const Canvas& figure);

}  // namespace artgen
