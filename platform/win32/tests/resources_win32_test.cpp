// The executable's own resources (see tests/contract/win32/resources_contract_test.rc).
#include <gtest/gtest.h>

#include <string>

#include "platform/resources.h"

namespace {

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

}  // namespace
