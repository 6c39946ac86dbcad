// A named mutex that only administrators and SYSTEM may open and that only
// they can have made: its owner is the Administrators group, which no process
// without that group enabled may name as an owner. Where the system has
// private namespaces, it lives in one whose boundary requires that group, so
// nobody else can even take its name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace platform {

// ClosePrivateNamespace without destroying the namespace. Platform-specific.
bool ClosePrivateNamespace(RawHandle space);
struct PrivateNamespaceTraits : RawHandleTraits {
  static void Close(RawHandle h) { ClosePrivateNamespace(h); }
};
using ScopedPrivateNamespace = ScopedGeneric<PrivateNamespaceTraits>;

// CreatePrivateNamespaceW with the alias `prefix` and a boundary that holds
// the Administrators group, admitting only administrators and SYSTEM, or
// OpenPrivateNamespaceW of it where it exists already. The functions are
// looked up at run time: invalid where the system lacks them or has them only
// as stubs (Wine; the last error is then kErrorCallNotImplemented), and when
// neither call succeeds.
ScopedPrivateNamespace OpenAdministratorsNamespace(const std::string& prefix);

// CreateMutexA of `name` ("Global\\x", or "<prefix>\\x" inside a private
// namespace), owned by the caller when the call creates it, with the
// Administrators group as its owner and an access list that admits only that
// group and SYSTEM. `*last_error` receives GetLastError right after the call:
// kErrorAlreadyExists when a mutex had the name (the handle is valid then),
// kErrorAccessDenied when one exists and this process may not open it,
// kErrorInvalidHandle when another kind of object has the name. Where the
// system has no access lists in text form (before Windows 2000) the mutex is
// made with default security under `name` without its "Global\\".
ScopedHandle CreateAdminOnlyMutex(const std::string& name, uint32_t* last_error);

// OpenMutexA of `name` only to read its owner (READ_CONTROL). Invalid when no
// mutex has the name (kErrorFileNotFound), another kind of object has it
// (kErrorInvalidHandle) or this process may not read it (kErrorAccessDenied).
ScopedHandle OpenMutexToReadOwner(const std::string& name);

// Whether the owner of the kernel object `object` (opened with READ_CONTROL)
// is the Administrators group or SYSTEM; false when it cannot be read.
bool OwnedByAdministratorsOrSystem(RawHandle object);

}  // namespace platform
