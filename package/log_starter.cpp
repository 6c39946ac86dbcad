#include "package/log_starter.h"

#include "platform/process.h"

namespace velt {

bool IsServiceAccount(const std::string& sid) {
  return sid == "S-1-5-18" || sid == "S-1-5-19" || sid == "S-1-5-20" ||
         sid.rfind("S-1-5-80-", 0) == 0;
}

LogStarter IdentifyLogStarter() {
  LogStarter starter;
  const uint32_t parent_id = platform::GetParentProcessId();
  const platform::ScopedHandle parent =
      parent_id == 0 ? platform::ScopedHandle() : platform::OpenProcessToExamine(parent_id);
  uint64_t parent_created = 0;
  uint64_t own_created = 0;
  if (!parent.IsValid() || !platform::GetProcessCreationTime(parent.Get(), &parent_created) ||
      !platform::GetProcessCreationTime(platform::CurrentProcess(), &own_created) ||
      parent_created > own_created) {
    return starter;
  }
  platform::ScopedHandle token = platform::OpenProcessTokenToCheck(parent.Get());
  platform::TokenFacts facts;
  if (token.IsValid() && platform::GetTokenFacts(token.Get(), &facts)) {
    starter.kind = IsServiceAccount(facts.user) ? LogStarter::kService : LogStarter::kUser;
    starter.token = std::move(token);
  }
  return starter;
}

}  // namespace velt
