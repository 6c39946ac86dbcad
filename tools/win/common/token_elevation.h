// Whether a process runs elevated, for the stand-in programs that record it
// and the tests that check it.
#pragma once

#include <windows.h>

namespace velt::tools {

// 1 when the token of `process` (this one's by default) is elevated, 0
// otherwise (or when unknown).
inline int Elevated(HANDLE process = GetCurrentProcess()) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token))
    return 0;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const BOOL known =
      GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
  CloseHandle(token);
  return known && elevation.TokenIsElevated ? 1 : 0;
}

}  // namespace velt::tools
