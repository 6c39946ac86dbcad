// Whoever started the updater, as the run log's checks need it: the log goes
// only where that process could have written it, whatever rights the updater
// itself was given (an administrator may approve the elevation prompt for a
// program that another user, or the same user unelevated, started).
#pragma once

#include <string>

#include "platform/handles.h"

namespace velt {

// SYSTEM, LOCAL SERVICE, NETWORK SERVICE and the virtual service accounts
// ("NT SERVICE\...": S-1-5-80-...), as a SID's text.
bool IsServiceAccount(const std::string& sid);

struct LogStarter {
  // kUnknown: it cannot be identified or examined, and nothing may be made
  // for it. kService: a deployment tool running as a service account, trusted
  // with any path. kUser: anyone else, whose `token` the log is checked with.
  enum Kind { kUnknown, kService, kUser } kind = kUnknown;
  platform::ScopedHandle token;
};

// The parent process (under UAC, the one that asked for the elevation),
// taken for the starter only when it was created no later than this process:
// an id that a newer process got after the parent ended is not the parent.
// The system's clock has a coarse tick, so the same creation time passes.
LogStarter IdentifyLogStarter();

}  // namespace velt
