#include "viewer/viewer_icon.h"

#include <wx/bitmap.h>
#include <wx/icon.h>

#include <algorithm>
#include <cmath>

namespace {

struct Colour {
  double red, green, blue;
};

constexpr Colour kOcean{40, 110, 210};
constexpr Colour kOceanShade{15, 55, 140};
constexpr Colour kGrid{225, 240, 255};
constexpr Colour kRim{10, 35, 95};

// What covers one point of the unit square (0..1 each way), or nothing
// outside the globe. The globe is lit from the upper left; a grid of three
// parallels and three meridians lies on it.
bool ShadeGlobePoint(double x, double y, double line, Colour* colour) {
  const double dx = (x - 0.5) / 0.46;
  const double dy = (y - 0.5) / 0.46;
  const double distance = std::sqrt(dx * dx + dy * dy);
  if (distance > 1.0) return false;
  if (distance > 1.0 - line * 1.2) {
    *colour = kRim;
    return true;
  }
  const double depth = std::sqrt(1.0 - distance * distance);
  const double light = std::clamp(0.55 + 0.45 * (-0.5 * dx - 0.6 * dy + 0.6 * depth), 0.0, 1.0);
  Colour shade{kOceanShade.red + (kOcean.red - kOceanShade.red) * light,
               kOceanShade.green + (kOcean.green - kOceanShade.green) * light,
               kOceanShade.blue + (kOcean.blue - kOceanShade.blue) * light};
  // Parallels at the equator and halfway to the poles; meridians as the
  // outlines of ellipses that the sphere's rotation foreshortens.
  const double half_width = std::sqrt(std::max(0.0, 1.0 - dy * dy));
  const bool on_parallel = std::abs(dy) < line || std::abs(std::abs(dy) - 0.5) < line;
  const bool on_meridian = std::abs(dx) < line || std::abs(std::abs(dx) - 0.55 * half_width) < line;
  *colour = (on_parallel || on_meridian) ? kGrid : shade;
  return true;
}

}  // namespace

wxImage DrawViewerIcon(int size) {
  wxImage image(size, size);
  image.InitAlpha();
  // Each pixel averages 4 x 4 samples so the rim and the grid are smooth.
  constexpr int kSamples = 4;
  const double line = std::max(0.035, 1.1 / size);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double red = 0, green = 0, blue = 0;
      int covered = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          Colour colour{};
          const double x = (px + (sx + 0.5) / kSamples) / size;
          const double y = (py + (sy + 0.5) / kSamples) / size;
          if (!ShadeGlobePoint(x, y, line, &colour)) continue;
          red += colour.red;
          green += colour.green;
          blue += colour.blue;
          ++covered;
        }
      }
      if (covered == 0) {
        image.SetRGB(px, py, 0, 0, 0);
        image.SetAlpha(px, py, 0);
        continue;
      }
      image.SetRGB(px, py, static_cast<unsigned char>(red / covered), static_cast<unsigned char>(green / covered),
                   static_cast<unsigned char>(blue / covered));
      image.SetAlpha(px, py, static_cast<unsigned char>(255 * covered / (kSamples * kSamples)));
    }
  }
  return image;
}

wxIconBundle ViewerIcons() {
  wxIconBundle icons;
  for (int size : {16, 32, 48, 64}) {
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(DrawViewerIcon(size)));
    icons.AddIcon(icon);
  }
  return icons;
}
