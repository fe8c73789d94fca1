// A small RGBA drawing surface for the artwork generator: anti-aliased
// shapes, outlines, layer composition and the BMP file encoding.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace artgen {

struct Colour {
  float r = 0, g = 0, b = 0;
};

constexpr Colour Rgb(int r, int g, int b) {
  return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
}

// Mixes two colours: t = 0 gives a, t = 1 gives b.
Colour Mix(Colour a, Colour b, float t);

struct Point {
  float x = 0, y = 0;
};

// One pixel: colour channels 0..255 (not premultiplied), alpha 0..1.
struct Pixel {
  float r = 0, g = 0, b = 0, a = 0;
};

class Canvas {
 public:
  // A fully transparent canvas.
  Canvas(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const Pixel& At(int x, int y) const { return pixels_[Index(x, y)]; }
  Pixel& At(int x, int y) { return pixels_[Index(x, y)]; }
  bool Contains(int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }

  // Paints colour over the pixel with the given coverage (0..1).
  void Blend(int x, int y, Colour colour, float coverage);

 private:
  int Index(int x, int y) const { return y * width_ + x; }

  int width_;
  int height_;
  std::vector<Pixel> pixels_;
};

// A shape given as "is this point inside", in pixel coordinates where the
// pixel (x, y) covers the square from (x, y) to (x + 1, y + 1).
using Shape = std::function<bool(float x, float y)>;

// Fills a shape inside the box [x0, x1) x [y0, y1), measuring each pixel's
// coverage with 4 x 4 samples so the edges come out smooth.
void FillShape(Canvas& canvas, float x0, float y0, float x1, float y1,
               const Shape& inside, Colour colour);

void FillRect(Canvas& canvas, int x, int y, int w, int h, Colour colour);
// Fills a rectangle with a vertical gradient from top to bottom colour.
void FillGradient(Canvas& canvas, int x, int y, int w, int h, Colour top,
                  Colour bottom);
void FillRoundRect(Canvas& canvas, float x0, float y0, float x1, float y1,
                   float radius, Colour colour);
void FillEllipse(Canvas& canvas, float cx, float cy, float rx, float ry,
                 Colour colour);
void FillCircle(Canvas& canvas, float cx, float cy, float r, Colour colour);
void FillPolygon(Canvas& canvas, const std::vector<Point>& points,
                 Colour colour);
// A straight stroke of the given width with round ends.
void DrawLine(Canvas& canvas, Point a, Point b, float width, Colour colour);
// A stroke along a circular arc; angles in degrees, 0 pointing right,
// counting clockwise on screen (y grows downwards).
void DrawArc(Canvas& canvas, Point centre, float radius, float from_deg,
             float to_deg, float width, Colour colour);
void SetPixel(Canvas& canvas, int x, int y, Colour colour);

// Puts a ring of the given colour, one pixel wide, around everything that
// is drawn on the layer.
void AddOutline(Canvas& layer, Colour colour);

// Draws a layer onto a canvas at an offset. With hard_edges every layer
// pixel is either copied fully (alpha of one half or more) or left out, so
// a mask colour underneath never mixes into the picture's edges.
void Composite(Canvas& target, const Canvas& layer, int dx, int dy,
               bool hard_edges = false);

// The canvas as a Windows bitmap file: 24 bits per pixel, uncompressed,
// rows stored bottom-up and padded to four bytes. Alpha is ignored.
std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas);

}  // namespace artgen
