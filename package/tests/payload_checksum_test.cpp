// The payload checksum against values computed with xxhsum, compiled into both
// test binaries: on the host, where xxHash takes its SSE2 path, and by the
// product's i686 compiler (run under Wine), where it has both paths, the SSE2
// one chosen where the processor has it, and each is checked here.
#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "package/payload_checksum_paths.h"
#include "package/tests/payload_checksum_vectors.h"

namespace velt_test {
namespace {

TEST(PayloadChecksumTest, MatchesXxhsum) {
  std::vector<std::pair<const char*, ChecksumFunction>> paths = {{"chosen", velt::PayloadChecksum}};
#if defined(__i386__)
  paths.push_back({"scalar", velt::PayloadChecksumScalar});
  if (velt::ProcessorHasSse2())
    paths.push_back({"SSE2", velt::PayloadChecksumSse2});
  else
    std::printf("this processor has no SSE2: only the scalar path was tried\n");
#endif
  for (const ChecksumVector& vector : ChecksumVectors()) {
    for (const auto& [path, function] : paths) {
      for (size_t offset : {0, 1, 7}) {
        SCOPED_TRACE(std::string(vector.name) + ", " + path + ", offset " + std::to_string(offset));
        EXPECT_EQ(ChecksumHex(vector.bytes, function, offset), vector.xxhsum_h2);
      }
    }
  }
}

}  // namespace
}  // namespace velt_test
