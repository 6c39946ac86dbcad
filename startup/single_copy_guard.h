// One copy of the updater at a time on the machine: a named mutex in the
// global namespace whose access list admits only administrators and SYSTEM,
// held from the start of the run to its end.
#pragma once

#include <cstdint>

namespace velt {

// The mutex's name, without "Global\\".
extern const char kSingleCopyGuardName[];

enum class GuardState {
  kHeld,                // this copy holds the guard
  kTakenByAnotherCopy,  // another copy holds it (or keeps this one out)
  kUnavailable,         // the mutex could not be made; the run goes on without it
};

struct GuardOutcome {
  GuardState state = GuardState::kUnavailable;
  uint32_t error = 0;  // the system's error code unless kHeld
};

// Takes the guard; call once, first thing.
GuardOutcome TakeSingleCopyGuard();
// Lets go of it (at the very end of the run).
void ReleaseSingleCopyGuard();

}  // namespace velt
