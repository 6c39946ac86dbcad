// The executable's own resources (see platform_resources_test.rc) and SHA-256
// through the system's crypto provider.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/resources.h"

namespace {

std::string Hex(const uint8_t* bytes, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

std::string Sha256Hex(const std::string& data) {
  uint8_t digest[32] = {};
  if (!platform::Sha256(reinterpret_cast<const uint8_t*>(data.data()),
                        static_cast<uint32_t>(data.size()), digest)) {
    return "<failed>";
  }
  return Hex(digest, sizeof(digest));
}

TEST(ResourceTest, LoadsAResourceOfAnotherLanguageByNameAndTypeInAnyCase) {
  platform::ScopedResource resource;
  ASSERT_TRUE(resource.Load("velttest", "cok"));
  ASSERT_NE(resource.data(), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(resource.data()), resource.size()),
            std::string("vtup\x2A\0payload", 13));
  platform::ScopedResource upper;
  ASSERT_TRUE(upper.Load("VELTTEST", "COK"));
  EXPECT_EQ(upper.size(), 13u);
}

TEST(ResourceTest, AMissingResourceFailsAndHoldsNothing) {
  platform::ScopedResource resource;
  EXPECT_FALSE(resource.Load("NOSUCHRES", "COK"));
  EXPECT_EQ(resource.data(), nullptr);
  EXPECT_EQ(resource.size(), 0u);
  EXPECT_FALSE(resource.Load("VELTTEST", "NOSUCHTYPE"));
  EXPECT_EQ(resource.size(), 0u);
  // A failed load after a good one leaves nothing behind either.
  ASSERT_TRUE(resource.Load("VELTTEST", "COK"));
  EXPECT_FALSE(resource.Load("NOSUCHRES", "COK"));
  EXPECT_EQ(resource.data(), nullptr);
}

TEST(Sha256Test, MatchesKnownVectors) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256Test, HashesDataLongerThanOneChunk) {
  // 3,000,000 times "a": several of the provider calls, digest from sha256sum.
  EXPECT_EQ(Sha256Hex(std::string(3000000, 'a')),
            "2a152c894398719c0570f83fac34ac03a0f6e8e474b995c2403aa5434f7b9dd4");
}

}  // namespace
