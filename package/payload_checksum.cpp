#include "package/payload_checksum.h"

// Header-only: every xxHash function is inlined here, so nothing is linked. The
// header is the build's copy in its generated folder (cmake/XXHash.cmake).
#define XXH_INLINE_ALL
#include "xxhash.h"

namespace velt {

static_assert(sizeof(XXH128_canonical_t) == kPayloadChecksumSize, "XXH3-128 is 16 bytes");

void PayloadChecksum(const uint8_t* data, size_t size, uint8_t checksum[kPayloadChecksumSize]) {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, XXH3_128bits(data, size));
  for (size_t i = 0; i < kPayloadChecksumSize; ++i)
    checksum[i] = canonical.digest[i];
}

}  // namespace velt
