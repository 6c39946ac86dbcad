// The single-copy guard's mutex over kernel32 and advapi32.
#include "platform/guard_mutex.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_api.h"

namespace platform {
namespace {

// Full access for the Administrators group (BA) and SYSTEM (SY), and for
// nobody else; "P" keeps inherited entries out.
constexpr char kAdministratorsAndSystemOnly[] = "D:P(A;;GA;;;BA)(A;;GA;;;SY)";
constexpr DWORD kSddlRevision1 = 1;

using ConvertFunction = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);

// Owns memory the system allocated with LocalAlloc.
class LocalMemory {
 public:
  explicit LocalMemory(void* memory) : memory_(memory) {}
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
  ~LocalMemory() {
    if (memory_ != nullptr)
      ::LocalFree(memory_);
  }

 private:
  void* memory_;
};

}  // namespace

ScopedHandle CreateAdminOnlyMutex(const std::string& name, uint32_t* last_error) {
  static auto convert = LoadedSystemFunction<ConvertFunction>(
      "advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA");
  if (!convert) {
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name.c_str());
    *last_error = ::GetLastError();
    return ScopedHandle(mutex);
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!convert(kAdministratorsAndSystemOnly, kSddlRevision1, &descriptor, nullptr)) {
    *last_error = ::GetLastError();
    return ScopedHandle();
  }
  LocalMemory free_descriptor(descriptor);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
  HANDLE mutex = ::CreateMutexA(&attributes, TRUE, ("Global\\" + name).c_str());
  *last_error = ::GetLastError();
  return ScopedHandle(mutex);
}

bool GlobalMutexExists(const std::string& name) {
  HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, ("Global\\" + name).c_str());
  if (mutex != nullptr) {
    ::CloseHandle(mutex);
    return true;
  }
  return ::GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace platform
