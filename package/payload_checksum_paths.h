// XXH3's two code paths in the i686 build. The installer may run on a
// processor without SSE2 (Windows 7 allows one), so the build does not assume
// it; where the processor has it, the SSE2 path takes about half the time of
// the scalar one over the payload. PayloadChecksum chooses at each call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velt {

#if defined(__i386__)
// Whether this processor executes SSE2 instructions (CPUID leaf 1).
bool ProcessorHasSse2();

// PayloadChecksum's result by the scalar path, which any i686 processor runs.
void PayloadChecksumScalar(const uint8_t* data, size_t size, uint8_t checksum[16]);

// PayloadChecksum's result by the SSE2 path; only where ProcessorHasSse2().
void PayloadChecksumSse2(const uint8_t* data, size_t size, uint8_t checksum[16]);
#endif

}  // namespace velt
