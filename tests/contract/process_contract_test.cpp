// Named mappings, elevation and the tokens a program is started with.
#include <string>

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/system.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class ProcessContract : public ContractTest {};

std::string UniqueName(const std::string& stem) {
  return stem + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
         std::to_string(ProcessWithToken());
}

TEST_F(ProcessContract, ASecondMappingOfTheSameNameReportsAlreadyExists) {
  const std::string name = UniqueName("velt_contract_memfile");
  uint32_t error = 99;
  {
    platform::ScopedHandle first = platform::CreateFileMapping(name, 4096, &error);
    ASSERT_TRUE(first.IsValid());
    EXPECT_EQ(error, platform::kErrorSuccess);
    platform::ScopedHandle second = platform::CreateFileMapping(name, 4096, &error);
    EXPECT_TRUE(second.IsValid());
    EXPECT_EQ(error, platform::kErrorAlreadyExists);
  }
  // Once every handle is closed the name is free again.
  platform::ScopedHandle again = platform::CreateFileMapping(name, 4096, &error);
  EXPECT_TRUE(again.IsValid());
  EXPECT_EQ(error, platform::kErrorSuccess);
}

// The updater runs elevated (its manifest requires an administrator); the
// token it takes to start a program as another process's user tells its own
// elevation.
TEST_F(ProcessContract, ATokenForLaunchTellsItsElevation) {
  EXPECT_TRUE(platform::IsProcessElevated());
  EXPECT_TRUE(platform::IsUserAnAdmin());
  platform::ScopedHandle token = platform::OpenProcessTokenForLaunch(ProcessWithToken());
  ASSERT_TRUE(token.IsValid()) << platform::GetLastError();
  bool elevated = false;
  ASSERT_TRUE(platform::IsTokenElevated(token.Get(), &elevated));
  EXPECT_TRUE(elevated);
}

TEST_F(ProcessContract, NoProcessGivesNoTokenAndNoTokenNoElevation) {
  for (uint32_t id : {0u, 0xFFFFFFF0u}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(platform::OpenProcessTokenForLaunch(id).IsValid());
    EXPECT_EQ(platform::GetLastError(), 87u);  // ERROR_INVALID_PARAMETER
  }
  uint32_t error = 0;
  platform::ScopedHandle mapping =
      platform::CreateFileMapping(UniqueName("velt_contract_not_a_token"), 4096, &error);
  ASSERT_TRUE(mapping.IsValid());
  bool elevated = true;
  EXPECT_FALSE(platform::IsTokenElevated(mapping.Get(), &elevated));
  EXPECT_EQ(platform::GetLastError(), 6u);  // ERROR_INVALID_HANDLE
  EXPECT_TRUE(elevated) << "untouched on failure";
}

}  // namespace
}  // namespace velt::contract
