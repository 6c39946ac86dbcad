// The installer's icon, drawn from geometry: a blue rounded square with a white
// arrow pointing down into a tray ("data arriving"). Same picture at every size.
#pragma once

#include <cstdint>
#include <vector>

namespace icon {

// `size` x `size` pixels, rows top to bottom, each pixel 0xAARRGGBB with
// straight (not premultiplied) alpha. Deterministic: no clock, no randomness.
std::vector<uint32_t> DrawUpdateIcon(int size);

// The 16 colours the icon is stored with: the square's blue, the arrow's white
// and the 14 blends between them that its smoothed edges use (0xRRGGBB).
std::vector<uint32_t> UpdateIconPalette();

}  // namespace icon
