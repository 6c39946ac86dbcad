// The unelevated half of a split token, for the stand-ins that start a program
// as the user's ordinary desktop would.
#pragma once

#include <windows.h>

#include <string>

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

// Starts `command` with this process's linked token, as the user's ordinary
// desktop would. True with the new process's handle in `*process` (the caller
// closes it); false when there is no linked token or the start fails.
inline bool StartAsLinkedUser(std::string command, HANDLE* process, DWORD* process_id) {
  HANDLE token = LinkedPrimaryToken();
  if (token == nullptr)
    return false;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  const BOOL started = CreateProcessAsUserA(token, nullptr, &command[0], nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &info);
  const DWORD error = GetLastError();
  CloseHandle(token);
  SetLastError(error);
  if (!started)
    return false;
  CloseHandle(info.hThread);
  *process = info.hProcess;
  *process_id = info.dwProcessId;
  return true;
}

}  // namespace velt::tools
