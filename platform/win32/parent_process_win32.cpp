// The process that started this one, its times and its token.
#include "platform/process.h"
#include "platform/win32/ntdll_calls.h"

namespace platform {

uint32_t GetParentProcessId() {
  using QueryFunction = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  static auto query = LoadedSystemFunction<QueryFunction>("ntdll.dll", "NtQueryInformationProcess");
  // PROCESS_BASIC_INFORMATION, class 0 (ProcessBasicInformation).
  struct {
    LONG exit_status;
    void* environment_block;
    ULONG_PTR affinity;
    LONG priority;
    ULONG_PTR process_id;
    ULONG_PTR parent_id;
  } basic = {};
  ULONG size = 0;
  if (!query)
    return (::SetLastError(ERROR_CALL_NOT_IMPLEMENTED), 0);
  if (!NtSucceeded(query(::GetCurrentProcess(), 0, &basic, sizeof(basic), &size)))
    return 0;
  return static_cast<uint32_t>(basic.parent_id);
}

ScopedHandle OpenProcessToExamine(uint32_t process_id) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr && ::GetLastError() == ERROR_ACCESS_DENIED)  // before Windows Vista
    process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id);
  return ScopedHandle(process);
}

bool GetProcessCreationTime(RawHandle process, uint64_t* created) {
  FILETIME times[4];
  if (!::GetProcessTimes(process, &times[0], &times[1], &times[2], &times[3]))
    return false;
  *created = (static_cast<uint64_t>(times[0].dwHighDateTime) << 32) | times[0].dwLowDateTime;
  return true;
}

ScopedHandle OpenProcessTokenToCheck(RawHandle process) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY | TOKEN_DUPLICATE, &token))
    return ScopedHandle();
  return ScopedHandle(token);
}

}  // namespace platform
