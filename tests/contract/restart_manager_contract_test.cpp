// The Restart Manager's answer to which processes hold a file.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/restart_manager.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class RestartManagerContract : public ContractTest {};

TEST_F(RestartManagerContract, CallsSucceedAndNameOnlyWhatHoldsTheFile) {
  const std::string path = NewFolder() + "held.dat";
  PutFile(path, "held");
  platform::ScopedHandle held =
      platform::CreateFile(path, platform::FileAccess::kRead, platform::FileShare::kNone,
                           platform::FileDisposition::kOpenExisting);
  ASSERT_TRUE(held.IsValid()) << platform::GetLastError();

  uint32_t session = 0;
  ASSERT_EQ(platform::RmStartSession(&session), platform::kErrorSuccess);
  const uint32_t registered = platform::RmRegisterFile(session, path);
  std::vector<platform::RmProcess> users = {{1, "untouched"}};
  const uint32_t listed = platform::RmGetList(session, &users);
  EXPECT_EQ(platform::RmEndSession(session), platform::kErrorSuccess);
  EXPECT_EQ(registered, platform::kErrorSuccess);
  ASSERT_EQ(listed, platform::kErrorSuccess);
  // Windows names this process, which holds the file, and only it; either way
  // the list given before is gone.
  char stub[160];
  std::snprintf(stub, sizeof(stub),
                "the Restart Manager is a stub: session 0x%X, and RmGetList names no process, "
                "not even this one holding the file",
                session);
  if (WineDiffers(stub)) {
    EXPECT_TRUE(users.empty()) << users.front().app_name;
  } else {
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].process_id, OwnProcessId());
    EXPECT_FALSE(users[0].app_name.empty());
  }
}

}  // namespace
}  // namespace velt::contract
