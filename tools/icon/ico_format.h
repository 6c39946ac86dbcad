// The Windows .ico file format: a directory of images, each a 4-bit
// BITMAPINFOHEADER image with a 16-colour palette (colour rows bottom-up, then
// the 1-bit AND mask). 16 colours keep the icon small in the installer, and
// every Windows version shows them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace icon {

struct IconImage {
  int size = 0;                  // width = height, 1..256
  std::vector<uint32_t> pixels;  // size * size, top row first, 0xAARRGGBB
};

// The bytes of an .ico file holding `images` in the given order. Each pixel
// takes the nearest of the (at most 16) 0xRRGGBB `palette` colours; a pixel
// with alpha below 128 is transparent.
std::string EncodeIco(const std::vector<IconImage>& images, const std::vector<uint32_t>& palette);

}  // namespace icon
