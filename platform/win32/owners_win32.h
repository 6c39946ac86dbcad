// Owners for what Win32 hands out in records rather than as one handle: the
// process and thread of a started program, and an allocated SID.
#pragma once

#include "platform/handles.h"
#include "platform/process.h"
#include "platform/win32/win32_api.h"

namespace platform {

// Takes ownership of both handles of `created`.
inline ProcessInfo OwnProcessInformation(const PROCESS_INFORMATION& created) {
  ProcessInfo owned;
  owned.process.Reset(created.hProcess);
  owned.thread.Reset(created.hThread);
  return owned;
}

struct SidTraits : RawHandleTraits {
  static void Close(RawHandle sid) { ::FreeSid(sid); }
};
// A SID from AllocateAndInitializeSid, freed exactly once.
using ScopedSid = ScopedGeneric<SidTraits>;

}  // namespace platform
