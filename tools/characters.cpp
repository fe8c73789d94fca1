// The 34 character figures: front-facing chibi children, boys on the even
// numbers and girls on the odd ones, each with its own hair, headwear and
// clothes. Only the top-left 31 x 31 pixels are ever shown, so every figure
// stays inside that square.
#include <cmath>
#include <vector>

#include "world_art.h"

namespace artgen {
namespace {

constexpr Colour kInk = Rgb(52, 38, 46);
constexpr Colour kWhite = Rgb(255, 255, 255);

enum class Hair { kShort, kSpiky, kBowl, kSidePart, kCurly, kLong, kTwinTails, kPonytail,
                  kBob, kBuns, kBraids };
enum class Headwear { kNone, kCap, kBeanie, kBearHood, kCatHood, kBunnyHood, kFrogHood,
                      kBow, kSunHat, kCatEars, kHeadband, kFlower, kCrown, kWitchHat };
enum class Outfit { kShirt, kOveralls, kStriped, kDress, kSkirt, kApron };

struct Look {
  Colour skin;
  Colour hair;
  Hair hair_style;
  Headwear headwear;
  Colour headwear_colour;
  Outfit outfit;
  Colour top;
  Colour bottom;
  bool glasses;
};

constexpr Colour kFair = Rgb(255, 222, 190);
constexpr Colour kWarm = Rgb(246, 200, 160);
constexpr Colour kTan = Rgb(214, 160, 112);
constexpr Colour kBrownSkin = Rgb(168, 112, 74);

constexpr Colour kBlack = Rgb(50, 44, 52);
constexpr Colour kBrown = Rgb(132, 80, 44);
constexpr Colour kChestnut = Rgb(176, 96, 48);
constexpr Colour kBlond = Rgb(246, 206, 92);
constexpr Colour kGinger = Rgb(230, 120, 50);
constexpr Colour kSilver = Rgb(206, 210, 224);
constexpr Colour kNavyHair = Rgb(60, 72, 140);
constexpr Colour kPinkHair = Rgb(250, 140, 180);
constexpr Colour kMint = Rgb(110, 210, 180);
constexpr Colour kLilac = Rgb(180, 140, 230);

// Boys (even numbers) in the blues and greens, girls (odd numbers) in the
// pinks and warm colours, so the two families read apart at a glance.
const Look kLooks[kCharacterCount] = {
    // 0: dark hair, blue shirt.
    {kFair, kBlack, Hair::kShort, Headwear::kNone, {}, Outfit::kShirt, Rgb(70, 130, 230), Rgb(60, 70, 110), false},
    // 1: brown twin tails, pink dress.
    {kFair, kBrown, Hair::kTwinTails, Headwear::kNone, {}, Outfit::kDress, Rgb(255, 130, 170), Rgb(255, 130, 170), false},
    // 2: red cap, white shirt.
    {kWarm, kBrown, Hair::kShort, Headwear::kCap, Rgb(226, 56, 56), Outfit::kShirt, Rgb(245, 245, 245), Rgb(70, 90, 160), false},
    // 3: blonde long hair with a red bow.
    {kFair, kBlond, Hair::kLong, Headwear::kBow, Rgb(236, 50, 70), Outfit::kDress, Rgb(120, 190, 250), Rgb(120, 190, 250), false},
    // 4: spiky ginger hair, green striped shirt.
    {kFair, kGinger, Hair::kSpiky, Headwear::kNone, {}, Outfit::kStriped, Rgb(80, 180, 90), Rgb(90, 80, 70), false},
    // 5: black bob, yellow dress.
    {kWarm, kBlack, Hair::kBob, Headwear::kNone, {}, Outfit::kDress, Rgb(255, 206, 60), Rgb(255, 206, 60), false},
    // 6: bear hood.
    {kFair, kBrown, Hair::kShort, Headwear::kBearHood, Rgb(160, 110, 70), Outfit::kShirt, Rgb(160, 110, 70), Rgb(120, 80, 50), false},
    // 7: cat hood in pink.
    {kFair, kChestnut, Hair::kShort, Headwear::kCatHood, Rgb(255, 170, 200), Outfit::kDress, Rgb(255, 170, 200), Rgb(255, 170, 200), false},
    // 8: bowl cut with glasses, teal shirt.
    {kFair, kBlack, Hair::kBowl, Headwear::kNone, {}, Outfit::kShirt, Rgb(40, 170, 170), Rgb(60, 60, 80), true},
    // 9: ginger ponytail, purple skirt.
    {kFair, kGinger, Hair::kPonytail, Headwear::kNone, {}, Outfit::kSkirt, Rgb(255, 255, 255), Rgb(160, 100, 210), false},
    // 10: navy beanie, orange hoodie.
    {kTan, kBlack, Hair::kShort, Headwear::kBeanie, Rgb(50, 70, 150), Outfit::kShirt, Rgb(250, 150, 50), Rgb(70, 70, 90), false},
    // 11: pink hair in buns, mint dress.
    {kFair, kPinkHair, Hair::kBuns, Headwear::kNone, {}, Outfit::kDress, Rgb(130, 220, 190), Rgb(130, 220, 190), false},
    // 12: blond side part, overalls.
    {kFair, kBlond, Hair::kSidePart, Headwear::kNone, {}, Outfit::kOveralls, Rgb(240, 80, 80), Rgb(70, 110, 200), false},
    // 13: braids and a straw sun hat.
    {kWarm, kBrown, Hair::kBraids, Headwear::kSunHat, Rgb(240, 210, 130), Outfit::kDress, Rgb(250, 250, 250), Rgb(250, 250, 250), false},
    // 14: curly hair, yellow shirt.
    {kBrownSkin, kBlack, Hair::kCurly, Headwear::kNone, {}, Outfit::kShirt, Rgb(250, 210, 60), Rgb(60, 90, 150), false},
    // 15: bunny hood in white.
    {kFair, kBlond, Hair::kShort, Headwear::kBunnyHood, Rgb(250, 248, 250), Outfit::kDress, Rgb(250, 248, 250), Rgb(250, 248, 250), false},
    // 16: frog hood.
    {kWarm, kBrown, Hair::kShort, Headwear::kFrogHood, Rgb(110, 200, 80), Outfit::kShirt, Rgb(110, 200, 80), Rgb(60, 120, 60), false},
    // 17: long black hair with cat ears.
    {kFair, kBlack, Hair::kLong, Headwear::kCatEars, Rgb(50, 44, 52), Outfit::kSkirt, Rgb(255, 150, 190), Rgb(70, 60, 90), false},
    // 18: silver hair, purple shirt.
    {kFair, kSilver, Hair::kSpiky, Headwear::kNone, {}, Outfit::kStriped, Rgb(130, 90, 200), Rgb(50, 50, 70), false},
    // 19: lilac twin tails, white and blue sailor dress.
    {kFair, kLilac, Hair::kTwinTails, Headwear::kHeadband, Rgb(255, 255, 255), Outfit::kSkirt, Rgb(255, 255, 255), Rgb(60, 90, 180), false},
    // 20: green cap, striped shirt.
    {kTan, kBrown, Hair::kShort, Headwear::kCap, Rgb(60, 170, 90), Outfit::kStriped, Rgb(60, 130, 220), Rgb(200, 170, 120), false},
    // 21: chestnut bob with a flower.
    {kWarm, kChestnut, Hair::kBob, Headwear::kFlower, Rgb(255, 240, 90), Outfit::kApron, Rgb(250, 110, 110), Rgb(255, 255, 255), false},
    // 22: navy hair with glasses, overalls.
    {kFair, kNavyHair, Hair::kSidePart, Headwear::kNone, {}, Outfit::kOveralls, Rgb(250, 250, 250), Rgb(90, 150, 90), true},
    // 23: mint long hair, lavender dress.
    {kFair, kMint, Hair::kLong, Headwear::kNone, {}, Outfit::kDress, Rgb(200, 160, 250), Rgb(200, 160, 250), false},
    // 24: little prince with a crown.
    {kFair, kBlond, Hair::kBowl, Headwear::kCrown, Rgb(255, 200, 40), Outfit::kShirt, Rgb(200, 40, 60), Rgb(240, 240, 240), false},
    // 25: black ponytail, sporty orange.
    {kBrownSkin, kBlack, Hair::kPonytail, Headwear::kNone, {}, Outfit::kSkirt, Rgb(255, 150, 40), Rgb(60, 60, 80), false},
    // 26: red beanie, green shirt.
    {kFair, kGinger, Hair::kShort, Headwear::kBeanie, Rgb(220, 60, 60), Outfit::kShirt, Rgb(70, 160, 90), Rgb(130, 100, 70), false},
    // 27: witch hat.
    {kFair, kGinger, Hair::kLong, Headwear::kWitchHat, Rgb(120, 70, 170), Outfit::kDress, Rgb(120, 70, 170), Rgb(120, 70, 170), false},
    // 28: grey cat hood.
    {kFair, kBlack, Hair::kShort, Headwear::kCatHood, Rgb(150, 150, 160), Outfit::kShirt, Rgb(150, 150, 160), Rgb(70, 70, 90), false},
    // 29: blonde buns with glasses, red dress.
    {kFair, kBlond, Hair::kBuns, Headwear::kNone, {}, Outfit::kDress, Rgb(230, 70, 80), Rgb(230, 70, 80), true},
    // 30: curly ginger, blue overalls.
    {kFair, kGinger, Hair::kCurly, Headwear::kNone, {}, Outfit::kOveralls, Rgb(255, 220, 90), Rgb(60, 100, 190), false},
    // 31: brown braids, green apron dress.
    {kTan, kBrown, Hair::kBraids, Headwear::kNone, {}, Outfit::kApron, Rgb(90, 180, 110), Rgb(255, 255, 255), false},
    // 32: blue bear hood.
    {kFair, kBlond, Hair::kShort, Headwear::kBearHood, Rgb(110, 170, 240), Outfit::kShirt, Rgb(110, 170, 240), Rgb(60, 80, 140), false},
    // 33: pink hair with a tiara.
    {kFair, kPinkHair, Hair::kLong, Headwear::kCrown, Rgb(255, 210, 60), Outfit::kDress, Rgb(255, 190, 220), Rgb(255, 190, 220), false},
};

constexpr float kCx = 15.5f;      // centre line of the figure
constexpr float kHeadY = 11.0f;   // centre of the head
constexpr float kHeadR = 8.2f;

Colour Darker(Colour c, float by = 0.25f) { return Mix(c, Rgb(30, 20, 30), by); }
Colour Lighter(Colour c, float by = 0.3f) { return Mix(c, kWhite, by); }

bool IsHood(Headwear h) {
  return h == Headwear::kBearHood || h == Headwear::kCatHood || h == Headwear::kBunnyHood ||
         h == Headwear::kFrogHood;
}

// Hair that hangs behind the head and shoulders.
void DrawBackHair(Canvas& c, const Look& look) {
  const Colour hair = look.hair;
  switch (look.hair_style) {
    case Hair::kLong:
      FillRoundRect(c, kCx - 9.4f, kHeadY - 3, kCx + 9.4f, 24.5f, 4, Darker(hair, 0.12f));
      break;
    case Hair::kBob:
      FillRoundRect(c, kCx - 9.6f, kHeadY - 3, kCx + 9.6f, 18.5f, 4, Darker(hair, 0.12f));
      break;
    case Hair::kTwinTails:
      for (float side : {-1.0f, 1.0f}) {
        FillEllipse(c, kCx + side * 10.6f, 15.5f, 3.4f, 6.2f, hair);
        FillEllipse(c, kCx + side * 10.2f, 13.5f, 1.6f, 2.6f, Lighter(hair, 0.25f));
        FillCircle(c, kCx + side * 8.4f, 8.6f, 1.6f, Rgb(240, 80, 110));  // hair ties
      }
      break;
    case Hair::kPonytail:
      FillEllipse(c, kCx + 9.8f, 14.5f, 3.2f, 7, hair);
      FillCircle(c, kCx + 8.2f, 6.8f, 1.6f, Rgb(80, 160, 240));
      break;
    case Hair::kBuns:
      for (float side : {-1.0f, 1.0f}) {
        FillCircle(c, kCx + side * 7.4f, 3.8f, 3.4f, hair);
        FillCircle(c, kCx + side * 7.9f, 3.0f, 1.2f, Lighter(hair, 0.3f));
      }
      break;
    case Hair::kBraids:
      for (float side : {-1.0f, 1.0f}) {
        for (int i = 0; i < 3; ++i) {
          FillCircle(c, kCx + side * 8.6f, 15.8f + 2.7f * static_cast<float>(i), 1.9f, hair);
        }
        FillCircle(c, kCx + side * 8.6f, 23.6f, 1.2f, Rgb(240, 80, 110));
      }
      break;
    default:
      break;
  }
}

// The y where the hair over the forehead ends, at column x.
float FringeLine(Hair style, float x) {
  const float dx = x - kCx;
  const float side = std::abs(dx);
  switch (style) {
    case Hair::kShort:
      return side > 6.3f ? 12.5f : 7.8f + 1.1f * std::abs(std::sin(dx * 0.9f));
    case Hair::kSpiky:
      return side > 6.5f ? 11.5f : 7.4f + 1.6f * std::abs(std::sin(dx * 0.8f));
    case Hair::kBowl:
      return side > 6.8f ? 14.0f : 9.6f;
    case Hair::kSidePart:
      return side > 6.5f ? 12.5f : 6.6f + (dx + 7) * 0.33f;
    case Hair::kCurly:
      return side > 6.5f ? 12.0f : 7.6f + 1.2f * std::abs(std::sin(dx * 1.3f));
    case Hair::kLong:
    case Hair::kBob:
    case Hair::kTwinTails:
    case Hair::kBraids:
      return side > 6.0f ? 20.0f : 8.6f + 0.9f * std::abs(std::sin(dx * 0.7f));
    case Hair::kPonytail:
    case Hair::kBuns:
      return side > 6.4f ? 13.0f : 7.2f + (7 - dx) * 0.22f;
  }
  return 8;
}

// The hair cap over the head, cut along the fringe line.
void DrawFrontHair(Canvas& c, const Look& look) {
  const Hair style = look.hair_style;
  const float reach = kHeadR + 0.9f;
  auto inside = [style, reach](float x, float y) {
    const float dx = x - kCx;
    const float dy = y - kHeadY;
    return dx * dx + dy * dy <= reach * reach && y <= FringeLine(style, x);
  };
  FillShape(c, kCx - reach, kHeadY - reach, kCx + reach, kHeadY + reach, inside, look.hair);
  if (style == Hair::kSpiky) {
    for (float x : {8.5f, 12.5f, 16.5f, 20.5f}) {
      FillPolygon(c, {{x - 2.4f, 5}, {x + 0.8f, 0.8f}, {x + 2.4f, 5}}, look.hair);
    }
  }
  if (style == Hair::kCurly) {
    for (float a = 200; a <= 340; a += 28) {
      const float rad = a * 3.14159f / 180;
      FillCircle(c, kCx + 8.4f * std::cos(rad), kHeadY + 8.4f * std::sin(rad), 2.4f, look.hair);
    }
  }
  // A soft shine on the hair.
  FillEllipse(c, kCx - 3.5f, kHeadY - 6, 2.6f, 0.9f, Lighter(look.hair, 0.35f));
}

void DrawFace(Canvas& c, const Look& look) {
  const float eye_y = 13.0f;
  for (float side : {-1.0f, 1.0f}) {
    FillEllipse(c, kCx + side * 3.2f, eye_y, 1.05f, 1.55f, kInk);
    SetPixel(c, static_cast<int>(kCx + side * 3.2f - 0.5f), static_cast<int>(eye_y - 1.4f), kWhite);
    FillEllipse(c, kCx + side * 5.3f, 15.6f, 1.4f, 0.8f, Rgb(255, 140, 140));
  }
  DrawArc(c, {kCx, 15.0f}, 1.6f, 30, 150, 0.9f, Darker(look.skin, 0.6f));
  if (look.glasses) {
    for (float side : {-1.0f, 1.0f}) {
      DrawArc(c, {kCx + side * 3.2f, eye_y}, 2.3f, 0, 360, 0.8f, Rgb(40, 40, 60));
    }
    DrawLine(c, {kCx - 0.9f, eye_y - 0.6f}, {kCx + 0.9f, eye_y - 0.6f}, 0.8f, Rgb(40, 40, 60));
  }
}

void DrawEar(Canvas& c, float x, float y, float size, Colour outer, Colour inner) {
  FillCircle(c, x, y, size, outer);
  FillCircle(c, x, y + 0.3f, size * 0.5f, inner);
}

// Hoods frame the face and bring animal ears.
void DrawHood(Canvas& c, const Look& look) {
  const Colour hood = look.headwear_colour;
  switch (look.headwear) {
    case Headwear::kBearHood:
      for (float side : {-1.0f, 1.0f}) {
        DrawEar(c, kCx + side * 6.8f, 3.6f, 3.2f, hood, Lighter(hood, 0.45f));
      }
      break;
    case Headwear::kCatHood:
      for (float side : {-1.0f, 1.0f}) {
        FillPolygon(c, {{kCx + side * 3.0f, 4}, {kCx + side * 8.5f, 0.6f}, {kCx + side * 9.0f, 7}},
                    hood);
        FillPolygon(c, {{kCx + side * 5.0f, 4}, {kCx + side * 8.0f, 2.4f}, {kCx + side * 8.0f, 5.5f}},
                    Rgb(255, 150, 170));
      }
      break;
    case Headwear::kBunnyHood:
      for (float side : {-1.0f, 1.0f}) {
        FillEllipse(c, kCx + side * 4.2f, 2.6f, 2.3f, 4.2f, hood);
        FillEllipse(c, kCx + side * 4.2f, 3.0f, 1.0f, 2.8f, Rgb(255, 170, 190));
      }
      break;
    case Headwear::kFrogHood:
      for (float side : {-1.0f, 1.0f}) {
        FillCircle(c, kCx + side * 5.0f, 3.6f, 3.2f, hood);
        FillCircle(c, kCx + side * 5.0f, 3.4f, 2.0f, kWhite);
        FillCircle(c, kCx + side * 5.0f, 3.6f, 1.1f, kInk);
      }
      break;
    default:
      return;
  }
  FillCircle(c, kCx, kHeadY, kHeadR + 1.2f, hood);
  FillCircle(c, kCx, kHeadY + 1.2f, kHeadR - 1.6f, look.skin);
  // The hair peeks out under the hood.
  auto fringe = [](float x, float y) {
    const float dx = x - kCx;
    const float dy = y - (kHeadY + 1.2f);
    return dx * dx + dy * dy <= 6.6f * 6.6f && y <= 8.6f + 0.8f * std::abs(std::sin(dx));
  };
  FillShape(c, kCx - 7, kHeadY - 6, kCx + 7, kHeadY + 1, fringe, look.hair);
}

void DrawHeadwear(Canvas& c, const Look& look) {
  const Colour colour = look.headwear_colour;
  switch (look.headwear) {
    case Headwear::kCap:
      FillEllipse(c, kCx, 6.6f, 8.6f, 5.6f, colour);
      FillRect(c, 6, 7, 20, 1, Lighter(colour));
      FillEllipse(c, kCx + 1, 8.2f, 8.8f, 1.6f, Darker(colour));  // brim
      FillCircle(c, kCx, 1.8f, 1.0f, Darker(colour));
      break;
    case Headwear::kBeanie:
      FillEllipse(c, kCx, 6.4f, 8.8f, 5.8f, colour);
      FillRoundRect(c, kCx - 9.2f, 6.6f, kCx + 9.2f, 9.8f, 1.5f, Lighter(colour, 0.25f));
      for (float x = 8; x < 24; x += 2.5f) FillRect(c, static_cast<int>(x), 7, 1, 3, colour);
      FillCircle(c, kCx, 1.6f, 1.7f, kWhite);
      break;
    case Headwear::kBow:
      FillPolygon(c, {{kCx + 5, 4}, {kCx + 1.2f, 0.8f}, {kCx + 1.2f, 7.2f}}, colour);
      FillPolygon(c, {{kCx + 5, 4}, {kCx + 8.8f, 0.8f}, {kCx + 8.8f, 7.2f}}, colour);
      FillCircle(c, kCx + 5, 4, 1.5f, Darker(colour));
      break;
    case Headwear::kSunHat:
      FillEllipse(c, kCx, 6.6f, 13.2f, 2.8f, colour);
      FillEllipse(c, kCx, 4.4f, 6.4f, 3.8f, colour);
      FillRect(c, 10, 5, 12, 2, Rgb(240, 100, 120));
      break;
    case Headwear::kCatEars:
      for (float side : {-1.0f, 1.0f}) {
        FillPolygon(c, {{kCx + side * 2.5f, 4.5f}, {kCx + side * 8.0f, 0.8f}, {kCx + side * 8.6f, 6.8f}},
                    colour);
        FillPolygon(c, {{kCx + side * 4.4f, 4.4f}, {kCx + side * 7.6f, 2.6f}, {kCx + side * 7.8f, 5.4f}},
                    Rgb(255, 150, 170));
      }
      break;
    case Headwear::kHeadband:
      DrawArc(c, {kCx, kHeadY + 1}, 8.6f, 200, 340, 1.6f, Rgb(236, 60, 90));
      break;
    case Headwear::kFlower:
      for (int i = 0; i < 5; ++i) {
        const float a = static_cast<float>(i) * 1.2566f;
        FillCircle(c, kCx + 6 + 1.8f * std::cos(a), 4.6f + 1.8f * std::sin(a), 1.4f, kWhite);
      }
      FillCircle(c, kCx + 6, 4.6f, 1.2f, colour);
      break;
    case Headwear::kCrown:
      FillPolygon(c, {{kCx - 4.5f, 5.4f}, {kCx - 4.5f, 1}, {kCx - 2.2f, 3.2f}, {kCx, 0.6f},
                      {kCx + 2.2f, 3.2f}, {kCx + 4.5f, 1}, {kCx + 4.5f, 5.4f}},
                  colour);
      FillCircle(c, kCx, 3.6f, 0.9f, Rgb(230, 50, 90));
      break;
    case Headwear::kWitchHat:
      FillEllipse(c, kCx, 6.2f, 12.0f, 2.2f, colour);
      FillPolygon(c, {{kCx - 6, 6}, {kCx + 6.5f, 0.5f}, {kCx + 6, 6}}, colour);
      FillPolygon(c, {{kCx - 6, 6}, {kCx + 0.4f, 0.0f}, {kCx + 6, 6}}, colour);
      FillRect(c, 10, 4, 12, 2, Rgb(255, 210, 60));
      break;
    default:
      break;
  }
}

void DrawArmsAndLegs(Canvas& c, const Look& look, bool skirt_family) {
  const Colour legs = skirt_family ? look.skin : look.bottom;
  FillRect(c, 12, 24, 3, 4, legs);
  FillRect(c, 17, 24, 3, 4, legs);
  const Colour shoes = skirt_family ? Rgb(200, 60, 80) : Rgb(90, 60, 50);
  FillEllipse(c, 13.2f, 28.2f, 2.4f, 1.4f, shoes);
  FillEllipse(c, 18.8f, 28.2f, 2.4f, 1.4f, shoes);
  const Colour sleeve = look.top;
  for (float side : {-1.0f, 1.0f}) {
    FillEllipse(c, kCx + side * 6.0f, 21.4f, 1.9f, 3.0f, sleeve);
    FillCircle(c, kCx + side * 6.2f, 24.4f, 1.4f, look.skin);
  }
}

void DrawClothes(Canvas& c, const Look& look) {
  const Colour top = look.top;
  switch (look.outfit) {
    case Outfit::kShirt:
      FillRoundRect(c, 10.5f, 18.5f, 20.5f, 25.5f, 2, top);
      FillRect(c, 11, 23, 10, 2, look.bottom);
      FillPolygon(c, {{13.5f, 18.5f}, {15.5f, 20.5f}, {17.5f, 18.5f}}, Lighter(top, 0.5f));
      break;
    case Outfit::kStriped:
      FillRoundRect(c, 10.5f, 18.5f, 20.5f, 25.5f, 2, top);
      FillRect(c, 11, 20, 10, 1, Lighter(top, 0.65f));
      FillRect(c, 11, 22, 10, 1, Lighter(top, 0.65f));
      FillRect(c, 11, 24, 10, 2, look.bottom);
      break;
    case Outfit::kOveralls:
      FillRoundRect(c, 10.5f, 18.5f, 20.5f, 25.5f, 2, top);
      FillRoundRect(c, 11.5f, 20.5f, 19.5f, 25.5f, 1, look.bottom);
      FillRect(c, 12, 18, 1, 3, look.bottom);
      FillRect(c, 19, 18, 1, 3, look.bottom);
      FillCircle(c, 12.5f, 21.3f, 0.7f, Rgb(250, 220, 80));
      FillCircle(c, 18.5f, 21.3f, 0.7f, Rgb(250, 220, 80));
      break;
    case Outfit::kDress:
      FillPolygon(c, {{11.5f, 18.3f}, {19.5f, 18.3f}, {23.2f, 25.8f}, {7.8f, 25.8f}}, top);
      FillRect(c, 9, 24, 14, 1, Lighter(top, 0.45f));
      FillPolygon(c, {{13.5f, 18.3f}, {15.5f, 20.3f}, {17.5f, 18.3f}}, kWhite);
      break;
    case Outfit::kSkirt:
      FillRoundRect(c, 10.8f, 18.3f, 20.2f, 22.6f, 2, top);
      FillPolygon(c, {{11, 22}, {20, 22}, {22.8f, 25.8f}, {8.2f, 25.8f}}, look.bottom);
      FillPolygon(c, {{13.5f, 18.3f}, {15.5f, 20.3f}, {17.5f, 18.3f}}, look.bottom);
      break;
    case Outfit::kApron:
      FillPolygon(c, {{11.5f, 18.3f}, {19.5f, 18.3f}, {23.2f, 25.8f}, {7.8f, 25.8f}}, top);
      FillRoundRect(c, 12.5f, 19.5f, 18.5f, 25.5f, 1.5f, look.bottom);
      FillRect(c, 15, 22, 2, 1, top);
      break;
  }
}

}  // namespace

Canvas OnMagenta(const Canvas& figure) {
  Canvas picture(figure.Width(), figure.Height());
  FillRect(picture, 0, 0, figure.Width(), figure.Height(), kMagenta);
  Canvas safe = figure;
  KeepKeyColourUnused(safe, kMagenta);
  Composite(picture, safe, 0, 0, true);
  // The key pixel: figures keep clear of the top-left corner.
  picture.At(0, 0) = {255, 0, 255, 1};
  return picture;
}

Canvas DrawCharacterPicture(int number) {
  const Look& look = kLooks[number];
  const bool skirt = look.outfit == Outfit::kDress || look.outfit == Outfit::kSkirt ||
                     look.outfit == Outfit::kApron;
  Canvas figure(32, 32);
  DrawBackHair(figure, look);
  DrawArmsAndLegs(figure, look, skirt);
  DrawClothes(figure, look);
  if (IsHood(look.headwear)) {
    FillCircle(figure, kCx, kHeadY, kHeadR, look.skin);
    DrawHood(figure, look);
  } else {
    FillCircle(figure, kCx, kHeadY, kHeadR, look.skin);
    DrawFrontHair(figure, look);
    DrawHeadwear(figure, look);
  }
  DrawFace(figure, look);
  AddOutline(figure, kInk);
  return OnMagenta(figure);
}

void KeepKeyColourUnused(Canvas& picture, Colour key) {
  const auto round = [](float v) { return static_cast<int>(std::lround(v)); };
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (x == 0 && y == 0) continue;
      Pixel& p = picture.At(x, y);
      if (round(p.r) == round(key.r) && round(p.g) == round(key.g) && round(p.b) == round(key.b)) {
        p.g += 1;
      }
    }
  }
}

}  // namespace artgen
