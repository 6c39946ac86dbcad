// What every owning handle type shares.
#include "platform/errors.h"
#include "platform/handles.h"

namespace platform {

void CloseKeepingLastError(void (*close)(RawHandle), RawHandle handle) {
  const uint32_t error = GetLastError();
  close(handle);
  SetLastError(error);
}

}  // namespace platform
