// The one body of the payload checksum, for the files that include xxhash.h
// with XXH_INLINE_ALL (one per code path, each with XXH_VECTOR set first):
// everything here and in xxHash is then internal to that file, so the code
// that one file compiles for SSE2 never stands in for another file's.
#pragma once

#include <cstddef>
#include <cstdint>

#ifndef XXH_INLINE_ALL
#error "include xxhash.h with XXH_INLINE_ALL before this header"
#endif

namespace velt {
namespace {

// XXH3-128 of the bytes in xxHash's canonical byte order (16 bytes).
void Xxh3Canonical(const uint8_t* data, size_t size, uint8_t* checksum) {
  static_assert(sizeof(XXH128_canonical_t) == 16, "XXH3-128 is 16 bytes");
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, XXH3_128bits(data, size));
  for (size_t i = 0; i < sizeof(canonical.digest); ++i)
    checksum[i] = canonical.digest[i];
}

}  // namespace
}  // namespace velt
