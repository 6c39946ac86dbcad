// Known XXH3-128 values (seed 0) for the payload checksum tests, native and under
// Wine. Every value was computed independently with the xxhsum command-line tool
// of xxHash 0.8.1 (Debian package xxhash): `xxhsum -H2 FILE` over files holding
// exactly these bytes. The lengths reach several of XXH3-128's input-size paths:
// empty, 1-3, 9-16, 129-240 bytes, the first long length (241) and a few MB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "package/payload_checksum.h"

namespace velt_test {

// `size` bytes, byte i = (i * 31 + i / 256) mod 256.
inline std::string ChecksumPattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((i * 31 + (i >> 8)) & 0xFF);
  return bytes;
}

struct ChecksumVector {
  std::string name;
  std::string bytes;
  const char* xxhsum_h2;  // 32 lowercase hex digits
};

inline std::vector<ChecksumVector> ChecksumVectors() {
  return {
      {"empty", "", "99aa06d3014798d86001c324468d497f"},
      {"abc", "abc", "06b05ab6733a618578af5f94892f3950"},
      {"pattern 16", ChecksumPattern(16), "8d0b1cd2088b9620843f49fff931d541"},
      {"pattern 200", ChecksumPattern(200), "74aaf80f98621358b5722aed107bd214"},
      {"pattern 241", ChecksumPattern(241), "8e7e1f2fe4156df918773c512b008a63"},
      {"pattern 3000001", ChecksumPattern(3000001), "a56c3c1b680d65d08a79c7b6990ce793"},
  };
}

using ChecksumFunction = void (*)(const uint8_t*, size_t, uint8_t*);

// The checksum of `bytes` (from `offset` bytes into a copy, to try unaligned
// input) through `function`, as hex digits.
inline std::string ChecksumHex(const std::string& bytes,
                               ChecksumFunction function = velt::PayloadChecksum,
                               size_t offset = 0) {
  const std::string shifted = std::string(offset, '\0') + bytes;
  uint8_t checksum[velt::kPayloadChecksumSize];
  function(reinterpret_cast<const uint8_t*>(shifted.data()) + offset, bytes.size(), checksum);
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : checksum) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

}  // namespace velt_test
