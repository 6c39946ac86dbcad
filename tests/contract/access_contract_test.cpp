// The log's access check: what this process's user may do by the ordinary
// rights of its linked token, as the security descriptors say.
#include <string>

#include "platform/access.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class AccessContract : public ContractTest {};

// A folder below the user's own temporary folder lets the linked token, and
// the token of another process of the user's ordinary rights, create a file;
// the system folder does not.
TEST_F(AccessContract, AnotherTokenIsCheckedAgainstTheDescriptors) {
  platform::ScopedHandle linked = platform::GetLinkedToken(platform::OpenOwnToken().Get());
  ASSERT_TRUE(linked.IsValid()) << "elevated with a split token: " << platform::GetLastError();
  platform::ScopedHandle other =
      platform::OpenProcessTokenToCheck(platform::OpenProcessToExamine(ProcessWithToken()).Get());
  ASSERT_TRUE(other.IsValid()) << platform::GetLastError();
  const std::string home = NewFolder();
  const std::string system = platform::GetSystemDirectory();
  for (const auto& [folder, token] :
       {std::pair{home, linked.Get()}, std::pair{home, other.Get()},
        std::pair{system, linked.Get()}, std::pair{system, other.Get()}}) {
    SCOPED_TRACE(folder);
    platform::ScopedHandle security = platform::OpenToReadSecurity(folder);
    ASSERT_TRUE(security.IsValid()) << platform::GetLastError();
    bool granted = folder == system;
    ASSERT_TRUE(platform::CheckTokenAccess(security.Get(), token, platform::kFileAddFile, &granted))
        << platform::GetLastError();
    if (folder != system)
      EXPECT_TRUE(granted);
    else if (WineDiffers("descriptors come from the Unix mode and the user's unelevated tokens "
                         "keep the Administrators group: they may create files in the system "
                         "folder"))
      EXPECT_TRUE(granted);
    else
      EXPECT_FALSE(granted);
  }
}

// Earlier runs' files are told by their owner: an elevated administrator's
// files are owned by the Administrators group, read through a new file's
// handle and through an open for deletion in a folder alike.
TEST_F(AccessContract, AFileThisProcessMakesIsOwnedByAdministrators) {
  const std::string folder = NewFolder();
  platform::ScopedHandle made =
      platform::CreateFile(folder + "made.tmp", platform::FileAccess::kWriteDelete,
                           platform::FileShare::kNone, platform::FileDisposition::kCreateNew);
  std::string owner = "untouched";
  std::string again = "untouched";
  ASSERT_TRUE(platform::GetFileOwner(made.Get(), &owner)) << platform::GetLastError();
  made.Reset();
  ASSERT_TRUE(platform::GetFileOwner(
      platform::OpenInFolder(platform::OpenFolder(folder).Get(), "made.tmp",
                             platform::InFolderAccess::kDelete, platform::FileShare::kNone)
          .Get(),
      &again));
  EXPECT_EQ(again, owner);
  if (WineDiffers("a file's owner is the Unix user's SID, whoever made it"))
    EXPECT_EQ(owner + ", elevated", OwnTokenHolder());
  else
    EXPECT_EQ(owner, platform::kAdministratorsSid);
  EXPECT_FALSE(platform::GetFileOwner(nullptr, &again));
  EXPECT_EQ(again, owner);
}

}  // namespace
}  // namespace velt::contract
