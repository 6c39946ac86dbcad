// Fake single-copy mutexes, Restart Manager, clock and error texts.
#include <algorithm>

#include "platform/errors.h"
#include "platform/fake/fake_internal.h"
#include "platform/guard_mutex.h"
#include "platform/log_text.h"
#include "platform/restart_manager.h"

namespace platform {
namespace {

using fake::FakeHandle;
using fake::World;

bool HeldHere(const std::string& name) {
  for (const auto& [id, handle] : World().handles) {
    if (handle.kind == FakeHandle::kMutex && handle.path == name)
      return true;
  }
  return false;
}

// Another process's object called `name`, or null.
const fake::FakeWorld::NamedObject* Named(const std::string& name) {
  auto found = World().named_objects.find(name);
  return found == World().named_objects.end() ? nullptr : &found->second;
}

// The error an open of the mutex `name` meets, `other` being another's object
// of that name: another kind of object, or an access list that keeps this
// thread out; 0 when it may be opened (or made).
uint32_t OpenError(const std::string& name, const fake::FakeWorld::NamedObject* other) {
  const bool unelevated = World().thread_without_administrators;
  if (other != nullptr && !other->mutex)
    return kErrorInvalidHandle;
  if (other != nullptr ? other->refuses_access || (unelevated && other->administrators_own)
                       : unelevated && HeldHere(name))
    return kErrorAccessDenied;
  return 0;
}

ScopedHandle MutexHandle(const std::string& name) {
  FakeHandle handle;
  handle.kind = FakeHandle::kMutex;
  handle.path = name;
  return ScopedHandle(fake::NewHandle(handle));
}

// The error of a planned fault of the Restart Manager's `operation`; 0: none.
uint32_t RmFault(const char* operation) {
  const uint32_t kind = fake::NextFault(operation, fake::kFaultsOfCalls, "restart manager");
  return kind == 0 ? 0 : fake::FaultError(kind);
}

}  // namespace

bool ClosePrivateNamespace(RawHandle space) {
  if (fake::LookupHandle(space, FakeHandle::kNamespace) == nullptr)
    return fake::Fail(kErrorInvalidHandle);
  World().handles.erase(reinterpret_cast<uintptr_t>(space));
  return true;
}

ScopedPrivateNamespace OpenAdministratorsNamespace(const std::string& prefix) {
  if (!World().private_namespaces) {
    fake::Fail(kErrorCallNotImplemented);
    return ScopedPrivateNamespace();
  }
  if (fake::Faulted("CreatePrivateNamespace", fake::kFaultsOfCalls))
    return ScopedPrivateNamespace();
  FakeHandle handle;
  handle.kind = FakeHandle::kNamespace;
  handle.path = prefix;
  return ScopedPrivateNamespace(fake::NewHandle(handle));
}

ScopedHandle CreateAdminOnlyMutex(const std::string& name, uint32_t* last_error) {
  if (fake::Faulted("CreateMutex", fake::kFaultsOfCalls, name)) {
    *last_error = World().last_error;
    return ScopedHandle();
  }
  const fake::FakeWorld::NamedObject* other = Named(name);
  if (const uint32_t refused = OpenError(name, other)) {
    *last_error = World().last_error = refused;
    return ScopedHandle();
  }
  *last_error = World().last_error = other || HeldHere(name) ? kErrorAlreadyExists : 0;
  return MutexHandle(name);
}

ScopedHandle OpenMutexToReadOwner(const std::string& name) {
  if (fake::Faulted("OpenMutex", fake::kFaultsOfCalls))
    return ScopedHandle();
  const fake::FakeWorld::NamedObject* other = Named(name);
  if (other == nullptr && !HeldHere(name))
    return (fake::Fail(kErrorFileNotFound), ScopedHandle());
  if (const uint32_t refused = OpenError(name, other))
    return (fake::Fail(refused), ScopedHandle());
  return MutexHandle(name);
}

bool OwnedByAdministratorsOrSystem(RawHandle object) {
  if (fake::Faulted("GetSecurityInfo", fake::kFaultsOfCalls))
    return false;
  const FakeHandle* mutex = fake::LookupHandle(object, FakeHandle::kMutex);
  if (mutex == nullptr)
    return fake::Fail(kErrorInvalidHandle);
  const fake::FakeWorld::NamedObject* other = Named(mutex->path);
  return other == nullptr || other->administrators_own;  // this process's own are
}

uint32_t RmStartSession(uint32_t* session) {
  if (!World().restart_manager_available)
    return kErrorCallNotImplemented;
  if (const uint32_t error = RmFault("RmStartSession"))
    return error;
  *session = World().next_rm_session++;
  World().rm_sessions[*session];
  return kErrorSuccess;
}

uint32_t RmRegisterFile(uint32_t session, const std::string& path) {
  if (const uint32_t error = RmFault("RmRegisterResources"))
    return error;
  auto found = World().rm_sessions.find(session);
  if (found == World().rm_sessions.end())
    return kErrorInvalidHandle;
  found->second.push_back(fake::NormalizePath(path));
  return kErrorSuccess;
}

uint32_t RmGetList(uint32_t session, std::vector<RmProcess>* processes) {
  if (const uint32_t error = RmFault("RmGetList"))
    return error;
  auto found = World().rm_sessions.find(session);
  if (found == World().rm_sessions.end())
    return kErrorInvalidHandle;
  std::vector<RmProcess> users;
  for (const std::string& path : found->second) {
    if (fake::OpenByThisProcess(path)) {
      const std::string& module = World().module_file_name;
      users.push_back({World().process_id, module.substr(module.find_last_of('\\') + 1)});
    }
    auto listed = World().file_users.find(path);
    if (listed != World().file_users.end())
      users.insert(users.end(), listed->second.begin(), listed->second.end());
  }
  *processes = users;
  return kErrorSuccess;
}

uint32_t RmEndSession(uint32_t session) {
  if (const uint32_t error = RmFault("RmEndSession"))
    return error;
  return World().rm_sessions.erase(session) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

LocalTime GetLocalTime() {
  // 2024-05-06 07:08:09.000 when the fake clock starts, moving with it.
  const int64_t now = World().now_ms;
  LocalTime time;
  time.year = 2024;
  time.month = 5;
  time.day = 6;
  const int64_t seconds = 7 * 3600 + 8 * 60 + 9 + now / 1000;
  time.hour = static_cast<uint16_t>(seconds / 3600 % 24);
  time.minute = static_cast<uint16_t>(seconds / 60 % 60);
  time.second = static_cast<uint16_t>(seconds % 60);
  time.milliseconds = static_cast<uint16_t>(now % 1000);
  return time;
}

std::string SystemErrorText(uint32_t error) {
  switch (error) {
    case kErrorFileNotFound:
      return "The system cannot find the file specified.";
    case kErrorAccessDenied:
      return "Access is denied.";
    case kErrorSharingViolation:
      return "The process cannot access the file because it is being used by another process.";
    case kErrorDiskFull:
      return "There is not enough space on the disk.";
    case kErrorAlreadyExists:
      return "Cannot create a file when that file already exists.";
    default:
      return std::string();
  }
}

std::string AnsiToUtf8(const std::string& text) {
  // The fake's code page is Windows-1252: Latin-1 but for 0x80 to 0x9F, where
  // it has letters and signs (unassigned bytes keep their own code point).
  static const uint16_t kHigh[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                     0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
  std::string utf8;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const uint16_t code = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
    if (code < 0x80) {
      utf8 += c;
    } else if (code < 0x800) {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (code >> 12));
      utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

}  // namespace platform
