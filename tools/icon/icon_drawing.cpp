#include "tools/icon/icon_drawing.h"

#include <cstddef>

namespace icon {
namespace {

// Shapes in unit coordinates: (0,0) top left, (1,1) bottom right.
struct Point {
  double x;
  double y;
};

bool InRoundedSquare(Point p) {
  constexpr double kLow = 0.04, kHigh = 0.96, kRadius = 0.2;
  if (p.x < kLow || p.x > kHigh || p.y < kLow || p.y > kHigh)
    return false;
  const double cx =
      p.x < kLow + kRadius ? kLow + kRadius : (p.x > kHigh - kRadius ? kHigh - kRadius : p.x);
  const double cy =
      p.y < kLow + kRadius ? kLow + kRadius : (p.y > kHigh - kRadius ? kHigh - kRadius : p.y);
  const double dx = p.x - cx, dy = p.y - cy;
  return dx * dx + dy * dy <= kRadius * kRadius;
}

// The arrow: a shaft and a head whose tip points down.
bool InArrow(Point p) {
  const bool shaft = p.x >= 0.41 && p.x <= 0.59 && p.y >= 0.14 && p.y <= 0.46;
  // Head: the triangle (0.2,0.42) (0.8,0.42) (0.5,0.72).
  const double half_width = (0.72 - p.y) * (0.3 / 0.30);
  const bool head =
      p.y >= 0.42 && p.y <= 0.72 && p.x >= 0.5 - half_width && p.x <= 0.5 + half_width;
  return shaft || head;
}

// The tray under the arrow: a bottom bar with two short sides.
bool InTray(Point p) {
  const bool bottom = p.y >= 0.76 && p.y <= 0.85 && p.x >= 0.18 && p.x <= 0.82;
  const bool sides =
      p.y >= 0.62 && p.y <= 0.85 && ((p.x >= 0.18 && p.x <= 0.27) || (p.x >= 0.73 && p.x <= 0.82));
  return bottom || sides;
}

constexpr int kSamples = 4;  // per axis, per pixel: edges are smoothed
constexpr uint32_t kBackground = 0x1F6F8B;
constexpr uint32_t kForeground = 0xFFFFFF;

uint32_t Channel(uint32_t rgb, int shift) {
  return (rgb >> shift) & 0xFF;
}

}  // namespace

std::vector<uint32_t> DrawUpdateIcon(int size) {
  std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      // Sums of premultiplied colour and of coverage over the samples.
      uint32_t red = 0, green = 0, blue = 0, covered = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Point p = {(x + (sx + 0.5) / kSamples) / size, (y + (sy + 0.5) / kSamples) / size};
          if (!InRoundedSquare(p))
            continue;
          const uint32_t rgb = InArrow(p) || InTray(p) ? kForeground : kBackground;
          red += Channel(rgb, 16);
          green += Channel(rgb, 8);
          blue += Channel(rgb, 0);
          ++covered;
        }
      }
      uint32_t pixel = 0;
      if (covered > 0) {
        const uint32_t alpha = covered * 255 / (kSamples * kSamples);
        pixel = alpha << 24 | (red / covered) << 16 | (green / covered) << 8 | blue / covered;
      }
      pixels[static_cast<size_t>(y) * size + x] = pixel;
    }
  }
  return pixels;
}

std::vector<uint32_t> UpdateIconPalette() {
  std::vector<uint32_t> palette;
  for (uint32_t step = 0; step < 16; ++step) {
    uint32_t rgb = 0;
    for (int shift : {16, 8, 0}) {
      const uint32_t blend =
          (Channel(kBackground, shift) * (15 - step) + Channel(kForeground, shift) * step + 7) / 15;
      rgb |= blend << shift;
    }
    palette.push_back(rgb);
  }
  return palette;
}

}  // namespace icon
