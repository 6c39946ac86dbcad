// Pictures of the screen for the runs on a real (virtual X) display: a
// rectangle read through the screen's device context, as another program would
// see it, compared pixel by pixel and kept as 24-bit BMP files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velt::e2e {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, rows from the top

  bool empty() const { return pixels.empty(); }
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // The part at `area` (in this picture's coordinates), clipped to the picture.
  Picture Part(const RECT& area) const;
};

// The screen's pixels at `area` (screen coordinates); empty when unreadable.
Picture CaptureScreen(const RECT& area);

// `icon` drawn by this process at `width` x `height` over `background`.
Picture DrawnIcon(HICON icon, int width, int height, uint32_t background);

// Pixels whose colour differs from `background` in any channel by more than 48.
int CountInk(const Picture& picture, uint32_t background);
// Pixels that differ between two pictures of one size; -1 when the sizes differ.
int CountDifferences(const Picture& a, const Picture& b);
// Pixels of exactly `colour`.
int CountColour(const Picture& picture, uint32_t colour);

bool WriteBmp(const std::string& path, const Picture& picture);
// A picture written by WriteBmp; empty when `path` cannot be read as one.
Picture ReadBmp(const std::string& path);

}  // namespace velt::e2e
