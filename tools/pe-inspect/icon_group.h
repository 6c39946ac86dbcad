// The GRPICONDIR of an RT_GROUP_ICON resource: the images of one icon, each
// stored as its own RT_ICON resource.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pe {

struct IconGroupEntry {
  int width = 0;  // pixels; 256 is stored as 0
  int height = 0;
  uint16_t bit_count = 0;
  uint32_t bytes = 0;  // size of the RT_ICON resource
  uint16_t id = 0;     // name of the RT_ICON resource
};

// False when `bytes` is not an icon group directory (reserved 0, type 1).
bool ParseIconGroup(const std::string& bytes, std::vector<IconGroupEntry>* entries);

}  // namespace pe
