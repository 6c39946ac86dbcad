// The host tool velt-payload, run as a program: the sample's shape, determinism,
// and the exit codes of its checks.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "package/package_format.h"
#include "package/tests/package_test_support.h"

namespace velt_test {
namespace {

const std::string kTool = std::string(VELT_BINARY_DIR) + "/host/velt-payload";
const std::string kWork = std::string(VELT_BINARY_DIR) + "/payload-tool-test";

int RunTool(const std::string& arguments) {
  const int status = std::system((kTool + " " + arguments + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Capture(const std::string& arguments) {
  std::string out;
  FILE* pipe = popen((kTool + " " + arguments + " 2>&1").c_str(), "r");
  if (pipe == nullptr)
    return out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
    out += buffer;
  pclose(pipe);
  return out;
}

std::string ReadWork(const std::string& name) {
  return ReadBuildFile("payload-tool-test/" + name);
}

uint32_t U32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

class PayloadToolTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(std::system(("mkdir -p " + kWork).c_str()), 0); }
};

TEST_F(PayloadToolTest, SampleHasTheShapeOfThisBuild) {
  ASSERT_EQ(RunTool("build --sample " + kWork + "/sample.cok"), 0);
  const std::string p = ReadWork("sample.cok");
  ASSERT_EQ(p.size(), 18338960u);
  EXPECT_EQ(p.substr(0, 5), "vtup+");
  const uint32_t count = static_cast<uint8_t>(p[5]) | (static_cast<uint8_t>(p[6]) << 8);
  ASSERT_EQ(count, 89u);
  EXPECT_EQ(U32(p, 7), 371u);
  EXPECT_EQ(U32(p, 7 + 4 * count), p.size() - 4);
  uint32_t smallest = ~0u, largest = 0, mpeg = 0, zero_tails = 0;
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t begin = U32(p, 7 + 4 * k), end = U32(p, 11 + 4 * k);
    ASSERT_LT(begin, end);
    smallest = std::min(smallest, end - begin);
    largest = std::max(largest, end - begin);
    // MPEG frame sync, MPEG-1, Layer III; a valid bitrate and sampling rate.
    const uint8_t b1 = p[begin + 1], b2 = p[begin + 2];
    if (static_cast<uint8_t>(p[begin]) == 0xFF && (b1 & 0xFE) == 0xFA && (b2 >> 4) != 0 &&
        (b2 >> 4) != 15 && ((b2 >> 2) & 3) != 3) {
      ++mpeg;
    }
    if (p.compare(end - 8, 8, std::string(8, '\0')) == 0)
      ++zero_tails;
  }
  EXPECT_EQ(smallest, 48634u);
  EXPECT_EQ(largest, 652605u);
  EXPECT_EQ(mpeg, 74u);
  EXPECT_EQ(zero_tails, 89u);
}

TEST_F(PayloadToolTest, SampleIsDeterministicAndIsWhatTheBuildCarries) {
  ASSERT_EQ(RunTool("build --sample " + kWork + "/a.cok"), 0);
  ASSERT_EQ(RunTool("build --version 11 --sample " + kWork + "/b.cok"), 0);
  const std::string a = ReadWork("a.cok");
  EXPECT_TRUE(a == ReadWork("b.cok"));
  EXPECT_TRUE(a == ReadBuildFile("payload/vtup.cok"));
}

TEST_F(PayloadToolTest, BuildsFromItemFiles) {
  const std::string item1 = kWork + "/item1", item2 = kWork + "/item2";
  ASSERT_EQ(std::system(("printf 'first' >" + item1 + " && printf 'second!' >" + item2).c_str()),
            0);
  ASSERT_EQ(
      RunTool("build --version 7 --items " + item1 + " " + item2 + " " + kWork + "/items.cok"), 0);
  const std::string p = ReadWork("items.cok");
  EXPECT_EQ(p, MakePayload({5, 7}, 39).substr(0, 23) + "firstsecond!" + std::string(4, '\0'));
  EXPECT_EQ(RunTool("check --version 7 " + kWork + "/items.cok"), 0);
  EXPECT_EQ(RunTool("check --version 11 " + kWork + "/items.cok"), 1);
}

TEST_F(PayloadToolTest, CheckRejectsEveryFault) {
  for (const char* fault : {"magic", "first-offset", "order", "end", "truncated"}) {
    SCOPED_TRACE(fault);
    const std::string file = kWork + "/" + fault + ".cok";
    ASSERT_EQ(RunTool(std::string("build --generate 4 100 --fault ") + fault + " " + file), 0);
    EXPECT_EQ(RunTool("check --version 11 " + file), 1);
    EXPECT_EQ(RunTool("inspect " + file), 1);
    const std::string bytes = ReadWork(std::string(fault) + ".cok");
    std::string error;
    EXPECT_FALSE(velt::ValidatePackage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                       11, &error));
  }
}

TEST_F(PayloadToolTest, InspectPrintsTheHeader) {
  ASSERT_EQ(RunTool("build --version 12 --generate 3 50 " + kWork + "/v12.cok"), 0);
  const std::string out = Capture("inspect " + kWork + "/v12.cok");
  EXPECT_NE(out.find("version byte:  44 (data version 12)"), std::string::npos) << out;
  EXPECT_NE(out.find("item count:    3"), std::string::npos) << out;
  EXPECT_NE(out.find("entry 0:       27"), std::string::npos) << out;
  EXPECT_NE(out.find("layout:        valid"), std::string::npos) << out;
  const std::string check = Capture("check --version 11 " + kWork + "/v12.cok");
  EXPECT_NE(check.find("expected 43"), std::string::npos) << check;
}

TEST_F(PayloadToolTest, ChecksumPrintsWhatXxhsumPrints) {
  // The sample's `xxhsum -H2`, computed with xxhsum of xxHash 0.8.1.
  ASSERT_EQ(RunTool("build --sample " + kWork + "/sample.cok"), 0);
  EXPECT_EQ(Capture("checksum " + kWork + "/sample.cok"), "7c375b01aa048cbbe840807f204ba6de\n");
  EXPECT_EQ(RunTool("checksum " + kWork + "/does-not-exist"), 2);
}

TEST_F(PayloadToolTest, RejectsBadUsage) {
  EXPECT_EQ(RunTool(""), 2);
  EXPECT_EQ(RunTool("build " + kWork + "/x.cok"), 2);
  EXPECT_EQ(RunTool("build --fault nonsense --sample " + kWork + "/x.cok"), 2);
  EXPECT_EQ(RunTool("check --version 11 " + kWork + "/does-not-exist"), 2);
}

}  // namespace
}  // namespace velt_test
