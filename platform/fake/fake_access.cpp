// Fake access checks of the user's ordinary token: an entry's
// `denied_to_user` rights are refused to it, everything else is granted.
#include "platform/access.h"
#include "platform/errors.h"
#include "platform/fake/fake_internal.h"

namespace platform {
namespace {

using fake::FakeHandle;
using fake::World;

}  // namespace

ScopedHandle OpenToReadSecurity(const std::string& path) {
  if (fake::Faulted("OpenToReadSecurity", fake::kFaultsOfOpens, fake::NormalizePath(path)))
    return ScopedHandle();
  if (fake::NamesAFileAsAFolder(path))
    return (fake::Fail(fake::kErrorInvalidName), ScopedHandle());
  const std::string reached = fake::ExaminedPath(path);
  if (reached.size() > 2 && World().entries.count(reached) == 0)
    return (fake::Fail(kErrorFileNotFound), ScopedHandle());
  FakeHandle handle;
  handle.kind = FakeHandle::kExamine;
  handle.path = reached;
  handle.id = fake::EntryId(reached);
  return ScopedHandle(fake::NewHandle(handle));
}

bool CheckTokenAccess(RawHandle object, RawHandle token, uint32_t desired, bool* granted) {
  const FakeHandle* examined = fake::LookupHandle(object, FakeHandle::kExamine);
  if (examined == nullptr || fake::LookupHandle(token, FakeHandle::kToken) == nullptr)
    return fake::Fail(kErrorInvalidHandle);
  if (fake::Faulted("AccessCheck", fake::kFaultsOfCalls, examined->path))
    return false;
  auto entry = World().entries.find(examined->path);
  const uint32_t denied = entry == World().entries.end() ? 0 : entry->second.denied_to_user;
  *granted = (denied & desired) == 0;
  return true;
}

}  // namespace platform
