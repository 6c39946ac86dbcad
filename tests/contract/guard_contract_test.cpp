// The single-copy guard's mutex: owned by the Administrators group, admitting
// only that group and SYSTEM, told apart from a squatter's object, and in a
// private namespace where the system has them.
#include <string>

#include "platform/errors.h"
#include "platform/guard_mutex.h"
#include "platform/system.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

using platform::ScopedHandle;

class GuardContract : public ContractTest {
 protected:
  static std::string GlobalName(const std::string& stem = "velt-contract-guard") {
    return "Global\\" + ObjectName(stem);
  }
};

TEST_F(GuardContract, ASecondCreationFindsTheFirstAndOnlyAdministratorsAndSystemGetIn) {
  const std::string name = GlobalName();
  uint32_t error = 99;
  ScopedHandle first = platform::CreateAdminOnlyMutex(name, &error);
  ASSERT_TRUE(first.IsValid()) << error;
  EXPECT_EQ(error, 0u);
  ScopedHandle second = platform::CreateAdminOnlyMutex(name, &error);
  EXPECT_TRUE(second.IsValid());
  EXPECT_EQ(error, platform::kErrorAlreadyExists);
  EXPECT_TRUE(platform::OwnedByAdministratorsOrSystem(second.Get()));
  second.Reset();
  EXPECT_TRUE(platform::OpenMutexToReadOwner(name).IsValid());
  // Owned by Administrators; exactly two entries, protected from inheritance.
  EXPECT_EQ(KernelObjectSecurity(first.Get()), "O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)");

  // Without its Administrators group a thread is no administrator, and can
  // neither take the guard nor read its owner.
  ScopedHandle refused;
  ScopedHandle read;
  uint32_t read_error = 0;
  bool administrator = true;
  AsUnelevated([&] {
    refused = platform::CreateAdminOnlyMutex(name, &error);
    read = platform::OpenMutexToReadOwner(name);
    read_error = platform::GetLastError();
    administrator = platform::IsUserAnAdmin();
  });
  EXPECT_FALSE(refused.IsValid());
  EXPECT_EQ(error, platform::kErrorAccessDenied);
  EXPECT_FALSE(read.IsValid());
  EXPECT_EQ(read_error, platform::kErrorAccessDenied);
  EXPECT_FALSE(administrator);

  first.Reset();
  EXPECT_FALSE(platform::OpenMutexToReadOwner(name).IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
}

// An event is another kind of object; a mutex of another owner is told apart
// by its owner.
TEST_F(GuardContract, ASquattersObjectIsToldApartFromTheGuard) {
  const std::string name = GlobalName();
  MakeSquatter(name, Squatter::kEvent);
  uint32_t error = 0;
  EXPECT_FALSE(platform::CreateAdminOnlyMutex(name, &error).IsValid());
  EXPECT_EQ(error, platform::kErrorInvalidHandle);
  EXPECT_FALSE(platform::OpenMutexToReadOwner(name).IsValid());
  EXPECT_EQ(platform::GetLastError(), platform::kErrorInvalidHandle);

  const std::string plain_name = GlobalName("velt-contract-plain");
  MakeSquatter(plain_name, Squatter::kMutexOfDefaultSecurity);
  ScopedHandle plain = platform::OpenMutexToReadOwner(plain_name);
  ASSERT_TRUE(plain.IsValid()) << platform::GetLastError();
  if (WineDiffers("a mutex made with default security is owned by its maker's user, not by the "
                  "Administrators group"))
    EXPECT_FALSE(platform::OwnedByAdministratorsOrSystem(plain.Get()));
  else
    EXPECT_TRUE(platform::OwnedByAdministratorsOrSystem(plain.Get()));
}

TEST_F(GuardContract, APrivateNamespaceIsUsedWhereTheSystemHasOne) {
  const std::string prefix = ObjectName("velt-contract");
  platform::ScopedPrivateNamespace space = platform::OpenAdministratorsNamespace(prefix);
  if (WineDiffers("the private-namespace functions are stubs: the guard stays global")) {
    EXPECT_FALSE(space.IsValid());
    EXPECT_EQ(platform::GetLastError(), platform::kErrorCallNotImplemented);
    return;
  }
  ASSERT_TRUE(space.IsValid()) << platform::GetLastError();
  const std::string name = prefix + "\\guard";
  uint32_t created = 99;
  ScopedHandle first = platform::CreateAdminOnlyMutex(name, &created);
  EXPECT_TRUE(first.IsValid());
  EXPECT_EQ(created, 0u);
  platform::ScopedPrivateNamespace again = platform::OpenAdministratorsNamespace(prefix);
  ASSERT_TRUE(again.IsValid());
  ScopedHandle second = platform::CreateAdminOnlyMutex(name, &created);
  EXPECT_EQ(created, platform::kErrorAlreadyExists);
}

}  // namespace
}  // namespace velt::contract
