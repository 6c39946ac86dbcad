// What a deployment relies on, under Wine: the single-copy mutex and its
// access list, the Restart Manager's calls, and the log's texts. Prints what
// Wine does where it differs from Windows.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/access.h"
#include "platform/errors.h"
#include "platform/guard_mutex.h"
#include "platform/log_text.h"
#include "platform/process.h"
#include "platform/restart_manager.h"
#include "platform/win32/win32_api.h"
#include "tests/common/spare_drive.h"

namespace {

constexpr char kMutexName[] = "velt-update-platform-test";

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
  BYTE buffer[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(buffer);
  return ::CreateWellKnownSid(type, nullptr, buffer, &size) && ::EqualSid(sid, buffer);
}

// A token like this process's with the Administrators group for denying only:
// what an unelevated administrator's processes run with.
HANDLE UnelevatedImpersonationToken() {
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(administrators);
  HANDLE own = nullptr;
  HANDLE restricted = nullptr;
  HANDLE impersonation = nullptr;
  SID_AND_ATTRIBUTES disabled = {administrators, 0};
  if (::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
      ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own) &&
      ::CreateRestrictedToken(own, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted)) {
    ::DuplicateTokenEx(restricted, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                       TokenImpersonation, &impersonation);
  }
  if (own)
    ::CloseHandle(own);
  if (restricted)
    ::CloseHandle(restricted);
  return impersonation;
}

std::string GlobalName() {
  return std::string("Global\\") + kMutexName;
}

TEST(GuardMutexTest, ASecondCreationFindsTheFirstAndOnlyAdministratorsAndSystemGetIn) {
  uint32_t error = 99;
  platform::ScopedHandle first = platform::CreateAdminOnlyMutex(GlobalName(), &error);
  ASSERT_TRUE(first.IsValid()) << error;
  EXPECT_EQ(error, 0u);
  platform::ScopedHandle second = platform::CreateAdminOnlyMutex(GlobalName(), &error);
  EXPECT_TRUE(second.IsValid());
  EXPECT_EQ(error, platform::kErrorAlreadyExists);
  EXPECT_TRUE(platform::OwnedByAdministratorsOrSystem(second.Get()));
  second.Reset();
  EXPECT_TRUE(platform::OpenMutexToReadOwner(GlobalName()).IsValid());

  // Owned by Administrators; exactly two entries, protected from inheritance:
  // Administrators and SYSTEM.
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(::GetSecurityInfo(first.Get(), SE_KERNEL_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(IsWellKnown(owner, WinBuiltinAdministratorsSid));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_NE(control & SE_DACL_PROTECTED, 0);
  ASSERT_NE(dacl, nullptr);
  ASSERT_EQ(dacl->AceCount, 2);
  for (WORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    PSID sid = &ace->SidStart;
    EXPECT_TRUE(i == 0 ? IsWellKnown(sid, WinBuiltinAdministratorsSid)
                       : IsWellKnown(sid, WinLocalSystemSid));
    EXPECT_TRUE((ace->Mask & GENERIC_ALL) != 0 ||
                (ace->Mask & MUTEX_ALL_ACCESS) == MUTEX_ALL_ACCESS);
  }
  ::LocalFree(descriptor);

  // A process without its Administrators group can neither take the guard
  // nor read its owner.
  HANDLE unelevated = UnelevatedImpersonationToken();
  ASSERT_NE(unelevated, nullptr);
  ASSERT_TRUE(::SetThreadToken(nullptr, unelevated));
  platform::ScopedHandle refused = platform::CreateAdminOnlyMutex(GlobalName(), &error);
  platform::ScopedHandle read = platform::OpenMutexToReadOwner(GlobalName());
  const DWORD read_error = ::GetLastError();
  HANDLE synchronize = ::OpenMutexA(SYNCHRONIZE, FALSE, GlobalName().c_str());
  const DWORD synchronize_error = ::GetLastError();
  ::RevertToSelf();
  ::CloseHandle(unelevated);
  EXPECT_FALSE(refused.IsValid());
  EXPECT_EQ(error, platform::kErrorAccessDenied);
  std::printf("[ wine     ] unelevated, the guard's owner read: %s (error %lu)\n",
              read.IsValid() ? "yes" : "no", read_error);
  std::printf("[ wine     ] unelevated OpenMutexA(SYNCHRONIZE) of the guard: %s (error %lu)\n",
              synchronize != nullptr ? "opened" : "refused", synchronize_error);
  if (synchronize != nullptr)
    ::CloseHandle(synchronize);

  first.Reset();
  EXPECT_FALSE(platform::OpenMutexToReadOwner(GlobalName()).IsValid());
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// What a squatter leaves under the guard's name: an event is another kind of
// object; a mutex with another owner is told apart by its owner.
TEST(GuardMutexTest, ASquattersObjectIsToldApartFromTheGuard) {
  HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, GlobalName().c_str());
  ASSERT_NE(event, nullptr);
  uint32_t error = 0;
  EXPECT_FALSE(platform::CreateAdminOnlyMutex(GlobalName(), &error).IsValid());
  EXPECT_EQ(error, platform::kErrorInvalidHandle);
  EXPECT_FALSE(platform::OpenMutexToReadOwner(GlobalName()).IsValid());
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  ::CloseHandle(event);

  // A mutex made with this process's own default security, whose owner is
  // whatever the token gives: Windows gives an elevated administrator the
  // Administrators group, Wine its user.
  HANDLE plain = ::CreateMutexA(nullptr, FALSE, GlobalName().c_str());
  ASSERT_NE(plain, nullptr);
  std::printf(
      "[ wine     ] a mutex with default security is owned by Administrators or "
      "SYSTEM: %s\n",
      platform::OwnedByAdministratorsOrSystem(plain) ? "yes" : "no");
  // One that names the user as its owner is no guard anywhere.
  ::CloseHandle(plain);
}

// Windows Vista and later offer private namespaces; Wine 8 has the functions
// as stubs, and the guard then stays in the global namespace.
TEST(GuardMutexTest, APrivateNamespaceIsUsedWhereTheSystemHasOne) {
  platform::ScopedPrivateNamespace space = platform::OpenAdministratorsNamespace(kMutexName);
  const DWORD error = ::GetLastError();
  std::printf("[ wine     ] private namespace for the guard: %s (error %lu)\n",
              space.IsValid() ? "made" : "not available", error);
  if (!space.IsValid()) {
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    return;
  }
  const std::string name = std::string(kMutexName) + "\\guard";
  uint32_t created = 99;
  platform::ScopedHandle first = platform::CreateAdminOnlyMutex(name, &created);
  EXPECT_TRUE(first.IsValid());
  EXPECT_EQ(created, 0u);
  platform::ScopedPrivateNamespace again = platform::OpenAdministratorsNamespace(kMutexName);
  ASSERT_TRUE(again.IsValid());
  platform::ScopedHandle second = platform::CreateAdminOnlyMutex(name, &created);
  EXPECT_EQ(created, platform::kErrorAlreadyExists);
}

}  // namespace
