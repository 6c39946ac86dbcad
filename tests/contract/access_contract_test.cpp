// The log's access check: what this process's user may do by the ordinary
// rights of its linked token, as the security descriptors say.
#include <string>

#include "platform/access.h"
#include "platform/errors.h"
#include "platform/process.h"
#include "platform/system.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class AccessContract : public ContractTest {};

// A folder below the user's own temporary folder lets the linked token create
// a file; the system folder does not.
TEST_F(AccessContract, TheLinkedTokenIsCheckedAgainstTheDescriptors) {
  platform::ScopedHandle token = platform::GetLinkedToken(platform::OpenOwnToken().Get());
  ASSERT_TRUE(token.IsValid()) << "elevated with a split token: " << platform::GetLastError();
  const std::string system = platform::GetSystemDirectory();
  for (const std::string& folder : {NewFolder(), system}) {
    SCOPED_TRACE(folder);
    platform::ScopedHandle security = platform::OpenToReadSecurity(folder);
    ASSERT_TRUE(security.IsValid()) << platform::GetLastError();
    bool granted = folder == system;
    ASSERT_TRUE(
        platform::CheckTokenAccess(security.Get(), token.Get(), platform::kFileAddFile, &granted))
        << platform::GetLastError();
    if (folder != system)
      EXPECT_TRUE(granted);
    else if (WineDiffers("descriptors come from the Unix mode and the linked token keeps the "
                         "Administrators group: it may create files in the system folder"))
      EXPECT_TRUE(granted);
    else
      EXPECT_FALSE(granted);
  }
}

}  // namespace
}  // namespace velt::contract
