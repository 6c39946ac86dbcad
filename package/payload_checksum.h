// The payload's checksum for the installer's self-check: XXH3-128 (xxHash 0.8,
// whose XXH3 output is frozen since 0.8.0), computed in-process without any
// system crypto. payload_checksum*.cpp alone include xxhash.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velt {

constexpr size_t kPayloadChecksumSize = 16;

// XXH3-128 with seed 0 of the `size` bytes at `data` (any address, `size` may be
// 0), in xxHash's canonical byte order: high half first, each half big-endian,
// so that its hex digits are those `xxhsum -H2` prints.
void PayloadChecksum(const uint8_t* data, size_t size, uint8_t checksum[kPayloadChecksumSize]);

}  // namespace velt
