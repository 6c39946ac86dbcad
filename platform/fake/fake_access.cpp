// Fake access checks: an ordinary token is refused an entry's
// `denied_to_user` rights (and, of another user than kUserSid, its
// `denied_to_others`), an elevated one its `denied_to_process`; everything
// else is granted. Owners are the entries' `owner`.
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
  const auto known = World().tokens.find(fake::LookupHandle(token, FakeHandle::kToken)->path);
  const fake::FakeToken checked = known == World().tokens.end() ? fake::FakeToken() : known->second;
  uint32_t denied = 0;
  if (entry != World().entries.end()) {
    const fake::FakeEntry& found = entry->second;
    denied = checked.elevated ? found.denied_to_process
                              : found.denied_to_user |
                                    (checked.user != fake::kUserSid ? found.denied_to_others : 0);
  }
  *granted = (denied & desired) == 0;
  return true;
}

bool GetFileOwner(RawHandle file, std::string* owner) {
  const FakeHandle* open = fake::LookupHandle(file, FakeHandle::kFile);
  auto entry = open ? World().entries.find(open->path) : World().entries.end();
  if (entry == World().entries.end())
    return fake::Fail(kErrorInvalidHandle);
  if (fake::Faulted("GetFileOwner", fake::kFaultsOfCalls, open->path))
    return false;
  *owner = entry->second.owner;
  return true;
}

}  // namespace platform
