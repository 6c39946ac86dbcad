// The two halves of a split token, for the stand-ins that start a program as
// the user's ordinary desktop would, or as an elevated program of the user's:
// a process runs with one half (Wine 8 runs every program with the elevated
// one; Windows and Wine 10 a program without a manifest with the unelevated
// one) and has the other linked.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velt::tools {

// A primary token of this process's user, elevated or not as `elevated` asks:
// a copy of its own token when it runs so, else of its linked half (the
// caller closes it); null when neither is so.
inline HANDLE UserToken(bool elevated) {
  HANDLE own = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &own))
    return nullptr;
  TOKEN_ELEVATION elevation = {};
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  HANDLE source = nullptr;
  if (GetTokenInformation(own, TokenElevation, &elevation, sizeof(elevation), &size) &&
      (elevation.TokenIsElevated != 0) == elevated) {
    source = own;
  } else if (GetTokenInformation(own, TokenLinkedToken, &linked, sizeof(linked), &size)) {
    source = linked.LinkedToken;
  }
  HANDLE primary = nullptr;
  if (source != nullptr)
    DuplicateTokenEx(source, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                     &primary);
  if (linked.LinkedToken != nullptr)
    CloseHandle(linked.LinkedToken);
  CloseHandle(own);
  return primary;
}

// Starts `command` with UserToken(elevated) on `desktop` ("winsta0\name";
// null: this process's own). True with the new process's handle in `*process`
// (the caller closes it); false when there is no such token or the start fails.
inline bool StartAsUser(bool elevated,
                        const std::string& command,
                        HANDLE* process,
                        DWORD* process_id,
                        const char* desktop = nullptr) {
  HANDLE token = UserToken(elevated);
  if (token == nullptr)
    return false;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.lpDesktop = const_cast<char*>(desktop);
  PROCESS_INFORMATION info = {};
  std::vector<char> line(command.c_str(), command.c_str() + command.size() + 1);
  const BOOL started = CreateProcessAsUserA(token, nullptr, line.data(), nullptr, nullptr, FALSE, 0,
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
