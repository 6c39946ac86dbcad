// The Restart Manager (rstrtmgr.dll, Windows Vista and later): which processes
// use a file. Loaded at first use from the system folder by full path; each
// call returns its Win32 error code, as the Restart Manager does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"  // kErrorCallNotImplemented: where no Restart Manager exists

namespace platform {

struct RmProcess {
  uint32_t process_id = 0;
  std::string app_name;  // as the Restart Manager names it, in the ANSI code page
};

// RmStartSession: a new session in `*session` (untouched on failure).
uint32_t RmStartSession(uint32_t* session);
// RmRegisterResources with the one file `path` (a full path).
uint32_t RmRegisterFile(uint32_t session, const std::string& path);
// RmGetList: the processes that use the registered files, asked again with a
// larger list while the system needs one. `*processes` is untouched on failure.
uint32_t RmGetList(uint32_t session, std::vector<RmProcess>* processes);
// RmEndSession.
uint32_t RmEndSession(uint32_t session);

}  // namespace platform
