// Whether the calling process runs elevated, for the stand-in programs that
// record it.
#pragma once

#include <windows.h>

namespace velt::tools {

// 1 when this process's token is elevated, 0 otherwise (or when unknown).
inline int Elevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return 0;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const BOOL known =
      GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
  CloseHandle(token);
  return known && elevation.TokenIsElevated ? 1 : 0;
}

}  // namespace velt::tools
