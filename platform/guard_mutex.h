// A named mutex shared by every session of the machine, which only
// administrators and SYSTEM may open.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace platform {

// CreateMutexA of "Global\\" + `name`, owned by the caller when the call creates
// it, with an access list that admits only the Administrators group and
// SYSTEM. `*last_error` receives GetLastError right after the call:
// ERROR_ALREADY_EXISTS when the mutex existed (the handle is valid then),
// ERROR_ACCESS_DENIED when it exists and this process may not open it. Where
// the system has no access lists in text form (before Windows 2000) the mutex
// is made with default security in the one namespace there is.
ScopedHandle CreateAdminOnlyMutex(const std::string& name, uint32_t* last_error);

// Whether the mutex "Global\\" + `name` exists: OpenMutexA for SYNCHRONIZE
// succeeds, or fails only because its access list keeps this process out.
// (A process without the right to create objects in the global namespace is
// refused the creation even where no such mutex exists.)
bool GlobalMutexExists(const std::string& name);

}  // namespace platform
