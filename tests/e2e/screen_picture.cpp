#include "tests/e2e/screen_picture.h"

#include <cstdlib>

#include "tests/e2e/e2e_files.h"

namespace velt::e2e {

namespace {

// A top-down 32-bit DIB section of `width` x `height` selected into a new
// memory DC; `bits` points at its pixels.
struct DibCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;

  DibCanvas(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<uint32_t*>(pixels);
    if (bitmap != nullptr)
      old = SelectObject(dc, bitmap);
  }
  ~DibCanvas() {
    if (old != nullptr)
      SelectObject(dc, old);
    if (bitmap != nullptr)
      DeleteObject(bitmap);
    if (dc != nullptr)
      DeleteDC(dc);
  }
  bool ok() const { return bits != nullptr; }
  Picture Read(int width, int height) const {
    GdiFlush();
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(bits, bits + static_cast<size_t>(width) * height);
    for (uint32_t& pixel : picture.pixels)
      pixel &= 0xFFFFFF;
    return picture;
  }
};

COLORREF ToColorRef(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool Differs(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
        tolerance) {
      return true;
    }
  }
  return false;
}

void PutLittleEndian(std::string* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetLittleEndian(const std::string& in, size_t at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(in[at + i]);
  return value;
}

constexpr size_t kBmpHeaderSize = 54;

size_t BmpRowSize(int width) {
  return (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
}

}  // namespace

Picture Picture::Part(const RECT& area) const {
  Picture part;
  const int left = area.left < 0 ? 0 : static_cast<int>(area.left);
  const int top = area.top < 0 ? 0 : static_cast<int>(area.top);
  const int right = area.right > width ? width : static_cast<int>(area.right);
  const int bottom = area.bottom > height ? height : static_cast<int>(area.bottom);
  if (right <= left || bottom <= top)
    return part;
  part.width = right - left;
  part.height = bottom - top;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x)
      part.pixels.push_back(At(x, y));
  }
  return part;
}

Picture CaptureScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0)
    return Picture();
  DibCanvas canvas(width, height);
  HDC screen = GetDC(nullptr);
  const bool copied = canvas.ok() && screen != nullptr &&
                      BitBlt(canvas.dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  if (screen != nullptr)
    ReleaseDC(nullptr, screen);
  return copied ? canvas.Read(width, height) : Picture();
}

Picture DrawnIcon(HICON icon, int width, int height, uint32_t background) {
  DibCanvas canvas(width, height);
  if (!canvas.ok())
    return Picture();
  HBRUSH brush = CreateSolidBrush(ToColorRef(background));
  RECT all = {0, 0, width, height};
  FillRect(canvas.dc, &all, brush);
  DeleteObject(brush);
  if (!DrawIconEx(canvas.dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL))
    return Picture();
  return canvas.Read(width, height);
}

int CountInk(const Picture& picture, uint32_t background) {
  int ink = 0;
  for (uint32_t pixel : picture.pixels)
    ink += Differs(pixel, background, 48);
  return ink;
}

int CountDifferences(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height)
    return -1;
  int differences = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    differences += Differs(a.pixels[i], b.pixels[i], 0);
  return differences;
}

int CountColour(const Picture& picture, uint32_t colour) {
  int count = 0;
  for (uint32_t pixel : picture.pixels)
    count += pixel == colour;
  return count;
}

bool WriteBmp(const std::string& path, const Picture& picture) {
  const size_t row_size = BmpRowSize(picture.width);
  const size_t image_size = row_size * picture.height;
  std::string bytes = "BM";
  PutLittleEndian(&bytes, static_cast<uint32_t>(kBmpHeaderSize + image_size), 4);
  PutLittleEndian(&bytes, 0, 4);
  PutLittleEndian(&bytes, kBmpHeaderSize, 4);
  PutLittleEndian(&bytes, 40, 4);
  PutLittleEndian(&bytes, picture.width, 4);
  PutLittleEndian(&bytes, picture.height, 4);  // positive: rows from the bottom
  PutLittleEndian(&bytes, 1, 2);
  PutLittleEndian(&bytes, 24, 2);
  PutLittleEndian(&bytes, BI_RGB, 4);
  PutLittleEndian(&bytes, static_cast<uint32_t>(image_size), 4);
  PutLittleEndian(&bytes, 2835, 4);  // 72 dpi
  PutLittleEndian(&bytes, 2835, 4);
  PutLittleEndian(&bytes, 0, 4);
  PutLittleEndian(&bytes, 0, 4);
  for (int y = picture.height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < picture.width; ++x)
      PutLittleEndian(&row, picture.At(x, y), 3);
    row.resize(row_size, '\0');
    bytes += row;
  }
  return WriteBinaryFile(path, bytes);
}

Picture ReadBmp(const std::string& path) {
  bool ok = false;
  const std::string bytes = ReadBinaryFile(path, &ok);
  Picture picture;
  if (!ok || bytes.size() < kBmpHeaderSize || bytes.compare(0, 2, "BM") != 0 ||
      GetLittleEndian(bytes, 28, 2) != 24) {
    return picture;
  }
  const int width = static_cast<int>(GetLittleEndian(bytes, 18, 4));
  const int height = static_cast<int>(GetLittleEndian(bytes, 22, 4));
  const size_t offset = GetLittleEndian(bytes, 10, 4);
  if (width <= 0 || height <= 0 || offset + BmpRowSize(width) * height > bytes.size())
    return picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const size_t row = offset + BmpRowSize(width) * (height - 1 - y);
    for (int x = 0; x < width; ++x)
      picture.pixels[static_cast<size_t>(y) * width + x] = GetLittleEndian(bytes, row + 3 * x, 3);
  }
  return picture;
}

}  // namespace velt::e2e
