// The executable's own resources, found as the installer finds the payload it
// carries: by name and type in any case, whatever their language.
#include <string>

#include "platform/resources.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class ResourcesContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    CarryTestResource();
  }
};

TEST_F(ResourcesContract, LoadsAResourceOfAnotherLanguageByNameAndTypeInAnyCase) {
  platform::ScopedResource resource;
  ASSERT_TRUE(resource.Load("velttest", "cok"));
  ASSERT_NE(resource.data(), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(resource.data()), resource.size()),
            std::string("vtup\x2A\0payload", 13));
  platform::ScopedResource upper;
  ASSERT_TRUE(upper.Load("VELTTEST", "COK"));
  EXPECT_EQ(upper.size(), 13u);
}

TEST_F(ResourcesContract, AMissingResourceFailsAndHoldsNothing) {
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
}  // namespace velt::contract
