// CheckInstallerIntegrity on the fake platform with the payload built into this
// tree (its digest is compiled in): intact passes silently, any damage shows the
// box and fails.
#include <string>

#include "package/payload_digest.h"
#include "package/self_check.h"
#include "package_test_support.h"

namespace velt_test {
namespace {

class SelfCheckTest : public PackageTest {
 protected:
  void SetUp() override {
    PackageTest::SetUp();
    payload_ = ReadBuildFile("payload/vtup.cok");
    ASSERT_EQ(payload_.size(), velt::kPayloadBuildSize);
    Carry(payload_);
  }
  static void Carry(const std::string& bytes) { fake::World().resources[{"VTUP", "COK"}] = bytes; }

  void ExpectDamageReported() {
    EXPECT_FALSE(velt::CheckInstallerIntegrity());
    ASSERT_EQ(fake::World().boxes.size(), 1u);
    EXPECT_EQ(fake::World().boxes[0].text, velt::kDamagedInstallerEnglish);
    fake::World().boxes.clear();
  }

  std::string payload_;
};

TEST_F(SelfCheckTest, IntactPayloadPassesSilently) {
  EXPECT_TRUE(velt::CheckInstallerIntegrity());
  EXPECT_TRUE(fake::World().boxes.empty());
}

TEST_F(SelfCheckTest, AnyFlippedByteIsDamage) {
  for (size_t at : {size_t{4}, payload_.size() / 2, payload_.size() - 1}) {
    SCOPED_TRACE(at);
    std::string damaged = payload_;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x01);
    Carry(damaged);
    ExpectDamageReported();
  }
}

TEST_F(SelfCheckTest, ShortenedOrMissingPayloadIsDamage) {
  Carry(payload_.substr(0, payload_.size() - 4));
  ExpectDamageReported();
  Carry("");
  ExpectDamageReported();
  fake::World().resources.clear();
  ExpectDamageReported();
}

TEST_F(SelfCheckTest, PayloadOfAnotherVersionFailsEvenWithMatchingDigest) {
  velt::UpdateVersion = 12;
  ExpectDamageReported();
}

// The checksum is computed in-process: the check needs no crypto provider (the
// platform offers none) and nothing else of the system but its own resource.
TEST_F(SelfCheckTest, PassesWithNothingOfTheSystemButTheResource) {
  fake::World().registry_fails = true;
  fake::World().failing = {"CreateFile",       "ReadFile",           "WriteFile",
                           "FlushFileBuffers", "MoveFileReplacing",  "DeleteFile",
                           "FindFirstFile",    "SetCurrentDirectory"};
  fake::World().has_performance_counter = false;
  EXPECT_TRUE(velt::CheckInstallerIntegrity());
  EXPECT_TRUE(fake::World().boxes.empty());
  EXPECT_TRUE(fake::World().registry_opens.empty());
}

TEST_F(SelfCheckTest, RussianTextOnCyrillicLocale) {
  velt::CyrillicLocale = true;
  payload_[200] ^= 0x40;
  Carry(payload_);
  EXPECT_FALSE(velt::CheckInstallerIntegrity());
  ASSERT_EQ(fake::World().boxes.size(), 1u);
  EXPECT_EQ(fake::World().boxes[0].text,
            "\xd4\xe0\xe9\xeb \xf3\xf1\xf2\xe0\xed\xee\xe2\xea\xe8 \xef\xee\xe2\xf0\xe5\xe6\xe4"
            "\xb8\xed. \xcf\xee\xe6\xe0\xeb\xf3\xe9\xf1\xf2\xe0, \xe7\xe0\xe3\xf0\xf3\xe7\xe8\xf2"
            "\xe5 \xe5\xe3\xee \xe7\xe0\xed\xee\xe2\xee.");
}

}  // namespace
}  // namespace velt_test
