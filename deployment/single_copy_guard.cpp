#include "deployment/single_copy_guard.h"

#include "platform/errors.h"
#include "platform/guard_mutex.h"

namespace velt {

const char kSingleCopyGuardName[] = "velt-update";

namespace {

constexpr char kNameInPrivateNamespace[] = "single-copy";

platform::ScopedPrivateNamespace GuardNamespace;
platform::ScopedHandle Guard;

// What the mutex called `name` is, which this process could not open for
// everything: another copy's guard when its owner can be read and is
// Administrators or SYSTEM (only they can make anything in the private
// namespace); gone meanwhile, no guard at all; else a squatter. A process
// without the Administrators group reads neither; the rights test stops it.
GuardState ExaminedExisting(const std::string& name, bool private_namespace) {
  platform::ScopedHandle existing = platform::OpenMutexToReadOwner(name);
  if (!existing.IsValid()) {
    return platform::GetLastError() == platform::kErrorFileNotFound ? GuardState::kUnavailable
                                                                    : GuardState::kSquatted;
  }
  return private_namespace || platform::OwnedByAdministratorsOrSystem(existing.Get())
             ? GuardState::kTakenByAnotherCopy
             : GuardState::kSquatted;
}

}  // namespace

GuardOutcome TakeSingleCopyGuard() {
  ReleaseSingleCopyGuard();
  platform::ScopedPrivateNamespace space =
      platform::OpenAdministratorsNamespace(kSingleCopyGuardName);
  const bool private_namespace = space.IsValid();
  GuardOutcome outcome;
  outcome.name = private_namespace
                     ? std::string(kSingleCopyGuardName) + "\\" + kNameInPrivateNamespace
                     : std::string("Global\\") + kSingleCopyGuardName;
  uint32_t error = 0;
  platform::ScopedHandle mutex = platform::CreateAdminOnlyMutex(outcome.name, &error);
  outcome.error = error;
  if (mutex.IsValid() && error != platform::kErrorAlreadyExists) {
    GuardNamespace = std::move(space);
    Guard = std::move(mutex);
    outcome.state = GuardState::kHeld;
    return outcome;
  }
  if (error == platform::kErrorAlreadyExists) {
    const bool copy = private_namespace || platform::OwnedByAdministratorsOrSystem(mutex.Get());
    outcome.state = copy ? GuardState::kTakenByAnotherCopy : GuardState::kSquatted;
  } else if (error == platform::kErrorAccessDenied) {
    outcome.state = ExaminedExisting(outcome.name, private_namespace);
  } else if (error == platform::kErrorInvalidHandle) {
    outcome.state = GuardState::kSquatted;  // an event or another kind of object
  }
  return outcome;
}

void ReleaseSingleCopyGuard() {
  Guard.Reset();
  GuardNamespace.Reset();
}

}  // namespace velt
