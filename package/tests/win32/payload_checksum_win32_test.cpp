// The payload checksum as the product computes it: built by the i686 MinGW
// compiler, where xxHash takes its scalar path, run under Wine, against the
// values computed with xxhsum.
#include <gtest/gtest.h>

#include "package/tests/payload_checksum_vectors.h"

namespace velt_test {
namespace {

TEST(PayloadChecksumTest, MatchesXxhsumOnTheProductsCompiler) {
  for (const ChecksumVector& vector : ChecksumVectors()) {
    SCOPED_TRACE(vector.name);
    EXPECT_EQ(ChecksumHex(vector.bytes), vector.xxhsum_h2);
  }
}

}  // namespace
}  // namespace velt_test
