// The payload header checks shared by the installer and velt-payload.
#include <string>

#include "package/package_format.h"
#include "package_test_support.h"

namespace velt_test {
namespace {

bool Validate(const std::string& bytes, int32_t version, std::string* error) {
  return velt::ValidatePackage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                               version, error);
}

TEST(PackageFormatTest, ParsesHeaderFields) {
  const std::string bytes = MakePayload({10, 20, 30}, 43);
  velt::PackageHeader header;
  std::string error;
  ASSERT_TRUE(velt::ParsePackageHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                       &header, &error));
  EXPECT_EQ(std::string(header.magic, 4), "vtup");
  EXPECT_EQ(header.version_byte, 43);
  EXPECT_EQ(velt::PackageDataVersion(header.version_byte), 11);
  EXPECT_EQ(header.count, 3);
  EXPECT_EQ(header.offsets, (std::vector<uint32_t>{27, 37, 57, 87}));
  EXPECT_EQ(velt::PackageItemsOffset(89), 371u);
}

TEST(PackageFormatTest, AcceptsWellFormedPayloads) {
  std::string error;
  EXPECT_TRUE(Validate(MakePayload({10, 20, 30}, 43), 11, &error)) << error;
  EXPECT_TRUE(Validate(MakePayload({1}, 32), 0, &error)) << error;
  EXPECT_TRUE(Validate(MakePayload({}, 43), 11, &error)) << error;
  EXPECT_TRUE(Validate(MakePayload(std::vector<uint32_t>(300, 2), 255), 223, &error)) << error;
}

TEST(PackageFormatTest, DataVersionRange) {
  EXPECT_EQ(velt::PackageDataVersion(0), -32);
  EXPECT_EQ(velt::PackageDataVersion(31), -1);
  EXPECT_EQ(velt::PackageDataVersion(255), 223);
}

TEST(PackageFormatTest, RejectsEachBrokenRule) {
  const std::string good = MakePayload({10, 20, 30}, 43);
  struct Case {
    const char* what;
    std::string bytes;
    const char* reason;
  };
  std::string bad_magic = good, first = good, order = good, end = good;
  bad_magic[3] = 'P';
  PutU32(&first, 7, 26);   // entry 0 inside the header word
  PutU32(&order, 11, 27);  // entry 1 equals entry 0
  end.push_back('\0');     // a byte after the trailer
  const Case cases[] = {
      {"magic", bad_magic, "magic"},
      {"entry 0", first, "entry 0"},
      {"order", order, "does not exceed"},
      {"end", end, "size - 4"},
      {"truncated table", good.substr(0, 20), "offset table"},
      {"shorter than header", good.substr(0, 6), "shorter"},
      {"trailer cut", good.substr(0, good.size() - 1), "size - 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_FALSE(Validate(c.bytes, 11, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(PackageFormatTest, RejectsOtherVersion) {
  std::string error;
  EXPECT_FALSE(Validate(MakePayload({10}, 44), 11, &error));
  EXPECT_NE(error.find("expected 43"), std::string::npos) << error;
  EXPECT_FALSE(Validate(MakePayload({10}, 42), 11, &error));
}

}  // namespace
}  // namespace velt_test
