// One copy of the updater at a time on the machine: a named mutex that only
// administrators and SYSTEM can have made, held from the start of the run to
// its end. It lives in a private namespace whose boundary requires the
// Administrators group where the system offers one, else in the global
// namespace, where anybody may take its name first: there an object counts as
// another copy only when it is a mutex owned by Administrators or SYSTEM.
// Anything else under the name is a squatter, and the run goes on without the
// guard rather than wait for ever.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// The guard's name in the global namespace, without "Global\\"; also the
// private namespace's alias.
extern const char kSingleCopyGuardName[];

enum class GuardState {
  kHeld,                // this copy holds the guard
  kTakenByAnotherCopy,  // another copy holds it
  kSquatted,            // something else has its name; the run goes on without it
  kUnavailable,         // the mutex could not be made; the run goes on without it
};

struct GuardOutcome {
  GuardState state = GuardState::kUnavailable;
  uint32_t error = 0;  // the system's error code unless kHeld
  std::string name;    // the full name tried ("Global\\velt-update", ...)
};

// Takes the guard; call once, first thing.
GuardOutcome TakeSingleCopyGuard();
// Lets go of it (at the very end of the run).
void ReleaseSingleCopyGuard();

}  // namespace velt
