// velt-icon: writes the installer's icon (16, 32 and 48 pixels, 16 colours
// and a transparency mask) to the given .ico path. The same bytes on every run.
//
//   velt-icon OUTPUT.ico
#include <cstdio>
#include <fstream>

#include "tools/icon/ico_format.h"
#include "tools/icon/icon_drawing.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velt-icon OUTPUT.ico\n");
    return 2;
  }
  std::vector<icon::IconImage> images;
  for (int size : {16, 32, 48})
    images.push_back({size, icon::DrawUpdateIcon(size)});
  const std::string bytes = icon::EncodeIco(images, icon::UpdateIconPalette());
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "velt-icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
