#include "startup/single_copy_guard.h"

#include "platform/errors.h"
#include "platform/guard_mutex.h"

namespace velt {

const char kSingleCopyGuardName[] = "velt-update";

namespace {

platform::ScopedHandle Guard;

}  // namespace

GuardOutcome TakeSingleCopyGuard() {
  uint32_t error = 0;
  platform::ScopedHandle mutex = platform::CreateAdminOnlyMutex(kSingleCopyGuardName, &error);
  if (mutex.IsValid() && error != platform::kErrorAlreadyExists) {
    Guard = std::move(mutex);
    return {GuardState::kHeld, 0};
  }
  // An existing mutex is another copy's (`mutex` lets go of it now), also one
  // whose access list keeps this process out. A creation refused where none
  // exists means this process may not make one at all.
  if (error == platform::kErrorAlreadyExists ||
      (error == platform::kErrorAccessDenied &&
       platform::GlobalMutexExists(kSingleCopyGuardName))) {
    return {GuardState::kTakenByAnotherCopy, error};
  }
  return {GuardState::kUnavailable, error};
}

void ReleaseSingleCopyGuard() {
  Guard.Reset();
}

}  // namespace velt
