// The Windows .ico file format: a directory of images, each a 32-bit
// BITMAPINFOHEADER image (colour rows bottom-up, then the 1-bit AND mask).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace icon {

struct IconImage {
  int size = 0;                  // width = height, 1..256
  std::vector<uint32_t> pixels;  // size * size, top row first, 0xAARRGGBB
};

// The bytes of an .ico file holding `images` in the given order.
std::string EncodeIco(const std::vector<IconImage>& images);

}  // namespace icon
