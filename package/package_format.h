// The layout of the package file vtup.cok that the installer carries as its
// payload, and the checks of its header. Shared by the installer and the host
// tool velt-payload, so it uses only the standard library.
//
// Layout (little-endian, offsets from the first byte):
//   0        4            magic "vtup"
//   4        1            data version + 32
//   5        2            item count N
//   7        4 * (N + 1)  item offsets; entry k starts item k, entry N ends the last
//   7+4(N+1) 4            header word (not interpreted)
//   entry 0  ...          the items, back to back
//   size-4   4            trailer (not interpreted)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "startup/release_facts.h"  // the version byte's offset and bias

namespace velt {

constexpr char kPackageMagic[4] = {'v', 't', 'u', 'p'};
constexpr uint32_t kPackageCountOffset = 5;
constexpr uint32_t kPackageTableOffset = 7;
constexpr uint32_t kPackageHeaderWordSize = 4;
constexpr uint32_t kPackageTrailerSize = 4;
constexpr uint32_t kPackageMaxItems = 0xFFFF;

// Offset of the first item for `count` items: right after the header word.
constexpr uint32_t PackageItemsOffset(uint32_t count) {
  return kPackageTableOffset + 4 * (count + 1) + kPackageHeaderWordSize;
}

// The header as read from a payload.
struct PackageHeader {
  char magic[4] = {0, 0, 0, 0};
  uint8_t version_byte = 0;
  uint16_t count = 0;
  std::vector<uint32_t> offsets;  // count + 1 entries
};

// The data version that a version byte stands for (byte - 32, so -32..223).
inline int32_t PackageDataVersion(uint8_t version_byte) {
  return static_cast<int32_t>(version_byte) - kPackageVersionBias;
}

// Reads the header of `size` bytes at `data`. False (with a reason in `*error`)
// when the bytes are too short to hold the header and its offset table.
bool ParsePackageHeader(const uint8_t* data,
                        uint64_t size,
                        PackageHeader* header,
                        std::string* error);

// Checks the layout invariants against the payload's size: entry 0 is right after
// the header word, entries strictly increase, entry N is size - 4. Also checks the
// magic. False with a reason in `*error` at the first broken rule.
bool CheckPackageLayout(const PackageHeader& header, uint64_t size, std::string* error);

// Checks that the version byte is `expected_version` + 32. False with a reason.
bool CheckPackageVersion(const PackageHeader& header, int32_t expected_version, std::string* error);

// ParsePackageHeader, CheckPackageLayout and CheckPackageVersion in one.
bool ValidatePackage(const uint8_t* data,
                     uint64_t size,
                     int32_t expected_version,
                     std::string* error);

}  // namespace velt
