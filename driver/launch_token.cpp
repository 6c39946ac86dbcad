#include "driver/launch_token.h"

#include <string_view>
#include <utility>

#include "deployment/run_log.h"
#include "package/log_starter.h"
#include "platform/errors.h"
#include "platform/process.h"

namespace velt {
namespace {

using platform::ScopedHandle;
using platform::TokenFacts;

VeltLaunchWay Nothing(std::string_view why, bool tell_user = true) {
  Log({"Velt is not started: ", why});
  VeltLaunchWay way;
  way.tell_user = tell_user;
  return way;
}

VeltLaunchWay ThroughTheShell() {
  VeltLaunchWay way;
  way.kind = VeltLaunchWay::kShell;
  return way;
}

// `facts` of `token`, when it can be had and examined.
bool Examine(const ScopedHandle& token, TokenFacts* facts) {
  return token.IsValid() && platform::GetTokenFacts(token.Get(), facts);
}

// Whether the system labels the two halves of the split token `full` with
// different integrity levels, as Windows does (high and medium). True when
// the token has no other half to tell by.
bool KeepsIntegrityLevels(platform::RawHandle full, const TokenFacts& full_facts) {
  TokenFacts linked_facts;
  return !Examine(platform::GetLinkedToken(full), &linked_facts) ||
         linked_facts.integrity != full_facts.integrity;
}

// `token` when its `facts` pass the checks for `session`.
VeltLaunchWay Checked(ScopedHandle token,
                      const TokenFacts& facts,
                      uint32_t session,
                      bool compare_levels) {
  if (facts.elevated)
    return Nothing("the token for it is elevated");
  if (compare_levels && facts.integrity > platform::kMediumIntegrity)
    return Nothing("the token for it is above medium integrity");
  if (facts.session != session)
    return Nothing("the token for it belongs to another session");
  VeltLaunchWay way;
  way.kind = VeltLaunchWay::kToken;
  way.token = std::move(token);
  return way;
}

// The user logged on at the console, for an updater that runs as a service
// account: never SYSTEM's own rights, and no box where nobody may see it.
VeltLaunchWay AsTheConsoleUser() {
  const uint32_t session = platform::GetActiveConsoleSessionId();
  if (session == platform::kNoSession)
    return Nothing("no session is attached to the console", false);
  ScopedHandle token = platform::QueryUserToken(session);
  if (!token.IsValid()) {
    LogFailure({"no user's token in the console's session"}, platform::GetLastError());
    return Nothing("nobody is logged on at the console, or the token cannot be had", false);
  }
  TokenFacts facts;
  if (!Examine(token, &facts))
    return Nothing("the console user's token cannot be examined");
  bool compare_levels = true;
  if (facts.elevated) {  // its unelevated half, where it is split
    ScopedHandle linked = platform::GetLinkedToken(token.Get());
    TokenFacts linked_facts;
    if (Examine(linked, &linked_facts)) {
      compare_levels = linked_facts.integrity != facts.integrity;
      token = std::move(linked);
      facts = linked_facts;
    }
  }
  return Checked(std::move(token), facts, session, compare_levels);
}

}  // namespace

VeltLaunchWay ChooseVeltLaunchWay() {
  ScopedHandle own = platform::OpenOwnToken();
  TokenFacts own_facts;
  if (!Examine(own, &own_facts))
    return Nothing("the updater's own token cannot be examined");
  if (IsServiceAccount(own_facts.user))
    return AsTheConsoleUser();
  const bool own_rights = platform::GetProcessElevation() == platform::Elevation::kNone;
  const uint32_t shell = platform::GetShellProcessId();
  if (shell == 0 && !own_rights)
    return Nothing("there is no desktop shell to take the user's token from");
  if (shell == 0) {
    // No desktop serves this token (the built-in Administrator over remote
    // PowerShell, a deployment tool's user in session 0): its rights are an
    // administrator's, not the user's at the screen.
    Log(
        {"no desktop shell in the updater's session and its token is not split: "
         "Velt may start only as the user at the console"});
    VeltLaunchWay way = AsTheConsoleUser();
    // Outside the services' session 0 a desktop shows the box.
    way.tell_user = way.tell_user || own_facts.session != 0;
    return way;
  }
  ScopedHandle token = platform::OpenProcessTokenForLaunch(shell);
  TokenFacts facts;
  if (!Examine(token, &facts))
    return Nothing("the desktop shell's token cannot be had or examined");
  if (own_rights && facts.user == own_facts.user)
    return ThroughTheShell();
  return Checked(std::move(token), facts, own_facts.session,
                 KeepsIntegrityLevels(own.Get(), own_facts));
}

}  // namespace velt
