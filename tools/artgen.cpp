// Draws the client's built-in pictures and its two chime sounds.
//
//   artgen --source <art_data.cpp> --sounds <folder> [--bitmaps <folder>]
//          [--world <folder>] [--icons <folder>]
//
// The pictures go into a C++ source file that implements art::ArtResource
// with the bytes of one BMP file per resource number; the chimes are
// written as CHIME-1.WAV (arrival) and CHIME-3.WAV (departure). With
// --bitmaps every picture is also written as <number>.bmp for inspection.
// With --world the installed world pictures are written into that folder:
// the characters 0.bmp to 33.bmp, the present 99.bmp, item0.bmp to
// item10.bmp and map0.bmp to map4.bmp. With --icons the item icons of the
// items window are written into that folder: 0.ico to 33.ico and i0.ico to
// i10.ico.
// The output depends on nothing but the installed fonts, so every run gives
// the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "canvas.h"
#include "chime.h"
#include "fonts.h"
#include "postcard_art.h"
#include "world_art.h"

namespace artgen {
namespace {

// Palette shared by all pictures.
constexpr Colour kInk = Rgb(52, 38, 46);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kSkin = Rgb(255, 218, 178);
constexpr Colour kCheek = Rgb(255, 150, 150);
constexpr Colour kSkyTop = Rgb(110, 180, 250);
constexpr Colour kSkyBottom = Rgb(205, 236, 255);
constexpr Colour kGrass = Rgb(112, 204, 84);
constexpr Colour kGrassLight = Rgb(160, 228, 110);
constexpr Colour kLeaf = Rgb(74, 170, 72);
constexpr Colour kLeafLight = Rgb(120, 206, 96);
constexpr Colour kBark = Rgb(140, 90, 50);
constexpr Colour kWood = Rgb(168, 104, 52);
constexpr Colour kWoodDark = Rgb(120, 70, 34);
constexpr Colour kDoor = Rgb(214, 132, 62);
constexpr Colour kLight = Rgb(255, 238, 150);
constexpr Colour kMaskCyan = Rgb(0, 255, 255);
constexpr Colour kPaleYellow = Rgb(255, 255, 204);
constexpr Colour kButtonFace = Rgb(236, 233, 216);

struct Fonts {
  Font& japanese;
  Font& title;
};

// ---------------------------------------------------------------------------
// Small figures used by several pictures.

// Two dot eyes with a glint, rosy cheeks and a smile, for a face whose
// centre is (cx, cy) and whose radius is r.
void DrawFace(Canvas& c, float cx, float cy, float r) {
  const float eye_dx = r * 0.38f;
  const float eye_y = cy - r * 0.08f;
  for (float side : {-1.0f, 1.0f}) {
    FillEllipse(c, cx + side * eye_dx, eye_y, r * 0.12f + 0.35f, r * 0.17f + 0.4f, kInk);
    FillEllipse(c, cx + side * r * 0.66f, cy + r * 0.32f, r * 0.17f + 0.2f, r * 0.1f + 0.3f,
                kCheek);
  }
  if (r >= 8) {
    for (float side : {-1.0f, 1.0f}) {
      SetPixel(c, static_cast<int>(cx + side * eye_dx - 0.5f), static_cast<int>(eye_y - 1.2f),
               kWhite);
    }
  }
  DrawArc(c, {cx, cy + r * 0.12f}, r * 0.36f, 25, 155, std::max(1.0f, r * 0.12f), kInk);
}

// A five-pointed star.
void FillStar(Canvas& c, float cx, float cy, float outer, float inner, Colour colour) {
  std::vector<Point> points;
  for (int i = 0; i < 10; ++i) {
    const float radius = i % 2 == 0 ? outer : inner;
    const float angle = -1.5707963f + static_cast<float>(i) * 0.6283185f;
    points.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
  }
  FillPolygon(c, points, colour);
}

// A fluffy cloud of three puffs.
void DrawCloud(Canvas& c, float cx, float cy, float size) {
  FillEllipse(c, cx, cy + size * 0.2f, size * 1.3f, size * 0.55f, kWhite);
  FillCircle(c, cx - size * 0.45f, cy, size * 0.55f, kWhite);
  FillCircle(c, cx + size * 0.35f, cy - size * 0.2f, size * 0.7f, kWhite);
}

// An arrow from (x0, y) to (x1, y), head at x1.
void DrawArrow(Canvas& c, float x0, float x1, float y, float thickness, Colour colour) {
  const float dir = x1 > x0 ? 1.0f : -1.0f;
  const float head = thickness * 1.35f;
  const float neck = x1 - dir * head * 1.1f;
  FillPolygon(c,
              {{x0, y - thickness / 2}, {neck, y - thickness / 2}, {neck, y - head},
               {x1, y}, {neck, y + head}, {neck, y + thickness / 2}, {x0, y + thickness / 2}},
              colour);
}

// The cream plate at the foot of the two login dialog buttons.
void DrawLabelPlate(Canvas& c) {
  FillRoundRect(c, 3, 36, 39, 45, 3, Rgb(255, 250, 226));
  FillRect(c, 5, 37, 32, 1, kWhite);
}

// A wooden door frame with a round top, filled with warm light.
void DrawDoorway(Canvas& c) {
  FillRoundRect(c, 10, 3, 32, 34, 9, kWood);
  FillRect(c, 10, 28, 22, 6, kWood);
  FillRoundRect(c, 13, 6, 29, 34, 6, kLight);
  FillGradient(c, 13, 20, 16, 14, kLight, Rgb(255, 206, 110));
  FillRect(c, 8, 32, 26, 3, kWoodDark);  // threshold
}

// ---------------------------------------------------------------------------
// The pictures, by resource number.

// 110, program icon: a round sprout-headed friend on a sunny hill.
Canvas DrawProgramIcon(Fonts&) {
  Canvas picture(32, 32);
  FillGradient(picture, 0, 0, 32, 32, kSkyTop, kSkyBottom);
  FillEllipse(picture, 16, 37, 24, 12, kGrass);
  FillEllipse(picture, 16, 37.5f, 21, 10, kGrassLight);

  Canvas friend_layer(32, 32);
  DrawLine(friend_layer, {16, 8}, {16, 4}, 1.6f, kLeaf);
  FillEllipse(friend_layer, 12.2f, 4.4f, 3.6f, 2.0f, kLeafLight);
  FillEllipse(friend_layer, 19.8f, 3.4f, 3.6f, 2.0f, kLeafLight);
  FillCircle(friend_layer, 16, 18, 11.3f, Rgb(255, 206, 92));
  FillCircle(friend_layer, 15, 16.6f, 9.6f, Rgb(255, 222, 124));
  FillEllipse(friend_layer, 11.5f, 11.5f, 2.6f, 1.5f, Rgb(255, 244, 196));
  DrawFace(friend_layer, 16, 18.5f, 10);
  AddOutline(friend_layer, kInk);
  Composite(picture, friend_layer, 0, 0);
  return picture;
}

// 108, login dialog: a friend waving in front of a hill and a tree.
Canvas DrawLoginScene(Fonts&) {
  Canvas picture(42, 37);
  FillGradient(picture, 0, 0, 42, 37, kSkyTop, kSkyBottom);
  FillCircle(picture, 6, 6, 3.6f, Rgb(255, 214, 64));
  FillCircle(picture, 6, 6, 2.6f, Rgb(255, 240, 140));
  DrawCloud(picture, 19, 6, 3.4f);
  FillEllipse(picture, 2, 40, 22, 15, Rgb(92, 176, 96));
  FillEllipse(picture, 28, 45, 30, 17, kGrass);
  FillEllipse(picture, 28, 46, 27, 15, kGrassLight);

  Canvas tree(42, 37);
  FillRect(tree, 33, 17, 3, 12, kBark);
  FillCircle(tree, 34.5f, 13, 6.5f, kLeaf);
  FillCircle(tree, 30.5f, 17, 4.5f, kLeaf);
  FillCircle(tree, 38.5f, 17, 4.5f, kLeaf);
  FillCircle(tree, 33, 11.5f, 3, kLeafLight);
  FillCircle(tree, 36, 9, 1, Rgb(240, 80, 80));  // an apple
  FillCircle(tree, 31, 16, 1, Rgb(240, 80, 80));
  AddOutline(tree, Rgb(40, 90, 50));
  Composite(picture, tree, 0, 0);

  Canvas figure(42, 37);
  const float cx = 16;
  constexpr Colour kSleeve = Rgb(46, 98, 200);
  DrawLine(figure, {12.5f, 24.5f}, {10, 29}, 2, kSleeve);  // arm down
  DrawLine(figure, {19.5f, 24}, {24.5f, 18.5f}, 2, kSleeve);  // arm waving
  FillCircle(figure, 25.2f, 17, 1.9f, kSkin);
  FillCircle(figure, 9.8f, 29.6f, 1.4f, kSkin);
  FillRect(figure, 13, 30, 2, 4, Rgb(104, 84, 140));  // legs
  FillRect(figure, 17, 30, 2, 4, Rgb(104, 84, 140));
  FillRoundRect(figure, 12, 22, 20, 31, 2.5f, Rgb(70, 130, 230));
  FillRect(figure, 12, 28, 8, 1, Rgb(50, 100, 200));
  FillCircle(figure, cx, 17, 5.6f, kSkin);
  FillEllipse(figure, cx, 13.4f, 5.6f, 2.9f, Rgb(150, 84, 44));  // hair
  FillCircle(figure, cx + 3.5f, 12.4f, 1.5f, Rgb(150, 84, 44));
  SetPixel(figure, 14, 17, kInk);  // eyes
  SetPixel(figure, 18, 17, kInk);
  FillEllipse(figure, 12.8f, 19.2f, 1.2f, 0.7f, kCheek);
  FillEllipse(figure, 19.2f, 19.2f, 1.2f, 0.7f, kCheek);
  DrawArc(figure, {cx, 18.4f}, 1.9f, 20, 160, 1, kInk);
  AddOutline(figure, kInk);
  Composite(picture, figure, -2, 0);
  return picture;
}

// 120, log-in button: an open door with an arrow going in.
Canvas DrawLoginButton(Fonts&) {
  Canvas picture(42, 46);
  FillRect(picture, 0, 0, 42, 46, kMaskCyan);
  Canvas art(42, 46);
  DrawDoorway(art);
  // The door leaf swung open towards the viewer.
  FillPolygon(art, {{29, 6}, {38, 2}, {38, 35}, {29, 33}}, kDoor);
  FillPolygon(art, {{31, 9}, {35, 7}, {35, 18}, {31, 19}}, Rgb(234, 160, 90));
  FillPolygon(art, {{31, 22}, {35, 21}, {35, 31}, {31, 30}}, Rgb(234, 160, 90));
  FillCircle(art, 35.8f, 20, 1, Rgb(250, 210, 60));
  Canvas arrow(42, 46);
  DrawArrow(arrow, 2, 23, 21, 5, Rgb(60, 196, 88));
  DrawLine(arrow, {3.5f, 19.5f}, {15, 19.5f}, 1, Rgb(170, 240, 170));
  AddOutline(arrow, kInk);
  Composite(art, arrow, 0, 0);
  DrawLabelPlate(art);
  AddOutline(art, kInk);
  Composite(picture, art, 0, 0, true);
  return picture;
}

// 121, quit button: the door almost shut, an arrow coming out.
Canvas DrawQuitButton(Fonts&) {
  Canvas picture(42, 46);
  FillRect(picture, 0, 0, 42, 46, kMaskCyan);
  Canvas art(42, 46);
  DrawDoorway(art);
  // The leaf fills the doorway but for a thin gap of light on the right.
  FillRoundRect(art, 13, 6, 27, 34, 6, kDoor);
  FillRect(art, 13, 22, 14, 12, kDoor);
  FillRoundRect(art, 15, 9, 25, 19, 3, Rgb(234, 160, 90));
  FillRect(art, 15, 22, 10, 9, Rgb(234, 160, 90));
  FillCircle(art, 24.5f, 21, 1.1f, Rgb(250, 210, 60));
  Canvas arrow(42, 46);
  DrawArrow(arrow, 23, 2, 26, 5, Rgb(236, 78, 70));
  DrawLine(arrow, {8, 24.5f}, {21, 24.5f}, 1, Rgb(255, 170, 160));
  AddOutline(arrow, kInk);
  Composite(art, arrow, 0, 0);
  DrawLabelPlate(art);
  AddOutline(art, kInk);
  Composite(picture, art, 0, 0, true);
  return picture;
}

// 123, title banner: "Posyvale" in bouncy rainbow letters.
Canvas DrawTitleBanner(Fonts& fonts) {
  constexpr int kWidth = 134;
  constexpr int kHeight = 39;
  Canvas picture(kWidth, kHeight);
  FillRect(picture, 0, 0, kWidth, kHeight, kPaleYellow);

  const std::u32string title = U"Posyvale";
  const Colour letter_colours[] = {Rgb(236, 72, 72),  Rgb(255, 146, 36), Rgb(236, 188, 24),
                                   Rgb(86, 186, 64),  Rgb(32, 176, 188), Rgb(72, 120, 232),
                                   Rgb(150, 92, 220), Rgb(236, 88, 170)};
  int size = 30;
  while (size > 12 && fonts.title.Width(title, size) + 8 > kWidth - 28) --size;
  const int spacing = 1;
  const int text_width = fonts.title.Width(title, size) + spacing * (int(title.size()) - 1);
  int x = (kWidth - text_width) / 2;
  const int baseline = kHeight / 2 + size * 3 / 10;

  Canvas letters(kWidth, kHeight);
  for (std::size_t i = 0; i < title.size(); ++i) {
    const int bounce = i % 2 == 0 ? -1 : 1;
    x += fonts.title.Draw(letters, title.substr(i, 1), x, baseline + bounce, size,
                          letter_colours[i % std::size(letter_colours)]) +
         spacing;
  }
  // A glossy upper half on every letter.
  for (int y = 0; y < baseline - size / 3; ++y) {
    for (int col = 0; col < kWidth; ++col) {
      Pixel& p = letters.At(col, y);
      if (p.a == 0) continue;
      const Colour lit = Mix({p.r, p.g, p.b}, kWhite, 0.28f);
      p.r = lit.r;
      p.g = lit.g;
      p.b = lit.b;
    }
  }
  AddOutline(letters, kInk);
  Canvas sticker = letters;
  AddOutline(sticker, kWhite);

  Canvas shadow(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int col = 0; col < kWidth; ++col) {
      shadow.Blend(col, y, Rgb(226, 214, 140), sticker.At(col, y).a);
    }
  }
  Composite(picture, shadow, 2, 2);
  Composite(picture, sticker, 0, 0);

  Canvas stars(kWidth, kHeight);
  FillStar(stars, 7, 9, 5, 2.2f, Rgb(255, 206, 40));
  FillStar(stars, 127, 29, 5, 2.2f, Rgb(255, 140, 180));
  FillStar(stars, 127, 9, 3, 1.4f, Rgb(110, 200, 250));
  FillStar(stars, 7, 30, 3, 1.4f, Rgb(130, 210, 90));
  AddOutline(stars, kInk);
  Composite(picture, stars, 0, 0);
  return picture;
}

// A word drawn in dark ink, centred on the given height.
void DrawWord(Canvas& picture, Font& font, std::u32string_view word, int x, int centre_y,
              int size) {
  font.Draw(picture, word, x, centre_y + size * 38 / 100, size, Rgb(40, 32, 36));
}

// 118, speech mode button: a red pencil and the word for speech.
Canvas DrawSpeechButton(Fonts& fonts) {
  Canvas picture(64, 18);
  FillRect(picture, 0, 0, 64, 18, kButtonFace);
  // The pencil lies on a diagonal, its point at the lower left.
  const Point tip{2.5f, 15.5f};
  const Point along{0.7071f, -0.7071f};
  const Point across{0.7071f, 0.7071f};
  auto at = [&](float u, float v) {
    return Point{tip.x + along.x * u + across.x * v, tip.y + along.y * u + across.y * v};
  };
  auto band = [&](Canvas& c, float u0, float u1, float half0, float half1, Colour colour) {
    FillPolygon(c, {at(u0, -half0), at(u1, -half1), at(u1, half1), at(u0, half0)}, colour);
  };
  Canvas pencil(64, 18);
  constexpr float kHalf = 2.5f;
  band(pencil, 0, 4.5f, 0.3f, kHalf, Rgb(246, 214, 160));  // sharpened wood
  band(pencil, 0, 1.7f, 0.3f, 1.0f, Rgb(60, 50, 60));      // lead
  band(pencil, 4.5f, 12.5f, kHalf, kHalf, Rgb(226, 44, 44));  // red body
  FillPolygon(pencil, {at(4.5f, -kHalf), at(12.5f, -kHalf), at(12.5f, -0.6f), at(4.5f, -0.6f)},
              Rgb(255, 110, 100));  // lit facet
  band(pencil, 12.5f, 14, kHalf, kHalf, Rgb(196, 196, 206));  // ferrule
  band(pencil, 14, 16, kHalf, kHalf, Rgb(255, 160, 180));     // eraser
  AddOutline(pencil, kInk);
  Composite(picture, pencil, 0, 0);
  DrawWord(picture, fonts.japanese, U"発言", 22, 9, 15);
  return picture;
}

// 119, move mode button: a little walker in a green hood and the word for
// move.
Canvas DrawMoveButton(Fonts& fonts) {
  Canvas picture(64, 32);
  FillRect(picture, 0, 0, 64, 32, kButtonFace);
  Canvas walker(64, 32);
  constexpr Colour kHood = Rgb(70, 178, 80);
  constexpr Colour kHoodDark = Rgb(46, 140, 60);
  FillEllipse(walker, 7.5f, 29.5f, 2.8f, 1.6f, kBark);  // shoes
  FillEllipse(walker, 15.5f, 29.5f, 2.8f, 1.6f, kBark);
  FillPolygon(walker, {{7, 17}, {16, 17}, {20, 28}, {3, 28}}, kHoodDark);  // cloak
  FillPolygon(walker, {{8, 17}, {15, 17}, {18, 27}, {5, 27}}, kHood);
  FillRect(walker, 11, 19, 1, 8, kHoodDark);
  FillCircle(walker, 11.5f, 22, 1, Rgb(250, 210, 60));  // clasp
  FillPolygon(walker, {{8, 5}, {11, 0.5f}, {15, 4}}, kHood);  // hood point
  FillCircle(walker, 11.5f, 11.5f, 8, kHood);
  FillCircle(walker, 10.5f, 9.5f, 4, Rgb(110, 204, 110));
  FillCircle(walker, 11.5f, 13, 5.4f, kSkin);
  FillEllipse(walker, 11.5f, 8.6f, 5.4f, 1.8f, kHoodDark);  // hood rim shadow
  FillEllipse(walker, 11.5f, 8.2f, 5.6f, 1.6f, kHood);
  DrawFace(walker, 11.5f, 13.4f, 5.2f);
  AddOutline(walker, kInk);
  Composite(picture, walker, 1, 0);
  DrawWord(picture, fonts.japanese, U"移動", 27, 16, 16);
  return picture;
}

// A speech bubble with its tail at the lower left.
void DrawSpeechBubble(Canvas& c, float x0, float y0, float x1, float y1, Colour colour) {
  FillRoundRect(c, x0, y0, x1, y1, (y1 - y0) / 2.5f, colour);
  FillPolygon(c, {{x0 + 3, y1 - 2}, {x0 + 7, y1 - 2}, {x0 + 1, y1 + 3}}, colour);
}

// 112, save-log button: a blue floppy disk and the words for saving the log.
Canvas DrawSaveLogButton(Fonts& fonts) {
  Canvas picture(70, 18);
  FillRect(picture, 0, 0, 70, 18, kButtonFace);
  Canvas disk(70, 18);
  FillRoundRect(disk, 2, 2, 16, 16, 1.5f, Rgb(60, 110, 210));
  FillRect(disk, 5, 2, 8, 5, Rgb(214, 220, 232));    // shutter
  FillRect(disk, 10, 3, 2, 3, Rgb(60, 110, 210));
  FillRect(disk, 4, 9, 10, 7, kWhite);               // label
  FillRect(disk, 5, 11, 8, 1, Rgb(150, 170, 210));
  FillRect(disk, 5, 13, 8, 1, Rgb(150, 170, 210));
  AddOutline(disk, kInk);
  Composite(picture, disk, 0, 0);
  DrawWord(picture, fonts.japanese, U"ログ保存", 20, 9, 12);
  return picture;
}

// 113, clear-log button: a pink eraser with crumbs and the words for
// clearing the log.
Canvas DrawClearLogButton(Fonts& fonts) {
  Canvas picture(65, 17);
  FillRect(picture, 0, 0, 65, 17, kButtonFace);
  Canvas eraser(65, 17);
  FillPolygon(eraser, {{2, 11}, {9, 3}, {15, 7}, {8, 15}}, Rgb(255, 150, 176));
  FillPolygon(eraser, {{2, 11}, {5, 7.6f}, {11, 11.6f}, {8, 15}}, Rgb(110, 150, 230));  // sleeve
  AddOutline(eraser, kInk);
  Composite(picture, eraser, 0, 0);
  SetPixel(picture, 14, 14, Rgb(200, 120, 140));
  SetPixel(picture, 16, 12, Rgb(200, 120, 140));
  DrawWord(picture, fonts.japanese, U"ログ消去", 18, 8, 12);
  return picture;
}

// 117, chat log banner: two speech bubbles and the window's name on a
// white strip.
Canvas DrawChatLogBanner(Fonts& fonts) {
  constexpr int kWidth = 209;
  constexpr int kHeight = 23;
  Canvas picture(kWidth, kHeight);
  FillGradient(picture, 0, 0, kWidth, kHeight, kWhite, Rgb(236, 244, 255));
  Canvas bubbles(kWidth, kHeight);
  DrawSpeechBubble(bubbles, 3, 3, 19, 15, Rgb(255, 196, 90));
  DrawSpeechBubble(bubbles, 13, 7, 29, 18, Rgb(120, 200, 250));
  AddOutline(bubbles, kInk);
  Composite(picture, bubbles, 0, 0);
  for (float x : {18.0f, 21.0f, 24.0f}) FillCircle(picture, x, 12.5f, 0.9f, kWhite);
  DrawWord(picture, fonts.japanese, U"チャットログ", 36, 11, 15);
  FillStar(picture, 200, 11, 5, 2.2f, Rgb(255, 206, 40));
  return picture;
}

// 114, 135, 136: the postcard windows' pictures (postcard_art.cpp).
Canvas DrawStamp(Fonts&) { return DrawStampPicture(); }
Canvas DrawReadCard(Fonts&) { return DrawReadCardPicture(); }
Canvas DrawUnreadCard(Fonts&) { return DrawUnreadCardPicture(); }

struct Picture {
  int id;
  Canvas (*draw)(Fonts&);
};

constexpr Picture kPictures[] = {
    {108, DrawLoginScene},     {110, DrawProgramIcon},    {112, DrawSaveLogButton},
    {113, DrawClearLogButton}, {117, DrawChatLogBanner},  {118, DrawSpeechButton},
    {119, DrawMoveButton},     {120, DrawLoginButton},    {121, DrawQuitButton},
    {123, DrawTitleBanner},    {114, DrawStamp},          {135, DrawReadCard},
    {136, DrawUnreadCard},
};

// ---------------------------------------------------------------------------
// Output files.

// Writes next to the destination first, so a failed run never leaves a
// half-written file under the final name.
void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path);
}

std::string AsString(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::string ArtSource(const std::vector<std::pair<int, std::vector<std::uint8_t>>>& files) {
  std::ostringstream out;
  out << "// Generated by tools/artgen at build time; edits here are lost.\n"
         "#include \"client/resources/art.h\"\n\n"
         "namespace art {\n"
         "namespace {\n";
  for (const auto& [id, bytes] : files) {
    out << "\nconst unsigned char kPicture" << id << "[" << bytes.size() << "] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      out << (i % 16 == 0 ? "\n    " : " ") << static_cast<int>(bytes[i]) << ',';
    }
    out << "\n};\n";
  }
  out << "\n}  // namespace\n\n"
         "std::span<const unsigned char> ArtResource(int id) {\n"
         "  switch (id) {\n";
  for (const auto& entry : files) {
    out << "    case " << entry.first << ":\n      return kPicture" << entry.first << ";\n";
  }
  out << "    default:\n      return {};\n  }\n}\n\n}  // namespace art\n";
  return out.str();
}

struct Options {
  std::filesystem::path source;
  std::filesystem::path sounds;
  std::filesystem::path bitmaps;  // empty: no loose BMP files
  std::filesystem::path world;    // empty: no world pictures
  std::filesystem::path icons;    // empty: no item icons
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (i + 1 >= argc) throw std::runtime_error("missing value after " + flag);
    const std::filesystem::path value = argv[++i];
    if (flag == "--source") {
      options.source = value;
    } else if (flag == "--sounds") {
      options.sounds = value;
    } else if (flag == "--bitmaps") {
      options.bitmaps = value;
    } else if (flag == "--world") {
      options.world = value;
    } else if (flag == "--icons") {
      options.icons = value;
    } else {
      throw std::runtime_error("unknown option " + flag);
    }
  }
  if (options.source.empty() || options.sounds.empty()) {
    throw std::runtime_error(
        "usage: artgen --source <art_data.cpp> --sounds <folder> [--bitmaps <folder>]"
        " [--world <folder>] [--icons <folder>]");
  }
  return options;
}

void WriteWorldPictures(const std::filesystem::path& folder, Font& label_font) {
  std::filesystem::create_directories(folder);
  auto write = [&folder](const std::string& name, const Canvas& picture) {
    WriteFile(folder / name, AsString(EncodeBmp(picture)));
  };
  for (int n = 0; n < kCharacterCount; ++n) {
    write(std::to_string(n) + ".bmp", DrawCharacterPicture(n));
  }
  write("99.bmp", DrawPresentPicture());
  for (int n = 0; n < kItemCount; ++n) {
    write("item" + std::to_string(n) + ".bmp", DrawItemPicture(n));
  }
  for (int n = 0; n < kMapCount; ++n) {
    write("map" + std::to_string(n) + ".bmp", DrawMapPicture(n, label_font));
  }
}

void Run(const Options& options) {
  if (options.source.has_parent_path()) {
    std::filesystem::create_directories(options.source.parent_path());
  }
  std::filesystem::create_directories(options.sounds);
  Font japanese(FindFont("IPAGothic", false, U"発言移動ログ保存消去チャット"), 0.5f);
  Font title(FindFont("DejaVu Sans", true, U"Posyvale"));
  Fonts fonts{japanese, title};

  std::vector<std::pair<int, std::vector<std::uint8_t>>> files;
  for (const Picture& picture : kPictures) {
    files.emplace_back(picture.id, EncodeBmp(picture.draw(fonts)));
  }
  WriteFile(options.source, ArtSource(files));
  if (!options.bitmaps.empty()) {
    std::filesystem::create_directories(options.bitmaps);
    for (const auto& [id, bytes] : files) {
      WriteFile(options.bitmaps / (std::to_string(id) + ".bmp"), AsString(bytes));
    }
  }

  // Arrival rises a fourth (E5 to A5); departure falls back (A5 to E5).
  constexpr double kE5 = 659.26;
  constexpr double kA5 = 880.00;
  WriteFile(options.sounds / "CHIME-1.WAV", AsString(EncodeWav(SynthesizeChime(kE5, kA5))));
  WriteFile(options.sounds / "CHIME-3.WAV", AsString(EncodeWav(SynthesizeChime(kA5, kE5))));

  if (!options.world.empty()) {
    Font labels(FindFont("IPAGothic", true, kMapLabelCharacters), 0.6f);
    WriteWorldPictures(options.world, labels);
  }
  if (!options.icons.empty()) WriteItemIcons(options.icons);
}

}  // namespace
}  // namespace artgen

int main(int argc, char** argv) {
  try {
    artgen::Run(artgen::ParseOptions(argc, argv));
  } catch (const std::exception& error) {
    std::cerr << "artgen: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
