// The single-copy guard's mutex and private namespace over kernel32 and
// advapi32.
#include "platform/guard_mutex.h"

#include <aclapi.h>

#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

namespace platform {
namespace {

// Owned by the Administrators group (BA); full access for it and SYSTEM (SY)
// and for nobody else; "P" keeps inherited entries out.
constexpr char kAdministratorsOwnedAndOnly[] = "O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";
constexpr char kAdministratorsAndSystemOnly[] = "D:P(A;;GA;;;BA)(A;;GA;;;SY)";
constexpr DWORD kSddlRevision1 = 1;
constexpr wchar_t kBoundaryName[] = L"velt-update";

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

// The security descriptor of `sddl`; null (last error set) when the system
// cannot read access lists in text form or `sddl` is refused.
PSECURITY_DESCRIPTOR Descriptor(const char* sddl) {
  static auto convert = LoadedSystemFunction<ConvertFunction>(
      "advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA");
  if (!convert)
    return (::SetLastError(ERROR_CALL_NOT_IMPLEMENTED), nullptr);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  return convert(sddl, kSddlRevision1, &descriptor, nullptr) ? descriptor : nullptr;
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
  BYTE buffer[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(buffer);
  return ::CreateWellKnownSid(type, nullptr, buffer, &size) && ::EqualSid(sid, buffer);
}

// The boundary functions, present from Windows Vista on.
struct NamespaceFunctions {
  HANDLE(WINAPI* create_boundary)(LPCWSTR, ULONG);
  BOOL(WINAPI* add_sid)(HANDLE*, PSID);
  VOID(WINAPI* delete_boundary)(HANDLE);
  HANDLE(WINAPI* create_namespace)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
  HANDLE(WINAPI* open_namespace)(LPVOID, LPCWSTR);
  BOOLEAN(WINAPI* close_namespace)(HANDLE, ULONG);
};

const NamespaceFunctions& Namespaces() {
  static const NamespaceFunctions functions = {
      LoadedSystemFunction<decltype(NamespaceFunctions::create_boundary)>(
          "kernel32.dll", "CreateBoundaryDescriptorW"),
      LoadedSystemFunction<decltype(NamespaceFunctions::add_sid)>("kernel32.dll",
                                                                  "AddSIDToBoundaryDescriptor"),
      LoadedSystemFunction<decltype(NamespaceFunctions::delete_boundary)>(
          "kernel32.dll", "DeleteBoundaryDescriptor"),
      LoadedSystemFunction<decltype(NamespaceFunctions::create_namespace)>(
          "kernel32.dll", "CreatePrivateNamespaceW"),
      LoadedSystemFunction<decltype(NamespaceFunctions::open_namespace)>("kernel32.dll",
                                                                         "OpenPrivateNamespaceW"),
      LoadedSystemFunction<decltype(NamespaceFunctions::close_namespace)>("kernel32.dll",
                                                                          "ClosePrivateNamespace"),
  };
  return functions;
}

}  // namespace

bool ClosePrivateNamespace(RawHandle space) {
  const NamespaceFunctions& functions = Namespaces();
  return functions.close_namespace != nullptr && functions.close_namespace(space, 0) != FALSE;
}

ScopedPrivateNamespace OpenAdministratorsNamespace(const std::string& prefix) {
  const NamespaceFunctions& f = Namespaces();
  if (!f.create_boundary || !f.add_sid || !f.delete_boundary || !f.create_namespace ||
      !f.open_namespace || !f.close_namespace) {
    return (::SetLastError(ERROR_CALL_NOT_IMPLEMENTED), ScopedPrivateNamespace());
  }
  // Wine's CreateBoundaryDescriptorW is a stub that returns null; its
  // AddSIDToBoundaryDescriptor must then never be called.
  HANDLE boundary = f.create_boundary(kBoundaryName, 0);
  if (boundary == nullptr)
    return (::SetLastError(ERROR_CALL_NOT_IMPLEMENTED), ScopedPrivateNamespace());
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(administrators);
  HANDLE space = nullptr;
  PSECURITY_DESCRIPTOR descriptor = Descriptor(kAdministratorsAndSystemOnly);
  LocalMemory free_descriptor(descriptor);
  std::vector<wchar_t> alias = Wide(prefix);
  if (descriptor != nullptr &&
      ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
      f.add_sid(&boundary, administrators)) {
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    space = f.create_namespace(&attributes, boundary, alias.data());
    if (space == nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS)
      space = f.open_namespace(boundary, alias.data());
  }
  const DWORD error = ::GetLastError();
  f.delete_boundary(boundary);
  ::SetLastError(error);
  return ScopedPrivateNamespace(space);
}

ScopedHandle CreateAdminOnlyMutex(const std::string& name, uint32_t* last_error) {
  PSECURITY_DESCRIPTOR descriptor = Descriptor(kAdministratorsOwnedAndOnly);
  if (descriptor == nullptr && ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    const size_t backslash = name.find('\\');
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name.substr(backslash + 1).c_str());
    *last_error = ::GetLastError();
    return ScopedHandle(mutex);
  }
  if (descriptor == nullptr) {
    *last_error = ::GetLastError();
    return ScopedHandle();
  }
  LocalMemory free_descriptor(descriptor);
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
  HANDLE mutex = ::CreateMutexA(&attributes, TRUE, name.c_str());
  *last_error = ::GetLastError();
  return ScopedHandle(mutex);
}

ScopedHandle OpenMutexToReadOwner(const std::string& name) {
  return ScopedHandle(::OpenMutexA(READ_CONTROL, FALSE, name.c_str()));
}

bool OwnedByAdministratorsOrSystem(RawHandle object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  LocalMemory free_descriptor(descriptor);
  return owner != nullptr &&
         (IsWellKnown(owner, WinBuiltinAdministratorsSid) || IsWellKnown(owner, WinLocalSystemSid));
}

}  // namespace platform
