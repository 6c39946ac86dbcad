#include "package/payload_checksum.h"

#include "package/payload_checksum_paths.h"

// Header-only: every xxHash function is inlined here, so nothing is linked. The
// header is the build's copy in its generated folder (cmake/XXHash.cmake).
// The i686 build compiles the scalar path here and the SSE2 one in
// payload_checksum_sse2.cpp; elsewhere xxHash takes the best the target has.
#define XXH_INLINE_ALL
#if defined(__i386__)
#define XXH_VECTOR 0 /* XXH_SCALAR */
#include <cpuid.h>
#endif
#include "xxhash.h"

#include "package/xxh3_canonical.h"

namespace velt {

#if defined(__i386__)
bool ProcessorHasSse2() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & bit_SSE2) != 0;
}

void PayloadChecksumScalar(const uint8_t* data, size_t size, uint8_t checksum[16]) {
  Xxh3Canonical(data, size, checksum);
}
#endif

void PayloadChecksum(const uint8_t* data, size_t size, uint8_t checksum[kPayloadChecksumSize]) {
#if defined(__i386__)
  if (ProcessorHasSse2()) {
    PayloadChecksumSse2(data, size, checksum);
    return;
  }
#endif
  Xxh3Canonical(data, size, checksum);
}

}  // namespace velt
