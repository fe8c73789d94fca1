#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace artgen {
namespace {

constexpr int kSamples = 4;  // per axis, for edge coverage
constexpr float kPi = 3.14159265358979f;

float DistanceToSegment(Point p, Point a, Point b) {
  const float dx = b.x - a.x;
  const float dy = b.y - a.y;
  const float length2 = dx * dx + dy * dy;
  float t = 0;
  if (length2 > 0) {
    t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0f, 1.0f);
  }
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

std::uint8_t ToByte(float channel) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0f, 255.0f)));
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height)) {}

void Canvas::Blend(int x, int y, Colour colour, float coverage) {
  if (!Contains(x, y) || coverage <= 0) return;
  Pixel& dst = At(x, y);
  const float a = std::min(coverage, 1.0f);
  const float keep = dst.a * (1 - a);
  const float out_a = a + keep;
  dst.r = (colour.r * a + dst.r * keep) / out_a;
  dst.g = (colour.g * a + dst.g * keep) / out_a;
  dst.b = (colour.b * a + dst.b * keep) / out_a;
  dst.a = out_a;
}

void FillShape(Canvas& canvas, float x0, float y0, float x1, float y1,
               const Shape& inside, Colour colour) {
  const int left = std::max(0, static_cast<int>(std::floor(x0)));
  const int top = std::max(0, static_cast<int>(std::floor(y0)));
  const int right = std::min(canvas.Width(), static_cast<int>(std::ceil(x1)));
  const int bottom = std::min(canvas.Height(), static_cast<int>(std::ceil(y1)));
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      int hits = 0;
      for (int j = 0; j < kSamples; ++j) {
        for (int i = 0; i < kSamples; ++i) {
          if (inside(x + (i + 0.5f) / kSamples, y + (j + 0.5f) / kSamples)) ++hits;
        }
      }
      canvas.Blend(x, y, colour, static_cast<float>(hits) / (kSamples * kSamples));
    }
  }
}

void FillRect(Canvas& canvas, int x, int y, int w, int h, Colour colour) {
  for (int row = y; row < y + h; ++row) {
    for (int col = x; col < x + w; ++col) canvas.Blend(col, row, colour, 1);
  }
}

void FillGradient(Canvas& canvas, int x, int y, int w, int h, Colour top, Colour bottom) {
  for (int row = 0; row < h; ++row) {
    const float t = h > 1 ? static_cast<float>(row) / static_cast<float>(h - 1) : 0;
    FillRect(canvas, x, y + row, w, 1, Mix(top, bottom, t));
  }
}

void FillRoundRect(Canvas& canvas, float x0, float y0, float x1, float y1, float radius,
                   Colour colour) {
  auto inside = [=](float x, float y) {
    const float cx = std::clamp(x, x0 + radius, x1 - radius);
    const float cy = std::clamp(y, y0 + radius, y1 - radius);
    return x >= x0 && x <= x1 && y >= y0 && y <= y1 &&
           (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
  FillShape(canvas, x0, y0, x1, y1, inside, colour);
}

void FillEllipse(Canvas& canvas, float cx, float cy, float rx, float ry, Colour colour) {
  auto inside = [=](float x, float y) {
    const float u = (x - cx) / rx;
    const float v = (y - cy) / ry;
    return u * u + v * v <= 1;
  };
  FillShape(canvas, cx - rx, cy - ry, cx + rx, cy + ry, inside, colour);
}

void FillCircle(Canvas& canvas, float cx, float cy, float r, Colour colour) {
  FillEllipse(canvas, cx, cy, r, r, colour);
}

void FillPolygon(Canvas& canvas, const std::vector<Point>& points, Colour colour) {
  if (points.size() < 3) return;
  float x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
  for (const Point& p : points) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  auto inside = [&points](float x, float y) {
    bool in = false;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      const Point& a = points[i];
      const Point& b = points[j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
  };
  FillShape(canvas, x0, y0, x1, y1, inside, colour);
}

void DrawLine(Canvas& canvas, Point a, Point b, float width, Colour colour) {
  const float half = width / 2;
  auto inside = [=](float x, float y) { return DistanceToSegment({x, y}, a, b) <= half; };
  FillShape(canvas, std::min(a.x, b.x) - half, std::min(a.y, b.y) - half,
            std::max(a.x, b.x) + half, std::max(a.y, b.y) + half, inside, colour);
}

void DrawArc(Canvas& canvas, Point centre, float radius, float from_deg, float to_deg,
             float width, Colour colour) {
  const float half = width / 2;
  auto inside = [=](float x, float y) {
    const float dx = x - centre.x;
    const float dy = y - centre.y;
    if (std::abs(std::hypot(dx, dy) - radius) > half) return false;
    float angle = std::atan2(dy, dx) * 180 / kPi - from_deg;
    while (angle < 0) angle += 360;
    while (angle >= 360) angle -= 360;
    return angle <= to_deg - from_deg;
  };
  const float reach = radius + half;
  FillShape(canvas, centre.x - reach, centre.y - reach, centre.x + reach, centre.y + reach,
            inside, colour);
}

void SetPixel(Canvas& canvas, int x, int y, Colour colour) { canvas.Blend(x, y, colour, 1); }

void AddOutline(Canvas& layer, Colour colour) {
  Canvas ring(layer.Width(), layer.Height());
  for (int y = 0; y < layer.Height(); ++y) {
    for (int x = 0; x < layer.Width(); ++x) {
      float reach = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (layer.Contains(x + dx, y + dy)) reach = std::max(reach, layer.At(x + dx, y + dy).a);
        }
      }
      ring.Blend(x, y, colour, reach);
    }
  }
  Composite(ring, layer, 0, 0);
  layer = ring;
}

void Composite(Canvas& target, const Canvas& layer, int dx, int dy, bool hard_edges) {
  for (int y = 0; y < layer.Height(); ++y) {
    for (int x = 0; x < layer.Width(); ++x) {
      const Pixel& p = layer.At(x, y);
      float coverage = p.a;
      if (hard_edges) coverage = p.a >= 0.5f ? 1.0f : 0.0f;
      target.Blend(x + dx, y + dy, {p.r, p.g, p.b}, coverage);
    }
  }
}

std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas) {
  const int row_bytes = (canvas.Width() * 3 + 3) / 4 * 4;
  const auto image_size = static_cast<std::uint32_t>(row_bytes * canvas.Height());
  constexpr std::uint32_t kHeaderSize = 14 + 40;
  std::vector<std::uint8_t> out;
  out.reserve(kHeaderSize + image_size);
  // File header.
  out.push_back('B');
  out.push_back('M');
  PutLe(out, kHeaderSize + image_size, 4);
  PutLe(out, 0, 4);  // two reserved words
  PutLe(out, kHeaderSize, 4);
  // Information header: positive height means the rows run bottom-up.
  PutLe(out, 40, 4);
  PutLe(out, static_cast<std::uint32_t>(canvas.Width()), 4);
  PutLe(out, static_cast<std::uint32_t>(canvas.Height()), 4);
  PutLe(out, 1, 2);   // planes
  PutLe(out, 24, 2);  // bits per pixel
  PutLe(out, 0, 4);   // BI_RGB, no compression
  PutLe(out, image_size, 4);
  PutLe(out, 2835, 4);  // 72 dots per inch, in pixels per metre
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);  // colours used
  PutLe(out, 0, 4);  // important colours
  for (int y = canvas.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const Pixel& p = canvas.At(x, y);
      out.push_back(ToByte(p.b));
      out.push_back(ToByte(p.g));
      out.push_back(ToByte(p.r));
    }
    for (int pad = canvas.Width() * 3; pad < row_bytes; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace artgen
