// The user, the process and its environment over kernel32 and advapi32.
#include <vector>

#include "platform/system.h"
#include "platform/win32/owners_win32.h"
#include "platform/win32/win32_api.h"

namespace platform {

uint32_t GetUserDefaultLcid() {
  return ::GetUserDefaultLCID();
}

bool QueryPerformanceCounter(int64_t* count) {
  LARGE_INTEGER value;
  if (!::QueryPerformanceCounter(&value))
    return false;
  *count = value.QuadPart;
  return true;
}

uint32_t GetTickCount() {
  return ::GetTickCount();
}

bool IsUserAnAdmin() {
  // What shell32's IsUserAnAdmin tells, without loading shell32: whether the
  // token this process runs with holds the Administrators group, enabled.
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID allocated = nullptr;
  if (!::AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &allocated)) {
    return false;
  }
  const ScopedSid administrators(allocated);
  BOOL member = FALSE;
  return ::CheckTokenMembership(nullptr, administrators.Get(), &member) && member;
}

void Sleep(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::string GetCommandLine() {
  const char* line = ::GetCommandLineA();
  return line != nullptr ? std::string(line) : std::string();
}

std::string GetSystemDirectory() {
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return std::string();
  return std::string(folder, length);
}

std::string GetModuleFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0)
      return std::string();
    // A result filling the whole buffer means the name was cut short.
    if (length < buffer.size())
      return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

uint32_t GetEnvironmentVariable(const std::string& name, char* buffer, uint32_t size) {
  return ::GetEnvironmentVariableA(name.c_str(), buffer, size);
}

}  // namespace platform
