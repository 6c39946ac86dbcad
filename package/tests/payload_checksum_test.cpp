// The payload checksum against values computed with xxhsum, compiled into both
// test binaries: on the host, where xxHash takes its SSE2 path, and by the
// product's i686 compiler (run under Wine), where it takes the scalar path.
#include <gtest/gtest.h>

#include "package/tests/payload_checksum_vectors.h"

namespace velt_test {
namespace {

TEST(PayloadChecksumTest, MatchesXxhsum) {
  for (const ChecksumVector& vector : ChecksumVectors()) {
    SCOPED_TRACE(vector.name);
    EXPECT_EQ(ChecksumHex(vector.bytes), vector.xxhsum_h2);
  }
}

}  // namespace
}  // namespace velt_test
