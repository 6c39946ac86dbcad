// Fake processes besides this one: the one that started it, their creation
// times and tokens (FakeWorld::other_processes).
#include "platform/errors.h"
#include "platform/fake/fake_internal.h"
#include "platform/process.h"

namespace platform {
namespace {

using fake::FakeHandle;
using fake::World;

// The other process open as `process`, or null.
const fake::FakeWorld::OtherProcess* OtherProcessOf(RawHandle process) {
  const FakeHandle* open = fake::LookupHandle(process, FakeHandle::kProcess);
  auto found = open ? World().other_processes.find(static_cast<uint32_t>(open->id))
                    : World().other_processes.end();
  return found == World().other_processes.end() ? nullptr : &found->second;
}

}  // namespace

uint32_t GetParentProcessId() {
  return fake::Faulted("GetParentProcessId", fake::kFaultError) ? 0 : World().parent_process_id;
}

ScopedHandle OpenProcessToExamine(uint32_t process_id) {
  if (fake::Faulted("OpenProcessToExamine", fake::kFaultsOfCalls))
    return ScopedHandle();
  if (World().other_processes.count(process_id) == 0)
    return (fake::Fail(87), ScopedHandle());  // ERROR_INVALID_PARAMETER
  FakeHandle handle;
  handle.kind = FakeHandle::kProcess;
  handle.id = process_id;
  return ScopedHandle(fake::NewHandle(handle));
}

bool GetProcessCreationTime(RawHandle process, uint64_t* created) {
  if (fake::Faulted("GetProcessCreationTime", fake::kFaultError))
    return false;
  const auto* other = OtherProcessOf(process);
  if (process != CurrentProcess() && other == nullptr)
    return fake::Fail(kErrorInvalidHandle);
  *created = other ? other->created : World().process_created;
  return true;
}

ScopedHandle OpenProcessTokenToCheck(RawHandle process) {
  const auto* other = OtherProcessOf(process);
  if (other == nullptr)
    return (fake::Fail(kErrorInvalidHandle), ScopedHandle());
  if (fake::Faulted("OpenProcessTokenToCheck", fake::kFaultsOfCalls))
    return ScopedHandle();
  if (other->token.empty())
    return (fake::Fail(kErrorAccessDenied), ScopedHandle());
  FakeHandle handle;
  handle.kind = FakeHandle::kToken;
  handle.path = other->token;
  return ScopedHandle(fake::NewHandle(handle));
}

}  // namespace platform
