// Named mappings, elevation, the tokens a program is started with and what
// they tell.
#include <cstdint>
#include <string>

#include "platform/errors.h"
#include "platform/process.h"
#include "platform/system.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class ProcessContract : public ContractTest {};

TEST_F(ProcessContract, ASecondMappingOfTheSameNameReportsAlreadyExists) {
  const std::string name = ObjectName("velt_contract_memfile");
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
// it can take another process's token to start a program as that user: the
// token it takes speaks for that process's user, unelevated as that process
// runs, not for this elevated one.
TEST_F(ProcessContract, ATokenForLaunchIsTakenFromAnotherProcess) {
  EXPECT_NE(platform::GetProcessElevation(), platform::Elevation::kUnknown);
  EXPECT_TRUE(platform::IsUserAnAdmin());
  const uint32_t other = ProcessWithToken();
  ASSERT_NE(other, 0u);
  platform::ScopedHandle token = platform::OpenProcessTokenForLaunch(other);
  ASSERT_TRUE(token.IsValid()) << platform::GetLastError();
  const std::string holder = TokenHolder(token.Get());
  EXPECT_EQ(holder, ProcessTokenHolder(other));
  EXPECT_NE(holder.find(", not elevated"), std::string::npos) << holder;
  EXPECT_EQ(OwnTokenHolder().find(", not elevated"), std::string::npos) << OwnTokenHolder();
}

TEST_F(ProcessContract, NoProcessGivesNoToken) {
  for (uint32_t id : {0u, 0xFFFFFFF0u}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(platform::OpenProcessTokenForLaunch(id).IsValid());
    EXPECT_EQ(platform::GetLastError(), 87u);  // ERROR_INVALID_PARAMETER
  }
}

// This process's token: elevated, of its user, in the console's session; its
// linked half is its user's ordinary one. Windows labels the halves high and
// medium integrity.
TEST_F(ProcessContract, TheOwnTokenAndItsLinkedHalfAreTold) {
  platform::ScopedHandle own = platform::OpenOwnToken();
  platform::TokenFacts facts;
  ASSERT_TRUE(platform::GetTokenFacts(own.Get(), &facts)) << platform::GetLastError();
  EXPECT_EQ(facts.user.compare(0, 8, "S-1-5-21"), 0) << facts.user;
  EXPECT_TRUE(facts.elevated);
  EXPECT_EQ(facts.integrity, platform::kHighIntegrity);
  EXPECT_EQ(facts.session, platform::GetActiveConsoleSessionId());

  platform::TokenFacts linked;
  ASSERT_TRUE(platform::GetTokenFacts(platform::GetLinkedToken(own.Get()).Get(), &linked));
  EXPECT_EQ(linked.user, facts.user);
  EXPECT_EQ(linked.session, facts.session);
  EXPECT_FALSE(linked.elevated);
  if (WineDiffers("every token is labelled high integrity, the unelevated half too"))
    EXPECT_EQ(linked.integrity, platform::kHighIntegrity);
  else
    EXPECT_EQ(linked.integrity, platform::kMediumIntegrity);

  platform::TokenFacts other;
  ASSERT_TRUE(platform::GetTokenFacts(platform::OpenProcessTokenForLaunch(ProcessWithToken()).Get(),
                                      &other));
  EXPECT_EQ(other.user, facts.user);
  platform::TokenFacts untouched{"untouched", 7, false, 0};
  EXPECT_FALSE(platform::GetTokenFacts(nullptr, &untouched));
  EXPECT_EQ(untouched.user, "untouched");
  EXPECT_EQ(untouched.session, 7u);
}

// Only SYSTEM (with the TCB privilege) may take the token of the user logged
// on at the console.
TEST_F(ProcessContract, OnlySystemMayTakeTheConsoleUsersToken) {
  const uint32_t session = platform::GetActiveConsoleSessionId();
  ASSERT_NE(session, platform::kNoSession);
  platform::ScopedHandle token = platform::QueryUserToken(session);
  if (WineDiffers("WTSQueryUserToken hands any program the console user's elevated token")) {
    platform::TokenFacts facts;
    ASSERT_TRUE(platform::GetTokenFacts(token.Get(), &facts));
    EXPECT_TRUE(facts.elevated);
    EXPECT_EQ(facts.session, session);
  } else {
    EXPECT_FALSE(token.IsValid());
    EXPECT_EQ(platform::GetLastError(), 1314u);  // ERROR_PRIVILEGE_NOT_HELD
  }
}

}  // namespace
}  // namespace velt::contract
