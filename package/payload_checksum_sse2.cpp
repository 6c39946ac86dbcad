// XXH3's SSE2 path for the i686 build: this file alone is compiled with
// -msse2 (cmake/ProductBuild.cmake), and PayloadChecksum calls it only where
// the processor has SSE2. Nothing here has external linkage but the one
// function, so no SSE2 code reaches a caller that did not choose it.
#if defined(__i386__)
#include "package/payload_checksum_paths.h"

#ifndef __SSE2__
#error "payload_checksum_sse2.cpp is compiled with -msse2"
#endif
#define XXH_INLINE_ALL
#define XXH_VECTOR 1 /* XXH_SSE2 */
#include "xxhash.h"

#include "package/xxh3_canonical.h"

namespace velt {

// The accumulators are 16-byte aligned, and 32-bit Windows promises 4 at a
// call: the stack is realigned here.
__attribute__((force_align_arg_pointer)) void PayloadChecksumSse2(const uint8_t* data,
                                                                  size_t size,
                                                                  uint8_t checksum[16]) {
  Xxh3Canonical(data, size, checksum);
}

}  // namespace velt
#endif
