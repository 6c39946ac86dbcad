#include "tools/icon/ico_format.h"

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

// The image as stored in the file and in an RT_ICON resource.
std::string EncodeImage(const IconImage& image) {
  const uint32_t size = static_cast<uint32_t>(image.size);
  const uint32_t mask_stride = (size + 31) / 32 * 4;  // AND mask rows are 32-bit aligned
  std::string out;
  Put32(&out, 40);        // BITMAPINFOHEADER size
  Put32(&out, size);      // width
  Put32(&out, size * 2);  // height: colour rows and mask rows
  Put16(&out, 1);         // planes
  Put16(&out, 32);        // bits per pixel
  Put32(&out, 0);         // BI_RGB
  Put32(&out, size * size * 4 + mask_stride * size);
  for (int i = 0; i < 4; ++i)
    Put32(&out, 0);  // resolution and palette: unused
  for (uint32_t row = size; row-- > 0;) {
    for (uint32_t x = 0; x < size; ++x)
      Put32(&out, image.pixels[row * size + x]);  // stored as B, G, R, A
  }
  for (uint32_t row = size; row-- > 0;) {
    std::string mask(mask_stride, '\0');
    for (uint32_t x = 0; x < size; ++x) {
      if ((image.pixels[row * size + x] >> 24) == 0)  // transparent where alpha is 0
        mask[x / 8] = static_cast<char>(mask[x / 8] | (0x80 >> (x % 8)));
    }
    out += mask;
  }
  return out;
}

}  // namespace

std::string EncodeIco(const std::vector<IconImage>& images) {
  std::string out;
  Put16(&out, 0);  // reserved
  Put16(&out, 1);  // type: icon
  Put16(&out, static_cast<uint32_t>(images.size()));
  std::vector<std::string> encoded;
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const IconImage& image : images) {
    encoded.push_back(EncodeImage(image));
    out.push_back(static_cast<char>(image.size == 256 ? 0 : image.size));  // width
    out.push_back(static_cast<char>(image.size == 256 ? 0 : image.size));  // height
    out.push_back(0);                                                      // palette size
    out.push_back(0);                                                      // reserved
    Put16(&out, 1);                                                        // planes
    Put16(&out, 32);                                                       // bits per pixel
    Put32(&out, static_cast<uint32_t>(encoded.back().size()));
    Put32(&out, offset);
    offset += static_cast<uint32_t>(encoded.back().size());
  }
  for (const std::string& bytes : encoded)
    out += bytes;
  return out;
}

}  // namespace icon
