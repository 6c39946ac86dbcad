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

// The updater runs elevated (its manifest requires an administrator): above its
// user's ordinary rights where a linked token exists (as under Wine, where every
// program has one), else with them. Either way its token can be examined, and
// it can take another process's token to start a program as that user.
TEST_F(ProcessContract, ATokenForLaunchIsTakenFromAnotherProcess) {
  EXPECT_NE(platform::GetProcessElevation(), platform::Elevation::kUnknown);
  EXPECT_TRUE(platform::IsUserAnAdmin());
  platform::ScopedHandle token = platform::OpenProcessTokenForLaunch(ProcessWithToken());
  EXPECT_TRUE(token.IsValid()) << platform::GetLastError();
}

TEST_F(ProcessContract, NoProcessGivesNoToken) {
  for (uint32_t id : {0u, 0xFFFFFFF0u}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(platform::OpenProcessTokenForLaunch(id).IsValid());
    EXPECT_EQ(platform::GetLastError(), 87u);  // ERROR_INVALID_PARAMETER
  }
}

}  // namespace
}  // namespace velt::contract
