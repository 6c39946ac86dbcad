// Kernel and enumeration handles, and the thread's last error, over Win32.
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/win32/win32_api.h"

namespace platform {

bool CloseHandle(RawHandle handle) {
  return ::CloseHandle(handle) != FALSE;
}

bool FindClose(RawHandle handle) {
  return ::FindClose(handle) != FALSE;
}

uint32_t GetLastError() {
  return ::GetLastError();
}

void SetLastError(uint32_t error) {
  ::SetLastError(error);
}

}  // namespace platform
