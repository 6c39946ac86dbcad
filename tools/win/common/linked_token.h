// The unelevated half of a split token, for the stand-ins that start a program
// as the user's ordinary desktop would.
#pragma once

#include <windows.h>

namespace velt::tools {

// This process's linked token as a primary token (the caller closes it); null
// when there is none.
inline HANDLE LinkedPrimaryToken() {
  HANDLE own = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own))
    return nullptr;
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  const BOOL has_linked =
      GetTokenInformation(own, TokenLinkedToken, &linked, sizeof(linked), &size);
  CloseHandle(own);
  if (!has_linked)
    return nullptr;
  HANDLE primary = nullptr;
  DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                   TokenPrimary, &primary);
  CloseHandle(linked.LinkedToken);
  return primary;
}

}  // namespace velt::tools
