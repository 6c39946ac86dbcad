// What the Win32 layer shares for the few ntdll calls it makes where kernel32
// has no equivalent (looked up at run time, as ntdll is always loaded).
#pragma once

#include "platform/win32/system_library.h"
#include "platform/win32/win32_api.h"

namespace platform {

struct IoStatusBlock {
  union {
    LONG status;
    void* pointer;
  };
  ULONG_PTR information;
};

constexpr LONG kStatusDeletePending = static_cast<LONG>(0xC0000056);

// After a failure by name: access denied whose status (ntdll's
// RtlGetLastNtStatus, Windows XP and later) says the file is being deleted
// becomes ERROR_DELETE_PENDING.
inline void TellDeletePendingApart() {
  using GetLastNtStatusFunction = LONG(NTAPI*)();
  static auto last_status =
      LoadedSystemFunction<GetLastNtStatusFunction>("ntdll.dll", "RtlGetLastNtStatus");
  if (::GetLastError() == ERROR_ACCESS_DENIED && last_status != nullptr &&
      last_status() == kStatusDeletePending) {
    ::SetLastError(ERROR_DELETE_PENDING);
  }
}

// True for a success status; otherwise sets the thread's last error from
// `status` (RtlNtStatusToDosError) and returns false. A file being deleted
// gives ERROR_DELETE_PENDING, which the system's own mapping makes access
// denied.
inline bool NtSucceeded(LONG status) {
  using StatusToErrorFunction = ULONG(NTAPI*)(LONG);
  static auto status_to_error =
      LoadedSystemFunction<StatusToErrorFunction>("ntdll.dll", "RtlNtStatusToDosError");
  if (status >= 0)
    return true;
  if (status == kStatusDeletePending)
    ::SetLastError(ERROR_DELETE_PENDING);
  else
    ::SetLastError(status_to_error ? status_to_error(status) : ERROR_GEN_FAILURE);
  return false;
}

}  // namespace platform
