// The five maps of the village, 640 x 480 each. Map 4 lies above map 1,
// map 1 above map 0, map 2 right of map 1 and above map 3, map 3 right of
// map 0. One main path runs north-south at x 470 and one street east-west
// at y 242, so the paths meet where two maps touch.
//
// The client reacts to clicks 32 pixels above a zone rectangle and to a
// walking character whose feet (the bottom centre of its 32 x 32 square)
// are inside the rectangle, so the click signs sit 32 pixels above their
// rectangles and the shop doors stand where the feet step in.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "world_art.h"

namespace artgen {
namespace {

constexpr Colour kInk = Rgb(52, 38, 46);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kGrassA = Rgb(128, 198, 92);
constexpr Colour kGrassB = Rgb(150, 214, 106);
constexpr Colour kPath = Rgb(234, 212, 160);
constexpr Colour kPathEdge = Rgb(200, 168, 114);
constexpr Colour kLeaf = Rgb(70, 160, 72);
constexpr Colour kLeafLight = Rgb(110, 196, 92);
constexpr Colour kLeafDark = Rgb(46, 122, 60);
constexpr Colour kBark = Rgb(136, 88, 52);
constexpr Colour kWood = Rgb(186, 128, 72);
constexpr Colour kWoodLight = Rgb(222, 170, 110);
constexpr Colour kWoodDark = Rgb(120, 74, 40);
constexpr Colour kWater = Rgb(96, 176, 232);
constexpr Colour kWaterLight = Rgb(150, 210, 245);
constexpr Colour kStone = Rgb(196, 192, 186);

// A zone rectangle: left, top, right, bottom.
struct Zone {
  int left, top, right, bottom;
};

// Click zones, tested on every map; a click lands 32 pixels above them.
constexpr Zone kExitZone{12, 35, 90, 70};
constexpr Zone kItemsZone{105, 27, 185, 70};
constexpr Zone kChatLogZone{200, 35, 280, 70};
constexpr Zone kAboutZone{575, 13, 620, 70};
// These also open when a character walks in on their own maps.
constexpr Zone kBoardZone{374, 310, 398, 332};
constexpr Zone kItemShopZone{105, 433, 149, 478};
constexpr Zone kGirlsZone{264, 424, 281, 452};
constexpr Zone kBoysZone{264, 183, 293, 220};
constexpr Zone kMailboxZone{72, 127, 98, 149};

constexpr int kClickShift = 32;
constexpr float kMainPathX = 470;
constexpr float kStreetY = 242;
constexpr float kPathWidth = 44;
constexpr float kBottomStreetY = 462;

// Where clicks on a zone land on screen.
Zone ClickArea(Zone z) {
  return {z.left, z.top - kClickShift, z.right, z.bottom - kClickShift};
}

float ZoneCentreX(Zone z) { return static_cast<float>(z.left + z.right) / 2; }

// --- noise ----------------------------------------------------------------

std::uint32_t Hash(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                    static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2147483647u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

float Random01(int x, int y, int seed) {
  return static_cast<float>(Hash(x, y, seed) & 0xFFFF) / 65535.0f;
}

// Smooth value noise in 0..1 with cells of the given size.
float ValueNoise(float x, float y, float cell, int seed) {
  const float fx = x / cell, fy = y / cell;
  const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
  float tx = fx - static_cast<float>(ix), ty = fy - static_cast<float>(iy);
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const float a = Random01(ix, iy, seed), b = Random01(ix + 1, iy, seed);
  const float c = Random01(ix, iy + 1, seed), d = Random01(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// --- ground ---------------------------------------------------------------

struct Segment {
  Point a, b;
  float width;
};

float DistanceToSegment(Point p, Point a, Point b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float length2 = dx * dx + dy * dy;
  float t = 0;
  if (length2 > 0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0f, 1.0f);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// How far inside the path network a point is: positive inside, in pixels
// from the nearest edge.
float PathDepth(const std::vector<Segment>& paths, Point p) {
  float depth = -1e9f;
  for (const Segment& s : paths) depth = std::max(depth, s.width / 2 - DistanceToSegment(p, s.a, s.b));
  return depth;
}

void SetOpaque(Canvas& c, int x, int y, Colour colour) {
  c.At(x, y) = {colour.r, colour.g, colour.b, 1};
}

// Grass with soft patches and blades, and sandy paths with a darker rim
// and pebbles.
void DrawGround(Canvas& map, const std::vector<Segment>& paths, int seed) {
  for (int y = 0; y < kMapHeight; ++y) {
    for (int x = 0; x < kMapWidth; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float patch = ValueNoise(fx, fy, 48, seed) * 0.7f + ValueNoise(fx, fy, 12, seed + 1) * 0.3f;
      Colour grass = Mix(kGrassA, kGrassB, patch);
      const float blade = Random01(x, y, seed + 2);
      if (blade > 0.985f) grass = Mix(grass, kLeafDark, 0.35f);
      else if (blade < 0.012f) grass = Mix(grass, kWhite, 0.18f);

      const float depth = PathDepth(paths, {fx, fy});
      Colour colour = grass;
      if (depth > 0) {
        const float grain = ValueNoise(fx, fy, 6, seed + 3);
        Colour sand = Mix(kPath, Rgb(244, 226, 182), grain * 0.6f);
        if (Random01(x, y, seed + 4) > 0.992f) sand = kPathEdge;
        if (depth < 2.5f) sand = kPathEdge;
        colour = depth < 1 ? Mix(grass, sand, depth) : sand;
      } else if (depth > -2) {
        colour = Mix(grass, Rgb(96, 160, 70), 0.4f);  // a shadow line along the path
      }
      SetOpaque(map, x, y, colour);
    }
  }
}

// Darkens the pixels inside an ellipse: shadows under trees and buildings.
void Shade(Canvas& map, float cx, float cy, float rx, float ry, float strength) {
  for (int y = static_cast<int>(cy - ry); y <= static_cast<int>(cy + ry); ++y) {
    for (int x = static_cast<int>(cx - rx); x <= static_cast<int>(cx + rx); ++x) {
      if (!map.Contains(x, y)) continue;
      const float u = (static_cast<float>(x) + 0.5f - cx) / rx, v = (static_cast<float>(y) + 0.5f - cy) / ry;
      const float d = u * u + v * v;
      if (d > 1) continue;
      const float k = strength * std::min(1.0f, (1 - d) * 3);
      Pixel& p = map.At(x, y);
      p.r *= 1 - k;
      p.g *= 1 - k;
      p.b *= 1 - k * 0.6f;
    }
  }
}

// The strip under the ticker text: darker, so white text reads well on it.
void DarkenTickerStrip(Canvas& map) {
  for (int y = 448; y < kMapHeight; ++y) {
    const float t = std::clamp((static_cast<float>(y) - 448) / 10, 0.0f, 1.0f);
    const float k = 1 - 0.5f * t;
    for (int x = 0; x < kMapWidth; ++x) {
      Pixel& p = map.At(x, y);
      p.r *= k;
      p.g *= k;
      p.b *= k;
    }
  }
}

// --- objects --------------------------------------------------------------

// Draws on a layer of its own, outlines it and puts it on the map.
template <typename Draw>
void Place(Canvas& map, int x, int y, int w, int h, Draw draw) {
  Canvas layer(w, h);
  draw(layer);
  AddOutline(layer, kInk);
  Composite(map, layer, x, y);
}

void Tree(Canvas& map, float x, float y, float size, int seed) {
  Shade(map, x + size * 0.15f, y + size * 0.05f, size * 0.85f, size * 0.3f, 0.28f);
  const int w = static_cast<int>(size * 2.4f), h = static_cast<int>(size * 2.6f);
  Place(map, static_cast<int>(x) - w / 2, static_cast<int>(y) - h + 4, w, h, [&](Canvas& c) {
    const float cx = static_cast<float>(w) / 2, base = static_cast<float>(h) - 4;
    FillRoundRect(c, cx - size * 0.16f, base - size * 0.9f, cx + size * 0.16f, base, 2, kBark);
    const float top = base - size * 1.35f;
    FillCircle(c, cx - size * 0.45f, top + size * 0.25f, size * 0.62f, kLeafDark);
    FillCircle(c, cx + size * 0.45f, top + size * 0.25f, size * 0.62f, kLeafDark);
    FillCircle(c, cx, top - size * 0.1f, size * 0.75f, kLeaf);
    FillCircle(c, cx - size * 0.4f, top + size * 0.12f, size * 0.55f, kLeaf);
    FillCircle(c, cx + size * 0.42f, top + size * 0.15f, size * 0.55f, kLeaf);
    FillCircle(c, cx - size * 0.2f, top - size * 0.35f, size * 0.32f, kLeafLight);
    if (seed % 3 == 0) {  // a few fruit
      FillCircle(c, cx + size * 0.3f, top + size * 0.1f, 1.8f, Rgb(236, 70, 70));
      FillCircle(c, cx - size * 0.45f, top + size * 0.35f, 1.8f, Rgb(236, 70, 70));
      FillCircle(c, cx + size * 0.05f, top - size * 0.45f, 1.8f, Rgb(236, 70, 70));
    }
  });
}

void Bush(Canvas& map, float x, float y, float size, Colour flower) {
  Shade(map, x, y + size * 0.5f, size * 1.2f, size * 0.4f, 0.2f);
  const int w = static_cast<int>(size * 3) + 4, h = static_cast<int>(size * 2) + 4;
  Place(map, static_cast<int>(x) - w / 2, static_cast<int>(y) - h / 2, w, h, [&](Canvas& c) {
    const float cx = static_cast<float>(w) / 2, cy = static_cast<float>(h) / 2 + 1;
    FillCircle(c, cx - size * 0.6f, cy + 1, size * 0.7f, kLeaf);
    FillCircle(c, cx + size * 0.6f, cy + 1, size * 0.7f, kLeaf);
    FillCircle(c, cx, cy - size * 0.2f, size * 0.8f, kLeaf);
    FillCircle(c, cx - size * 0.2f, cy - size * 0.5f, size * 0.35f, kLeafLight);
    for (int i = 0; i < 4; ++i) {
      const float a = static_cast<float>(i) * 1.7f + 0.4f;
      FillCircle(c, cx + size * 0.8f * std::cos(a), cy + size * 0.4f * std::sin(a), 1.6f, flower);
    }
  });
}

// A row of hedge along an edge without a neighbouring map.
void HedgeRow(Canvas& map, float x0, float y0, float x1, float y1) {
  const float length = std::hypot(x1 - x0, y1 - y0);
  const int count = static_cast<int>(length / 14);
  for (int i = 0; i <= count; ++i) {
    const float t = count > 0 ? static_cast<float>(i) / static_cast<float>(count) : 0;
    const float x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
    Place(map, static_cast<int>(x) - 12, static_cast<int>(y) - 12, 24, 24, [](Canvas& c) {
      FillCircle(c, 12, 12, 10, kLeafDark);
      FillCircle(c, 11, 10.5f, 8, kLeaf);
      FillCircle(c, 9, 8, 3, kLeafLight);
    });
  }
}

// Small flowers scattered in a box, skipping spots already on the path.
void FlowerBed(Canvas& map, const std::vector<Segment>& paths, int x0, int y0, int x1, int y1,
               int count, int seed) {
  const Colour colours[] = {Rgb(255, 110, 140), Rgb(255, 230, 90), Rgb(255, 255, 255),
                            Rgb(180, 130, 240), Rgb(255, 160, 80)};
  for (int i = 0; i < count; ++i) {
    const float x = static_cast<float>(x0) + Random01(i, 1, seed) * static_cast<float>(x1 - x0);
    const float y = static_cast<float>(y0) + Random01(i, 2, seed) * static_cast<float>(y1 - y0);
    if (PathDepth(paths, {x, y}) > -6) continue;
    const Colour petal = colours[Hash(i, 3, seed) % std::size(colours)];
    for (int k = 0; k < 4; ++k) {
      const float a = static_cast<float>(k) * 1.5708f;
      FillCircle(map, x + 1.6f * std::cos(a), y + 1.6f * std::sin(a), 1.3f, petal);
    }
    FillCircle(map, x, y, 1.0f, Rgb(250, 200, 60));
  }
}

void Pond(Canvas& map, float cx, float cy, float rx, float ry) {
  FillEllipse(map, cx, cy, rx + 5, ry + 4, kStone);
  FillEllipse(map, cx, cy + 1, rx + 2, ry + 1.5f, Rgb(150, 146, 140));
  FillEllipse(map, cx, cy, rx, ry, kWater);
  FillEllipse(map, cx, cy + ry * 0.15f, rx * 0.9f, ry * 0.8f, Rgb(80, 160, 224));
  for (int i = 0; i < 6; ++i) {
    const float x = cx + (Random01(i, 7, 9) - 0.5f) * rx * 1.2f;
    const float y = cy + (Random01(i, 8, 9) - 0.5f) * ry * 1.1f;
    DrawLine(map, {x - 6, y}, {x + 6, y}, 1.6f, kWaterLight);
  }
}

void LilyPad(Canvas& map, float x, float y) {
  FillEllipse(map, x, y, 6, 3.6f, Rgb(70, 170, 80));
  FillPolygon(map, {{x, y}, {x + 6, y - 1.5f}, {x + 6, y + 1.5f}}, kWater);
  FillCircle(map, x - 2, y - 1, 1.6f, Rgb(255, 170, 200));
}

void Bench(Canvas& map, int x, int y) {
  Shade(map, static_cast<float>(x) + 18, static_cast<float>(y) + 18, 20, 5, 0.22f);
  Place(map, x, y, 38, 22, [](Canvas& c) {
    FillRect(c, 4, 12, 3, 9, kWoodDark);
    FillRect(c, 31, 12, 3, 9, kWoodDark);
    FillRoundRect(c, 1, 1, 37, 6, 1.5f, kWood);
    FillRoundRect(c, 1, 9, 37, 14, 1.5f, kWoodLight);
  });
}

void Lamp(Canvas& map, int x, int y) {
  Shade(map, static_cast<float>(x) + 6, static_cast<float>(y) + 40, 7, 3, 0.25f);
  Place(map, x, y, 14, 44, [](Canvas& c) {
    FillRect(c, 6, 10, 2, 32, Rgb(70, 70, 90));
    FillRoundRect(c, 3, 40, 11, 43, 1, Rgb(70, 70, 90));
    FillRoundRect(c, 2, 2, 12, 12, 3, Rgb(255, 236, 140));
    FillRect(c, 1, 1, 12, 2, Rgb(70, 70, 90));
  });
}

// Centred text in the label font.
void Label(Canvas& c, Font& font, std::u32string_view text, float cx, float baseline, int size,
           Colour colour) {
  const int width = font.Width(text, size);
  font.Draw(c, text, static_cast<int>(std::lround(cx - static_cast<float>(width) / 2)),
            static_cast<int>(baseline), size, colour);
}

// --- the signs of the click zones -------------------------------------------

void DrawPlank(Canvas& c, float x0, float y0, float x1, float y1, Colour face) {
  FillRoundRect(c, x0, y0, x1, y1, 4, kWoodDark);
  FillRoundRect(c, x0 + 1.5f, y0 + 1.5f, x1 - 1.5f, y1 - 2.5f, 3, face);
  FillRect(c, static_cast<int>(x0) + 4, static_cast<int>(y0) + 3, static_cast<int>(x1 - x0) - 8, 1,
           Mix(face, kWhite, 0.35f));
}

void ExitIcon(Canvas& c, float x, float y) {
  FillRoundRect(c, x, y, x + 12, y + 18, 2, Rgb(150, 90, 50));
  FillRoundRect(c, x + 2, y + 2, x + 10, y + 18, 1, Rgb(60, 40, 40));
  FillPolygon(c, {{x + 2, y + 2}, {x + 8, y + 4}, {x + 8, y + 19}, {x + 2, y + 18}}, Rgb(214, 140, 70));
  FillCircle(c, x + 7, y + 11, 0.9f, Rgb(250, 220, 80));
  FillPolygon(c, {{x + 9, y + 7}, {x + 14, y + 7}, {x + 14, y + 4}, {x + 19, y + 9.5f},
                  {x + 14, y + 15}, {x + 14, y + 12}, {x + 9, y + 12}},
              Rgb(236, 78, 70));
}

void BagIcon(Canvas& c, float x, float y) {
  DrawArc(c, {x + 9, y + 6}, 4.5f, 180, 360, 1.8f, Rgb(120, 70, 40));
  FillRoundRect(c, x, y + 5, x + 18, y + 20, 4, Rgb(236, 150, 60));
  FillRoundRect(c, x + 2, y + 5, x + 16, y + 10, 2, Rgb(250, 190, 100));
  FillCircle(c, x + 9, y + 13, 2.2f, Rgb(255, 220, 80));
}

void BalloonIcon(Canvas& c, float x, float y) {
  FillRoundRect(c, x, y + 1, x + 14, y + 11, 4, kWhite);
  FillPolygon(c, {{x + 3, y + 10}, {x + 2, y + 15}, {x + 7, y + 10}}, kWhite);
  FillRoundRect(c, x + 7, y + 7, x + 20, y + 17, 4, Rgb(255, 240, 140));
  FillPolygon(c, {{x + 16, y + 16}, {x + 18, y + 20}, {x + 12, y + 16}}, Rgb(255, 240, 140));
  for (int i = 0; i < 3; ++i) FillCircle(c, x + 10.5f + 3 * static_cast<float>(i), y + 12, 0.9f, kInk);
}

void DrawTopSigns(Canvas& map, Font& font) {
  struct TopSign {
    Zone zone;
    Colour face;
    std::u32string_view text;
    int icon;  // 0 exit, 1 bag, 2 balloons, 3 information
  };
  const TopSign signs[] = {
      {kExitZone, Rgb(255, 214, 196), U"おわる", 0},
      {kItemsZone, Rgb(255, 238, 190), U"アイテム", 1},
      {kChatLogZone, Rgb(214, 236, 255), U"ログ", 2},
      {kAboutZone, Rgb(220, 246, 210), U"", 3},
  };
  for (const TopSign& sign : signs) {
    const Zone area = ClickArea(sign.zone);
    const int top = std::max(2, area.top);
    const struct {
      int x0, y0, w, h;
    } b{area.left - 2, 0, area.right - area.left + 4, 46};
    Shade(map, static_cast<float>(b.x0 + b.w / 2), 44, static_cast<float>(b.w) / 2, 4, 0.2f);
    Place(map, b.x0, b.y0, b.w, b.h, [&](Canvas& c) {
      const float w = static_cast<float>(b.w);
      FillRect(c, 8, 30, 4, 14, kWoodDark);
      FillRect(c, b.w - 12, 30, 4, 14, kWoodDark);
      DrawPlank(c, 1, static_cast<float>(top), w - 1, static_cast<float>(area.bottom) + 1, sign.face);
      const float mid = (static_cast<float>(top) + static_cast<float>(area.bottom)) / 2;
      if (sign.icon == 3) {
        FillCircle(c, w / 2, mid, 12, Rgb(70, 150, 230));
        FillCircle(c, w / 2, mid - 5.5f, 2.2f, kWhite);
        FillRoundRect(c, w / 2 - 2, mid - 2, w / 2 + 2, mid + 8, 1, kWhite);
        return;
      }
      const float icon_x = 5;
      const float icon_y = mid - 10;
      if (sign.icon == 0) ExitIcon(c, icon_x, icon_y);
      if (sign.icon == 1) BagIcon(c, icon_x, icon_y);
      if (sign.icon == 2) BalloonIcon(c, icon_x, icon_y);
      const int size = sign.text.size() > 3 ? 12 : 14;
      Label(c, font, sign.text, (26 + w - 2) / 2, mid + static_cast<float>(size) * 0.38f, size,
            Rgb(70, 44, 30));
    });
  }
}

// --- buildings ---------------------------------------------------------------

struct Shop {
  float left, top, right, bottom;  // the wall, in scene pixels
  float roof_height;
  Colour wall, roof, trim;
  float door_left, door_top, door_right;  // the door ends at the wall bottom
  std::u32string_view name;
};

// A house front seen slightly from above: roof, wall, windows either side
// of the door, a name board over the door and a mat in front of it.
void DrawShop(Canvas& map, Font& font, const Shop& s, bool awning) {
  Shade(map, (s.left + s.right) / 2 + 6, s.bottom + 2, (s.right - s.left) / 2 + 8, 7, 0.25f);
  const int x0 = static_cast<int>(s.left) - 8, y0 = static_cast<int>(s.top - s.roof_height) - 4;
  const int w = static_cast<int>(s.right - s.left) + 16, h = static_cast<int>(s.bottom) - y0 + 10;
  Place(map, x0, y0, w, h, [&](Canvas& c) {
    const float ox = static_cast<float>(x0), oy = static_cast<float>(y0);
    const float l = s.left - ox, r = s.right - ox, t = s.top - oy, b = s.bottom - oy;
    FillRect(c, static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l), static_cast<int>(b - t), s.wall);
    FillRect(c, static_cast<int>(l), static_cast<int>(b) - 6, static_cast<int>(r - l), 6, Mix(s.wall, kInk, 0.25f));
    // Roof with tiles.
    FillPolygon(c, {{l - 7, t + 4}, {l + 10, t - s.roof_height}, {r - 10, t - s.roof_height}, {r + 7, t + 4}},
                s.roof);
    for (float y = t - s.roof_height + 7; y < t + 2; y += 7) {
      const float inset = 10 + 17 * (t - y) / s.roof_height - 17;
      DrawLine(c, {l - 5 + 17 - inset, y}, {r + 5 - 17 + inset, y}, 1.2f, Mix(s.roof, kInk, 0.3f));
    }
    FillRect(c, static_cast<int>(l) - 7, static_cast<int>(t) + 2, static_cast<int>(r - l) + 14, 3, s.trim);
    // Door.
    const float dl = s.door_left - ox, dr = s.door_right - ox, dt = s.door_top - oy;
    FillRoundRect(c, dl - 2, dt - 2, dr + 2, b, 5, s.trim);
    FillRoundRect(c, dl, dt, dr, b, 4, Rgb(150, 92, 50));
    FillRect(c, static_cast<int>((dl + dr) / 2), static_cast<int>(dt) + 3, 1, static_cast<int>(b - dt) - 3,
             Rgb(110, 64, 34));
    FillRoundRect(c, dl + 3, dt + 4, dr - 3, dt + 12, 2, Rgb(255, 236, 150));
    FillCircle(c, dr - 4, (dt + b) / 2 + 4, 1.3f, Rgb(255, 220, 80));
    // Windows either side.
    const float wy = awning ? dt + 4 : std::max(t + 14, dt + 6);
    for (float wx : {l + (dl - l) / 2, dr + (r - dr) / 2}) {
      if (std::abs(wx - (dl + dr) / 2) < 24) continue;
      FillRoundRect(c, wx - 11, wy, wx + 11, wy + 18, 2, s.trim);
      FillRoundRect(c, wx - 9, wy + 2, wx + 9, wy + 16, 1, Rgb(170, 220, 250));
      FillRect(c, static_cast<int>(wx), static_cast<int>(wy) + 2, 1, 14, s.trim);
      FillRect(c, static_cast<int>(wx) - 9, static_cast<int>(wy) + 8, 18, 1, s.trim);
      FillEllipse(c, wx - 4, wy + 5, 3, 1.5f, kWhite);
      FillRoundRect(c, wx - 12, wy + 17, wx + 12, wy + 21, 1.5f, kWood);  // flower box
      for (float f = wx - 9; f <= wx + 9; f += 4.5f) FillCircle(c, f, wy + 16.5f, 1.8f, Rgb(255, 120, 150));
    }
    if (awning) {
      const float ay = t + 7;
      for (int i = 0; i < 8; ++i) {
        const float ax = l + 4 + (r - l - 8) * static_cast<float>(i) / 8;
        const float aw = (r - l - 8) / 8;
        FillRect(c, static_cast<int>(ax), static_cast<int>(ay), static_cast<int>(aw) + 1, 9,
                 i % 2 == 0 ? Rgb(236, 80, 80) : kWhite);
        FillCircle(c, ax + aw / 2, ay + 9, aw / 2, i % 2 == 0 ? Rgb(236, 80, 80) : kWhite);
      }
    }
    // Name board on the roof.
    const int size = 15;
    const float text_w = static_cast<float>(font.Width(s.name, size));
    const float cx = (l + r) / 2;
    const float by = t - s.roof_height * 0.55f;
    FillRoundRect(c, cx - text_w / 2 - 7, by - 11, cx + text_w / 2 + 7, by + 10, 4, kWoodDark);
    FillRoundRect(c, cx - text_w / 2 - 5, by - 9, cx + text_w / 2 + 5, by + 8, 3, Rgb(255, 250, 230));
    Label(c, font, s.name, cx, by + 5.5f, size, Mix(s.roof, kInk, 0.35f));
  });
  // A mat in front of the door, where the feet go in.
  FillRoundRect(map, s.door_left - 2, s.bottom, s.door_right + 2, s.bottom + 7, 2, Mix(s.trim, kInk, 0.2f));
}

// The message board: a roofed notice board with notes pinned on, standing
// behind a paved spot.
void DrawMessageBoard(Canvas& map, Font& font) {
  const Zone area = ClickArea(kBoardZone);
  const int x0 = area.left - 18, y0 = area.top - 22;
  Shade(map, ZoneCentreX(kBoardZone) + 4, static_cast<float>(area.bottom) + 15, 28, 5, 0.22f);
  Place(map, x0, y0, 60, 62, [&](Canvas& c) {
    const float l = static_cast<float>(area.left - x0) - 10, r = static_cast<float>(area.right - x0) + 10;
    const float t = static_cast<float>(area.top - y0) - 6, b = static_cast<float>(area.bottom - y0) + 5;
    FillRect(c, static_cast<int>(l) + 4, static_cast<int>(t), 4, 60 - static_cast<int>(t), kWoodDark);
    FillRect(c, static_cast<int>(r) - 8, static_cast<int>(t), 4, 60 - static_cast<int>(t), kWoodDark);
    FillRoundRect(c, l, t, r, b, 2, kWood);
    FillRect(c, static_cast<int>(l) + 3, static_cast<int>(t) + 3, static_cast<int>(r - l) - 6,
             static_cast<int>(b - t) - 6, Rgb(214, 170, 110));
    FillPolygon(c, {{l - 5, t + 2}, {(l + r) / 2, t - 14}, {r + 5, t + 2}}, Rgb(70, 130, 200));
    const Colour notes[] = {Rgb(255, 255, 255), Rgb(255, 240, 140), Rgb(255, 200, 220), Rgb(200, 236, 255)};
    const float nx[] = {l + 5, l + 17, l + 29, l + 10, l + 24};
    const float ny[] = {t + 13, t + 11, t + 14, t + 24, t + 25};
    for (int i = 0; i < 5; ++i) {
      FillRect(c, static_cast<int>(nx[i]), static_cast<int>(ny[i]), 9, 9, notes[i % 4]);
      FillRect(c, static_cast<int>(nx[i]) + 2, static_cast<int>(ny[i]) + 4, 5, 1, Rgb(150, 150, 170));
      FillCircle(c, nx[i] + 4.5f, ny[i] + 1, 1, Rgb(230, 60, 60));
    }
    FillRoundRect(c, l + 3, t - 1, r - 3, t + 10, 2, Rgb(255, 250, 230));
    Label(c, font, U"伝言板", (l + r) / 2, t + 8.5f, 10, Rgb(60, 90, 150));
  });
  // The paved spot where the feet stand to read it.
  FillEllipse(map, ZoneCentreX(kBoardZone), static_cast<float>(kBoardZone.top + kBoardZone.bottom) / 2 + 2, 24, 13,
              Rgb(206, 200, 190));
  for (int i = 0; i < 5; ++i) {
    FillEllipse(map, ZoneCentreX(kBoardZone) - 16 + 8 * static_cast<float>(i),
                static_cast<float>(kBoardZone.top + kBoardZone.bottom) / 2 + 2, 3.2f, 2.2f,
                Rgb(226, 222, 214));
  }
}

// The red post box on map 2, on a pole over a paved spot.
void DrawMailbox(Canvas& map) {
  const Zone area = ClickArea(kMailboxZone);
  const float cx = ZoneCentreX(kMailboxZone);
  FillEllipse(map, cx, static_cast<float>(kMailboxZone.top + kMailboxZone.bottom) / 2, 24, 14, Rgb(206, 200, 190));
  Shade(map, cx + 4, static_cast<float>(kMailboxZone.top) + 4, 14, 4, 0.25f);
  const int x0 = area.left - 6, y0 = area.top - 8;
  Place(map, x0, y0, 40, 50, [&](Canvas& c) {
    const float l = static_cast<float>(area.left - x0) - 1, r = static_cast<float>(area.right - x0) + 1;
    const float t = static_cast<float>(area.top - y0) - 4, b = static_cast<float>(area.bottom - y0) + 4;
    FillRect(c, static_cast<int>((l + r) / 2) - 3, static_cast<int>(b), 6, 12, Rgb(90, 90, 100));
    FillRoundRect(c, l, t, r, b, 8, Rgb(226, 52, 52));
    FillRoundRect(c, l + 2, t + 2, r - 2, t + 9, 5, Rgb(250, 110, 100));
    FillRoundRect(c, l + 5, t + 12, r - 5, t + 15, 1, Rgb(60, 30, 30));  // the slot
    FillRoundRect(c, l + 6, t + 18, r - 6, b - 3, 2, kWhite);
    FillPolygon(c, {{l + 7, t + 18.5f}, {(l + r) / 2, t + 23}, {r - 7, t + 18.5f}}, Rgb(220, 210, 200));
  });
}

// A post office beside the mailbox.
void DrawPostOffice(Canvas& map, Font& font) {
  const Shop post{128, 108, 246, 178, 46, Rgb(250, 240, 220), Rgb(226, 70, 60), Rgb(255, 255, 255),
                  174, 140, 200, U"ゆうびん"};
  DrawShop(map, font, post, false);
}

// --- small signposts for the shop zones on the other maps ---------------------

// The shops, the board and the mailbox answer clicks on every map, so the
// maps without them carry a little signpost at the clickable spot, showing
// what a click there opens.
enum class Post { kBoard, kItemShop, kGirls, kBoys, kMailbox };

void DrawSignpost(Canvas& map, Zone zone, Post kind) {
  const Zone area = ClickArea(zone);
  const int x0 = area.left - 3, y0 = area.top - 3;
  const int w = area.right - area.left + 6, h = area.bottom - area.top + 18;
  Shade(map, static_cast<float>(x0 + w / 2), static_cast<float>(y0 + h) - 2, 9, 3, 0.25f);
  Place(map, x0, y0, w, h, [&](Canvas& c) {
    const float fw = static_cast<float>(w), ph = static_cast<float>(area.bottom - area.top) + 5;
    FillRect(c, w / 2 - 2, static_cast<int>(ph) - 2, 4, h - static_cast<int>(ph) + 1, kWoodDark);
    Colour face = Rgb(255, 246, 220);
    if (kind == Post::kGirls) face = Rgb(255, 214, 230);
    if (kind == Post::kBoys) face = Rgb(206, 226, 255);
    DrawPlank(c, 1, 1, fw - 1, ph, face);
    const float cx = fw / 2, cy = ph / 2;
    switch (kind) {
      case Post::kBoard:
        FillRoundRect(c, cx - 11, cy - 8, cx + 11, cy + 8, 1.5f, Rgb(200, 150, 96));
        for (int i = 0; i < 3; ++i) {
          const float nx = cx - 9.5f + 6.5f * static_cast<float>(i), ny = cy - 6 + static_cast<float>(i % 2) * 3;
          FillRect(c, static_cast<int>(nx), static_cast<int>(ny), 6, 8,
                   i == 1 ? Rgb(255, 240, 140) : (i == 0 ? kWhite : Rgb(255, 210, 226)));
          FillRect(c, static_cast<int>(nx) + 1, static_cast<int>(ny) + 3, 4, 1, Rgb(140, 130, 150));
          FillRect(c, static_cast<int>(nx) + 1, static_cast<int>(ny) + 5, 3, 1, Rgb(140, 130, 150));
          FillCircle(c, nx + 3, ny + 0.8f, 1, Rgb(230, 60, 60));
        }
        break;
      case Post::kItemShop:
        BagIcon(c, cx - 9, cy - 12);
        break;
      case Post::kGirls:
        FillPolygon(c, {{cx - 2, cy - 5}, {cx + 2, cy - 5}, {cx + 5, cy + 7}, {cx - 5, cy + 7}},
                    Rgb(240, 90, 150));
        FillCircle(c, cx, cy - 7, 3, Rgb(255, 222, 190));
        FillCircle(c, cx + 3.2f, cy - 9.5f, 1.5f, Rgb(240, 60, 110));
        break;
      case Post::kBoys:
        FillPolygon(c, {{cx - 7, cy - 4}, {cx + 7, cy - 4}, {cx + 5, cy + 1}, {cx + 4, cy + 9},
                        {cx - 4, cy + 9}, {cx - 5, cy + 1}},
                    Rgb(60, 120, 220));
        FillCircle(c, cx, cy - 10, 4, Rgb(255, 222, 190));
        FillEllipse(c, cx, cy - 12.5f, 4.2f, 2, Rgb(70, 50, 40));
        break;
      case Post::kMailbox:
        FillRoundRect(c, cx - 7, cy - 9, cx + 7, cy + 9, 4, Rgb(226, 52, 52));
        FillRoundRect(c, cx - 4.5f, cy - 4, cx + 4.5f, cy - 2.5f, 0.5f, Rgb(70, 30, 30));
        FillRoundRect(c, cx - 5, cy, cx + 5, cy + 6, 1, kWhite);
        FillPolygon(c, {{cx - 4.6f, cy + 0.4f}, {cx, cy + 3.5f}, {cx + 4.6f, cy + 0.4f}}, Rgb(210, 200, 190));
        break;
    }
  });
}

// --- the five maps -------------------------------------------------------------

struct MapPlan {
  std::vector<Segment> paths;
  bool hedge_top, hedge_left, hedge_right;
};

Segment Straight(float x0, float y0, float x1, float y1, float width = kPathWidth) {
  return {{x0, y0}, {x1, y1}, width};
}

Segment Spot(float x, float y, float radius) { return {{x, y}, {x, y}, radius * 2}; }

MapPlan PlanFor(int number) {
  const float board_y = static_cast<float>(kBoardZone.top + kBoardZone.bottom) / 2;
  switch (number) {
    case 0:  // the shopping street: both character shops and the board
      return {{Straight(kMainPathX, -20, kMainPathX, kBottomStreetY), Straight(180, kStreetY, 660, kStreetY),
               Straight(250, kBottomStreetY, kMainPathX, kBottomStreetY), Spot(kMainPathX, kStreetY, 34),
               Straight(ZoneCentreX(kBoardZone), kStreetY, ZoneCentreX(kBoardZone), board_y, 26)},
              false, true, false};
    case 1:  // the park with the pond and the board
      return {{Straight(kMainPathX, -20, kMainPathX, 500), Straight(kMainPathX, kStreetY, 660, kStreetY),
               Straight(ZoneCentreX(kBoardZone), board_y, kMainPathX, board_y, 26),
               Straight(270, 300, kMainPathX, 300, 26), Spot(kMainPathX, kStreetY, 30)},
              false, true, false};
    case 2:  // the post office corner
      return {{Straight(-20, kStreetY, kMainPathX, kStreetY), Straight(kMainPathX, kStreetY, kMainPathX, 500),
               Straight(ZoneCentreX(kMailboxZone), kStreetY, ZoneCentreX(kMailboxZone), 150, 28),
               Straight(187, kStreetY, 187, 180, 26), Spot(kMainPathX, kStreetY, 30)},
              true, false, true};
    case 3:  // the market with the item shop
      return {{Straight(-20, kStreetY, kMainPathX, kStreetY), Straight(kMainPathX, -20, kMainPathX, kBottomStreetY),
               Straight(70, kBottomStreetY, kMainPathX, kBottomStreetY), Spot(kMainPathX, kStreetY, 30),
               Spot(kMainPathX, kBottomStreetY, 26)},
              false, false, true};
    default:  // map 4, the hill garden at the top of the world
      return {{Straight(kMainPathX, 500, kMainPathX, 230), Spot(kMainPathX + 40, 180, 56),
               Straight(kMainPathX, 300, 300, 300, 26)},
              true, true, true};
  }
}

void DrawEdges(Canvas& map, const MapPlan& plan) {
  if (plan.hedge_left) HedgeRow(map, 6, 60, 6, 470);
  if (plan.hedge_right) HedgeRow(map, 634, 60, 634, 470);
}

void DrawSignposts(Canvas& map, int number) {
  if (number != 0 && number != 1) DrawSignpost(map, kBoardZone, Post::kBoard);
  if (number != 3) DrawSignpost(map, kItemShopZone, Post::kItemShop);
  if (number != 0) DrawSignpost(map, kGirlsZone, Post::kGirls);
  if (number != 0) DrawSignpost(map, kBoysZone, Post::kBoys);
  if (number != 2) DrawSignpost(map, kMailboxZone, Post::kMailbox);
}

void DrawBoysShop(Canvas& map, Font& font) {
  const Shop boys{206, 112, 352, float(kBoysZone.bottom) - 4, 50, Rgb(214, 232, 255), Rgb(60, 110, 210),
                  Rgb(255, 255, 255), float(kBoysZone.left) + 1, float(ClickArea(kBoysZone).top) + 1,
                  float(kBoysZone.right) - 1, U"男の子"};
  DrawShop(map, font, boys, false);
}

void DrawGirlsShop(Canvas& map, Font& font) {
  const Shop girls{206, 360, 338, float(kGirlsZone.bottom) - 10, 46, Rgb(255, 226, 236), Rgb(236, 100, 150),
                   Rgb(255, 255, 255), float(kGirlsZone.left) - 3, float(ClickArea(kGirlsZone).top) - 4,
                   float(kGirlsZone.right) + 3, U"女の子"};
  DrawShop(map, font, girls, false);
}

void DrawItemShop(Canvas& map, Font& font) {
  const Shop shop{40, 338, 226, float(kItemShopZone.top) + 8, 46, Rgb(255, 244, 214), Rgb(230, 130, 50),
                  Rgb(255, 255, 255), float(kItemShopZone.left), float(ClickArea(kItemShopZone).top) + 2,
                  float(kItemShopZone.right), U"アイテムショップ"};
  DrawShop(map, font, shop, true);
}

void DrawMap0(Canvas& map, Font& font, const MapPlan& plan) {
  FlowerBed(map, plan.paths, 370, 60, 430, 200, 30, 3);
  FlowerBed(map, plan.paths, 520, 280, 630, 440, 40, 4);
  FlowerBed(map, plan.paths, 20, 340, 200, 440, 30, 5);
  Pond(map, 92, 300, 54, 36);
  LilyPad(map, 70, 292);
  LilyPad(map, 112, 310);
  DrawBoysShop(map, font);
  DrawGirlsShop(map, font);
  DrawMessageBoard(map, font);
  for (Point p : {Point{44, 110}, Point{176, 96}, Point{40, 206}, Point{560, 120}, Point{612, 92},
                  Point{590, 360}, Point{40, 420}, Point{186, 414}}) {
    Tree(map, p.x, p.y, 20, static_cast<int>(p.x));
  }
  Bush(map, 410, 110, 10, Rgb(255, 120, 150));
  Bush(map, 530, 300, 10, Rgb(255, 240, 120));
  Bench(map, 530, 186);
  Lamp(map, 426, 186);
  Lamp(map, 510, 400);
}

void DrawMap1(Canvas& map, Font& font, const MapPlan& plan) {
  FlowerBed(map, plan.paths, 250, 330, 440, 420, 50, 6);
  FlowerBed(map, plan.paths, 510, 270, 630, 340, 24, 7);
  Pond(map, 150, 290, 96, 58);
  LilyPad(map, 110, 280);
  LilyPad(map, 190, 310);
  // A fountain in the pond.
  Place(map, 130, 240, 40, 50, [](Canvas& c) {
    FillEllipse(c, 20, 42, 16, 6, kStone);
    FillRect(c, 17, 22, 6, 20, kStone);
    FillEllipse(c, 20, 22, 11, 4, kStone);
    for (float dx : {-7.0f, 0.0f, 7.0f}) DrawLine(c, {20, 18}, {20 + dx, 6 + std::abs(dx)}, 2, kWaterLight);
  });
  DrawMessageBoard(map, font);
  for (Point p : {Point{60, 120}, Point{200, 110}, Point{350, 110}, Point{580, 110}, Point{560, 380},
                  Point{360, 440}, Point{220, 450}, Point{620, 330}}) {
    Tree(map, p.x, p.y, 22, static_cast<int>(p.y));
  }
  Bench(map, 500, 320);
  Bench(map, 300, 190);
  Lamp(map, 426, 120);
  Lamp(map, 426, 380);
  Bush(map, 540, 170, 11, Rgb(255, 130, 160));
  Bush(map, 60, 400, 11, Rgb(255, 240, 120));
}

void DrawMap2(Canvas& map, Font& font, const MapPlan& plan) {
  FlowerBed(map, plan.paths, 20, 280, 280, 330, 30, 8);
  FlowerBed(map, plan.paths, 500, 250, 620, 300, 20, 9);
  DrawPostOffice(map, font);
  DrawMailbox(map);
  for (Point p : {Point{330, 110}, Point{560, 110}, Point{610, 160}, Point{40, 380}, Point{180, 420},
                  Point{300, 400}, Point{560, 320}, Point{600, 430}}) {
    Tree(map, p.x, p.y, 21, static_cast<int>(p.x + p.y));
  }
  Bench(map, 380, 186);
  Lamp(map, 240, 186);
  Lamp(map, 426, 300);
  Pond(map, 150, 340, 40, 24);
  Bush(map, 520, 200, 10, Rgb(255, 120, 150));
}

void MarketStall(Canvas& map, int x, int y, Colour stripe, Colour goods) {
  Shade(map, static_cast<float>(x) + 26, static_cast<float>(y) + 44, 30, 5, 0.22f);
  Place(map, x, y, 54, 48, [&](Canvas& c) {
    FillRect(c, 6, 10, 3, 34, kWoodDark);
    FillRect(c, 45, 10, 3, 34, kWoodDark);
    FillRoundRect(c, 2, 28, 52, 44, 2, kWood);
    for (int i = 0; i < 5; ++i) FillCircle(c, 10 + 8.5f * static_cast<float>(i), 26, 3.5f, goods);
    for (int i = 0; i < 6; ++i) {
      FillRect(c, 1 + 9 * i, 2, 9, 10, i % 2 == 0 ? stripe : kWhite);
      FillCircle(c, 5.5f + 9 * static_cast<float>(i), 12, 4.5f, i % 2 == 0 ? stripe : kWhite);
    }
  });
}

void DrawMap3(Canvas& map, Font& font, const MapPlan& plan) {
  FlowerBed(map, plan.paths, 20, 270, 230, 320, 30, 10);
  DrawItemShop(map, font);
  MarketStall(map, 520, 290, Rgb(60, 160, 230), Rgb(236, 70, 70));
  MarketStall(map, 560, 370, Rgb(240, 180, 40), Rgb(250, 160, 60));
  MarketStall(map, 520, 130, Rgb(120, 190, 80), Rgb(180, 120, 220));
  for (Point p : {Point{40, 110}, Point{180, 110}, Point{340, 100}, Point{600, 90}, Point{250, 330},
                  Point{360, 380}}) {
    Tree(map, p.x, p.y, 20, static_cast<int>(p.x) + 1);
  }
  Lamp(map, 426, 186);
  Lamp(map, 248, 400);
  Bench(map, 300, 186);
  Bush(map, 570, 230, 10, Rgb(255, 240, 120));
}

void Windmill(Canvas& map, int x, int y) {
  Shade(map, static_cast<float>(x) + 40, static_cast<float>(y) + 96, 34, 7, 0.25f);
  Place(map, x, y, 84, 100, [](Canvas& c) {
    FillPolygon(c, {{28, 40}, {56, 40}, {62, 96}, {22, 96}}, Rgb(250, 240, 220));
    FillPolygon(c, {{24, 42}, {42, 24}, {60, 42}}, Rgb(200, 80, 70));
    FillRoundRect(c, 36, 74, 48, 96, 5, Rgb(150, 92, 50));
    FillCircle(c, 42, 56, 4, Rgb(170, 220, 250));
    for (int i = 0; i < 4; ++i) {
      const float a = 0.6f + static_cast<float>(i) * 1.5708f;
      const Point tip{42 + 36 * std::cos(a), 34 + 30 * std::sin(a)};
      DrawLine(c, {42, 34}, tip, 3, kWoodDark);
      const Point side{-std::sin(a) * 7, std::cos(a) * 6};
      FillPolygon(c, {{42 + 12 * std::cos(a), 34 + 10 * std::sin(a)}, tip, {tip.x + side.x, tip.y + side.y},
                      {42 + 12 * std::cos(a) + side.x, 34 + 10 * std::sin(a) + side.y}},
                  Rgb(255, 250, 240));
    }
    FillCircle(c, 42, 34, 3.5f, kWoodDark);
  });
}

void DrawMap4(Canvas& map, Font&, const MapPlan& plan) {
  FlowerBed(map, plan.paths, 520, 330, 630, 420, 30, 11);
  FlowerBed(map, plan.paths, 20, 320, 250, 400, 40, 12);
  Pond(map, 160, 250, 90, 52);
  LilyPad(map, 120, 240);
  LilyPad(map, 200, 262);
  LilyPad(map, 160, 280);
  Windmill(map, 468, 72);
  for (Point p : {Point{60, 150}, Point{300, 110}, Point{380, 150}, Point{600, 300}, Point{50, 440},
                  Point{200, 440}, Point{600, 440}}) {
    Tree(map, p.x, p.y, 22, static_cast<int>(p.x) * 3);
  }
  Bench(map, 530, 250);
  Bush(map, 340, 420, 11, Rgb(255, 130, 160));
  // Rows of tulips on the meadow.
  const Colour tulips[] = {Rgb(240, 70, 100), Rgb(255, 220, 60), Rgb(250, 250, 250), Rgb(170, 120, 240)};
  for (int row = 0; row < 4; ++row) {
    for (int i = 0; i < 8; ++i) {
      const float x = 272 + 12 * static_cast<float>(i) + static_cast<float>(row % 2) * 6;
      const float y = 340 + 14 * static_cast<float>(row);
      if (x > 360 && y < 350) continue;
      DrawLine(map, {x, y}, {x, y + 6}, 1.2f, kLeafDark);
      FillPolygon(map, {{x - 3, y - 4}, {x - 1.5f, y - 2}, {x, y - 5}, {x + 1.5f, y - 2}, {x + 3, y - 4}, {x + 2.5f, y},
                        {x - 2.5f, y}},
                  tulips[(row + i) % 4]);
    }
  }
}

}  // namespace

Canvas DrawMapPicture(int number, Font& label_font) {
  Canvas map(kMapWidth, kMapHeight);
  const MapPlan plan = PlanFor(number);
  DrawGround(map, plan.paths, 17 + number * 31);
  if (plan.hedge_top) HedgeRow(map, 290, 8, 560, 8);
  switch (number) {
    case 0: DrawMap0(map, label_font, plan); break;
    case 1: DrawMap1(map, label_font, plan); break;
    case 2: DrawMap2(map, label_font, plan); break;
    case 3: DrawMap3(map, label_font, plan); break;
    default: DrawMap4(map, label_font, plan); break;
  }
  DrawSignposts(map, number);
  DrawEdges(map, plan);
  DrawTopSigns(map, label_font);
  DarkenTickerStrip(map);
  // The top-left pixel is black, whose key colour (128, 0, 0) is kept out
  // of the rest of the map so that nothing in it turns transparent.
  map.At(0, 0) = {0, 0, 0, 1};
  KeepKeyColourUnused(map, Rgb(128, 0, 0));
  return map;
}

}  // namespace artgen
