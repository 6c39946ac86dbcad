#include "icon_group.h"

namespace pe {
namespace {

uint32_t Le(const std::string& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i)
    value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

bool ParseIconGroup(const std::string& bytes, std::vector<IconGroupEntry>* entries) {
  constexpr size_t kHeader = 6, kEntry = 14;
  if (bytes.size() < kHeader || Le(bytes, 0, 2) != 0 || Le(bytes, 2, 2) != 1)
    return false;
  const size_t count = Le(bytes, 4, 2);
  if (bytes.size() < kHeader + count * kEntry)
    return false;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = kHeader + i * kEntry;
    IconGroupEntry entry;
    entry.width = Le(bytes, at, 1) == 0 ? 256 : static_cast<int>(Le(bytes, at, 1));
    entry.height = Le(bytes, at + 1, 1) == 0 ? 256 : static_cast<int>(Le(bytes, at + 1, 1));
    entry.bit_count = static_cast<uint16_t>(Le(bytes, at + 6, 2));
    entry.bytes = Le(bytes, at + 8, 4);
    entry.id = static_cast<uint16_t>(Le(bytes, at + 12, 2));
    entries->push_back(entry);
  }
  return true;
}

}  // namespace pe
