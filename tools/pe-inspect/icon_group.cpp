#include "icon_group.h"

#include "pe_image.h"

namespace pe {

bool ParseIconGroup(const std::string& bytes, std::vector<IconGroupEntry>* entries) {
  constexpr size_t kHeader = 6, kEntry = 14;
  if (bytes.size() < kHeader || ReadLittleEndian(bytes, 0, 2) != 0 ||
      ReadLittleEndian(bytes, 2, 2) != 1) {
    return false;
  }
  const size_t count = ReadLittleEndian(bytes, 4, 2);
  if (bytes.size() < kHeader + count * kEntry)
    return false;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = kHeader + i * kEntry;
    IconGroupEntry entry;
    // A width or height byte of 0 stands for 256.
    entry.width = static_cast<int>(ReadLittleEndian(bytes, at, 1));
    entry.height = static_cast<int>(ReadLittleEndian(bytes, at + 1, 1));
    entry.width = entry.width == 0 ? 256 : entry.width;
    entry.height = entry.height == 0 ? 256 : entry.height;
    entry.bit_count = static_cast<uint16_t>(ReadLittleEndian(bytes, at + 6, 2));
    entry.bytes = ReadLittleEndian(bytes, at + 8, 4);
    entry.id = static_cast<uint16_t>(ReadLittleEndian(bytes, at + 12, 2));
    entries->push_back(entry);
  }
  return true;
}

}  // namespace pe
