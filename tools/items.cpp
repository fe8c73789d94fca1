// The present on the ground and the eleven item pictures, each a small
// object in the middle of a 32 x 32 magenta square.
#include <cmath>
#include <vector>

#include "world_art.h"

namespace artgen {
namespace {

constexpr Colour kInk = Rgb(52, 38, 46);
constexpr Colour kWhite = Rgb(255, 255, 255);

Colour Lighter(Colour c, float by = 0.35f) { return Mix(c, kWhite, by); }
Colour Darker(Colour c, float by = 0.25f) { return Mix(c, Rgb(30, 20, 30), by); }

void FillHeart(Canvas& c, float cx, float cy, float size, Colour colour) {
  FillCircle(c, cx - size * 0.5f, cy - size * 0.2f, size * 0.55f, colour);
  FillCircle(c, cx + size * 0.5f, cy - size * 0.2f, size * 0.55f, colour);
  FillPolygon(c, {{cx - size * 1.02f, cy}, {cx + size * 1.02f, cy}, {cx, cy + size * 1.1f}}, colour);
}

void FillStar(Canvas& c, float cx, float cy, float outer, float inner, Colour colour) {
  std::vector<Point> points;
  for (int i = 0; i < 10; ++i) {
    const float radius = i % 2 == 0 ? outer : inner;
    const float angle = -1.5707963f + static_cast<float>(i) * 0.6283185f;
    points.push_back({cx + radius * std::cos(angle), cy + radius * std::sin(angle)});
  }
  FillPolygon(c, points, colour);
}

void Flower(Canvas& c) {
  DrawLine(c, {15.5f, 14}, {15.5f, 28}, 1.6f, Rgb(60, 150, 60));
  FillEllipse(c, 11.5f, 23, 3.6f, 1.6f, Rgb(90, 190, 80));
  FillEllipse(c, 19.5f, 20, 3.6f, 1.6f, Rgb(90, 190, 80));
  FillPolygon(c, {{9.5f, 6}, {12.5f, 9}, {15.5f, 4}, {18.5f, 9}, {21.5f, 6}, {21, 13},
                  {18, 16.5f}, {13, 16.5f}, {10, 13}},
              Rgb(240, 70, 100));
  FillPolygon(c, {{13, 10}, {15.5f, 5.5f}, {18, 10}, {17, 15}, {14, 15}}, Rgb(255, 120, 150));
}

void Cake(Canvas& c) {
  FillPolygon(c, {{5, 17}, {22, 11}, {27, 14}, {27, 25}, {10, 28}, {5, 26}}, Rgb(250, 236, 210));
  FillPolygon(c, {{5, 17}, {22, 11}, {27, 14}, {10, 20}}, Rgb(255, 250, 245));
  FillPolygon(c, {{10, 20}, {27, 14}, {27, 25}, {10, 28}}, Rgb(240, 214, 170));
  FillPolygon(c, {{10, 23}, {27, 18}, {27, 20}, {10, 25}}, Rgb(240, 120, 140));
  FillCircle(c, 15, 13.5f, 2.8f, Rgb(230, 40, 60));
  FillCircle(c, 14.2f, 12.7f, 0.9f, Rgb(255, 170, 170));
  DrawLine(c, {15, 11}, {17, 7}, 0.8f, Rgb(60, 140, 60));
}

void Ball(Canvas& c) {
  FillCircle(c, 15.5f, 16, 11, Rgb(250, 250, 250));
  auto wedge = [&](float from, float to, Colour colour) {
    auto inside = [=](float x, float y) {
      const float dx = x - 15.5f, dy = y - 16;
      if (dx * dx + dy * dy > 121) return false;
      float a = std::atan2(dy, dx) * 57.29578f;
      if (a < 0) a += 360;
      return a >= from && a < to;
    };
    FillShape(c, 4, 5, 27, 27, inside, colour);
  };
  wedge(0, 60, Rgb(240, 60, 60));
  wedge(120, 180, Rgb(60, 130, 240));
  wedge(240, 300, Rgb(250, 200, 40));
  FillCircle(c, 15.5f, 16, 2.2f, kWhite);
  FillEllipse(c, 11, 10, 2.6f, 1.6f, Rgb(255, 255, 255));
}

void StrawHat(Canvas& c) {
  FillEllipse(c, 15.5f, 20, 13.5f, 5.5f, Rgb(236, 200, 110));
  FillEllipse(c, 15.5f, 19, 11.5f, 4, Rgb(246, 216, 136));
  FillEllipse(c, 15.5f, 13.5f, 7, 6.5f, Rgb(236, 200, 110));
  FillRect(c, 9, 15, 14, 3, Rgb(60, 120, 220));
  FillEllipse(c, 13, 10.5f, 2.6f, 1.4f, Rgb(252, 230, 170));
}

void Letter(Canvas& c) {
  FillRoundRect(c, 3.5f, 8, 27.5f, 24, 1.5f, Rgb(252, 250, 240));
  FillPolygon(c, {{4, 8.5f}, {15.5f, 17.5f}, {27, 8.5f}}, Rgb(232, 226, 210));
  DrawLine(c, {4.5f, 9}, {15.5f, 17.5f}, 0.9f, Rgb(190, 180, 160));
  DrawLine(c, {26.5f, 9}, {15.5f, 17.5f}, 0.9f, Rgb(190, 180, 160));
  FillHeart(c, 15.5f, 16.5f, 2.6f, Rgb(230, 50, 80));
}

void Gem(Canvas& c) {
  const Colour base = Rgb(80, 190, 250);
  FillPolygon(c, {{9, 6}, {22, 6}, {28, 12}, {15.5f, 27}, {3, 12}}, base);
  FillPolygon(c, {{9, 6}, {22, 6}, {24, 12}, {7, 12}}, Lighter(base, 0.45f));
  FillPolygon(c, {{7, 12}, {24, 12}, {15.5f, 27}}, Rgb(60, 150, 230));
  FillPolygon(c, {{11, 12}, {20, 12}, {15.5f, 27}}, Rgb(110, 200, 255));
  FillPolygon(c, {{3, 12}, {7, 12}, {15.5f, 27}}, Rgb(40, 120, 210));
  FillPolygon(c, {{11, 7}, {14, 7}, {12, 11}}, kWhite);
}

void Teddy(Canvas& c) {
  const Colour fur = Rgb(196, 136, 80);
  FillCircle(c, 9, 6.5f, 3.2f, fur);
  FillCircle(c, 22, 6.5f, 3.2f, fur);
  FillEllipse(c, 15.5f, 22, 8, 7, fur);
  FillCircle(c, 6.5f, 19, 2.8f, fur);
  FillCircle(c, 24.5f, 19, 2.8f, fur);
  FillCircle(c, 10, 27.5f, 2.8f, fur);
  FillCircle(c, 21, 27.5f, 2.8f, fur);
  FillCircle(c, 15.5f, 11.5f, 7, fur);
  FillCircle(c, 9, 6.5f, 1.6f, Rgb(240, 190, 150));
  FillCircle(c, 22, 6.5f, 1.6f, Rgb(240, 190, 150));
  FillEllipse(c, 15.5f, 14, 3.2f, 2.4f, Rgb(240, 206, 160));
  FillCircle(c, 15.5f, 13, 1, kInk);
  FillCircle(c, 12.5f, 10.5f, 0.9f, kInk);
  FillCircle(c, 18.5f, 10.5f, 0.9f, kInk);
  FillPolygon(c, {{15.5f, 19}, {11.5f, 16.5f}, {11.5f, 21.5f}}, Rgb(230, 60, 80));
  FillPolygon(c, {{15.5f, 19}, {19.5f, 16.5f}, {19.5f, 21.5f}}, Rgb(230, 60, 80));
}

void Lollipop(Canvas& c) {
  DrawLine(c, {15.5f, 16}, {15.5f, 29}, 1.8f, Rgb(250, 250, 250));
  FillCircle(c, 15.5f, 11, 9, Rgb(255, 110, 170));
  for (int i = 0; i < 3; ++i) {
    DrawArc(c, {15.5f, 11}, 2.2f + 2.4f * static_cast<float>(i), 0 + 60.0f * static_cast<float>(i),
            230 + 60.0f * static_cast<float>(i), 1.3f, Rgb(255, 240, 250));
  }
}

void StarWand(Canvas& c) {
  DrawLine(c, {7, 27}, {16, 16}, 2, Rgb(150, 100, 220));
  FillStar(c, 18.5f, 12, 9.5f, 4.2f, Rgb(255, 210, 40));
  FillStar(c, 18, 11.5f, 5, 2.2f, Rgb(255, 240, 150));
  FillCircle(c, 5, 7, 1, Rgb(255, 230, 100));
  FillCircle(c, 27, 24, 1, Rgb(255, 230, 100));
}

void Apple(Canvas& c) {
  FillCircle(c, 11.5f, 17.5f, 8, Rgb(220, 40, 50));
  FillCircle(c, 19.5f, 17.5f, 8, Rgb(220, 40, 50));
  FillEllipse(c, 15.5f, 21, 10, 7, Rgb(220, 40, 50));
  FillEllipse(c, 10.5f, 14.5f, 2.2f, 3, Rgb(255, 130, 130));
  DrawLine(c, {15.5f, 10.5f}, {16.5f, 5}, 1.6f, Rgb(120, 80, 40));
  FillEllipse(c, 20, 6.5f, 3.6f, 1.8f, Rgb(80, 180, 70));
}

void HeartBalloon(Canvas& c) {
  DrawLine(c, {15.5f, 20}, {14, 29}, 0.8f, Rgb(120, 120, 130));
  FillHeart(c, 15.5f, 10, 7, Rgb(250, 80, 130));
  FillEllipse(c, 10.5f, 8, 2, 1.4f, Rgb(255, 190, 210));
}

}  // namespace

Canvas DrawItemPicture(int number) {
  using Drawer = void (*)(Canvas&);
  constexpr Drawer kDrawers[kItemCount] = {Flower, Cake,  Ball,  StrawHat, Letter,      Gem,
                                           Teddy,  Lollipop, StarWand, Apple, HeartBalloon};
  Canvas art(32, 32);
  kDrawers[number](art);
  AddOutline(art, kInk);
  return OnMagenta(art);
}

Canvas DrawPresentPicture() {
  Canvas art(32, 32);
  const Colour box = Rgb(80, 170, 240);
  const Colour ribbon = Rgb(250, 80, 110);
  FillRoundRect(art, 5, 14, 26, 29, 1.5f, box);
  FillRect(art, 5, 14, 21, 2, Darker(box));
  FillRoundRect(art, 3.5f, 10, 27.5f, 15, 1.5f, Lighter(box, 0.25f));
  FillRect(art, 14, 10, 4, 19, ribbon);
  FillRect(art, 15, 10, 1, 19, Lighter(ribbon));
  FillEllipse(art, 11.5f, 7.5f, 4.5f, 3, ribbon);
  FillEllipse(art, 20.5f, 7.5f, 4.5f, 3, ribbon);
  FillEllipse(art, 11.5f, 7.5f, 2.2f, 1.3f, Darker(ribbon, 0.35f));
  FillEllipse(art, 20.5f, 7.5f, 2.2f, 1.3f, Darker(ribbon, 0.35f));
  FillCircle(art, 16, 9.5f, 2.2f, Lighter(ribbon, 0.2f));
  for (Point dot : {Point{9, 19}, Point{22, 24}, Point{9, 25}, Point{22, 18}}) {
    FillCircle(art, dot.x, dot.y, 1.1f, Rgb(255, 240, 140));
  }
  AddOutline(art, kInk);
  return OnMagenta(art);
}

}  // namespace artgen
