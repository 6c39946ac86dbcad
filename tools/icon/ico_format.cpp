#include "tools/icon/ico_format.h"

#include <cstdint>

namespace icon {
namespace {

void Put16(std::string* out, uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string* out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

constexpr uint32_t kBitsPerPixel = 4;
constexpr uint32_t kPaletteSize = 16;

bool Transparent(uint32_t argb) {
  return (argb >> 24) < 128;
}

uint32_t Channel(uint32_t rgb, int shift) {
  return (rgb >> shift) & 0xFF;
}

// The index of the palette colour nearest to `argb` (squared RGB distance).
uint32_t NearestColour(uint32_t argb, const std::vector<uint32_t>& palette) {
  uint32_t best = 0;
  uint64_t best_distance = UINT64_MAX;
  for (uint32_t i = 0; i < palette.size(); ++i) {
    uint64_t distance = 0;
    for (int shift : {16, 8, 0}) {
      const int64_t d = static_cast<int64_t>(Channel(argb, shift)) - Channel(palette[i], shift);
      distance += static_cast<uint64_t>(d * d);
    }
    if (distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return best;
}

// The image as stored in the file and in an RT_ICON resource.
std::string EncodeImage(const IconImage& image, const std::vector<uint32_t>& palette) {
  const uint32_t size = static_cast<uint32_t>(image.size);
  const uint32_t colour_stride = (size * kBitsPerPixel + 31) / 32 * 4;  // rows 32-bit aligned
  const uint32_t mask_stride = (size + 31) / 32 * 4;
  std::string out;
  Put32(&out, 40);        // BITMAPINFOHEADER size
  Put32(&out, size);      // width
  Put32(&out, size * 2);  // height: colour rows and mask rows
  Put16(&out, 1);         // planes
  Put16(&out, kBitsPerPixel);
  Put32(&out, 0);  // BI_RGB
  Put32(&out, (colour_stride + mask_stride) * size);
  for (int i = 0; i < 4; ++i)
    Put32(&out, 0);  // resolution; palette size 0: all 16 entries follow
  for (uint32_t i = 0; i < kPaletteSize; ++i)
    Put32(&out, i < palette.size() ? palette[i] & 0xFFFFFF : 0);  // stored as B, G, R, 0
  for (uint32_t row = size; row-- > 0;) {
    std::string colours(colour_stride, '\0');
    for (uint32_t x = 0; x < size; ++x) {
      const uint32_t argb = image.pixels[row * size + x];
      const uint32_t index = Transparent(argb) ? 0 : NearestColour(argb, palette);
      colours[x / 2] = static_cast<char>(colours[x / 2] | (x % 2 == 0 ? index << 4 : index));
    }
    out += colours;
  }
  for (uint32_t row = size; row-- > 0;) {
    std::string mask(mask_stride, '\0');
    for (uint32_t x = 0; x < size; ++x) {
      if (Transparent(image.pixels[row * size + x]))
        mask[x / 8] = static_cast<char>(mask[x / 8] | (0x80 >> (x % 8)));
    }
    out += mask;
  }
  return out;
}

}  // namespace

std::string EncodeIco(const std::vector<IconImage>& images, const std::vector<uint32_t>& palette) {
  std::string out;
  Put16(&out, 0);  // reserved
  Put16(&out, 1);  // type: icon
  Put16(&out, static_cast<uint32_t>(images.size()));
  std::vector<std::string> encoded;
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const IconImage& image : images) {
    encoded.push_back(EncodeImage(image, palette));
    out.push_back(static_cast<char>(image.size == 256 ? 0 : image.size));  // width
    out.push_back(static_cast<char>(image.size == 256 ? 0 : image.size));  // height
    out.push_back(static_cast<char>(kPaletteSize));                        // palette size
    out.push_back(0);                                                      // reserved
    Put16(&out, 1);                                                        // planes
    Put16(&out, kBitsPerPixel);
    Put32(&out, static_cast<uint32_t>(encoded.back().size()));
    Put32(&out, offset);
    offset += static_cast<uint32_t>(encoded.back().size());
  }
  for (const std::string& bytes : encoded)
    out += bytes;
  return out;
}

}  // namespace icon
